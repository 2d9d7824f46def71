#pragma once

#include <QRgb>

// The bar's own facts, kept in one place.
namespace BarGeometry {

// The grey behind the bar's panels: the window class's background.
constexpr QRgb kBackgroundColor = 0x515151;

}  // namespace BarGeometry
