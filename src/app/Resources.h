#pragma once

#include <string>

// The compiled-in resources by their numeric identifiers.
namespace Resources {

// A string-table entry; the empty text when there is none.
std::string LoadString(int id);

}  // namespace Resources
