#pragma once

#include <QIcon>
#include <string>

// The compiled-in resources by their numeric identifiers.
namespace Resources {

// A string-table entry; the empty text when there is none.
std::string LoadString(int id);

// An icon with every size that the resources hold of it (16 to 64 pixels, and the pictures
// drawn at twice the density of the sizes no plain picture has: 96 and 128); a null icon
// when there is none.
QIcon LoadIcon(int id);

}  // namespace Resources
