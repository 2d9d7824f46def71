#pragma once

#include <QIcon>
#include <string>

// The compiled-in resources by their numeric identifiers.
namespace Resources {

// A string-table entry; the empty text when there is none.
std::string LoadString(int id);

// An icon with every size that the resources hold of it; a null icon when there is none.
QIcon LoadIcon(int id);

}  // namespace Resources
