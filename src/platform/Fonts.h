#pragma once

#include <QFont>
#include <string>

// The skin's fonts. A font "height" is a Windows cell height in pixels; faces the system lacks
// come from the Wine font package when it is installed, else DejaVu Sans takes their place.
namespace Fonts {

// Makes the bundled faces known to Qt; needs the application object. Safe to call again.
void RegisterFaces();

// A font of the named face with the cell height h (pixel size round(h * 0.83)) and a Windows
// weight (400 normal, 600 semi-bold, 700 bold).
QFont Make(const std::string& face, int height, int weight = 400, bool underline = false);

// The 8-point dialog font that dialog templates use.
QFont DialogFont();

// Pixel size for a Windows cell height.
int PixelSizeForHeight(int height);

}  // namespace Fonts
