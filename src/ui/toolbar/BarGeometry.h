#pragma once

#include <QRgb>
#include <QSize>

#include "config/WindowSection.h"

// The bar's own facts, kept in one place.
namespace BarGeometry {

constexpr QSize kNormalSize{357, 46};
constexpr QSize kMiniSize{320, 25};

constexpr QSize SizeOf(SizeMode size) {
    return size == SizeMode::Mini ? kMiniSize : kNormalSize;
}

// The grey behind the bar's panels: the window class's background.
constexpr QRgb kBackgroundColor = 0x515151;

}  // namespace BarGeometry
