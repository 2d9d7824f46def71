#pragma once

#include <QColor>
#include <algorithm>

// Colours that both the drawn controls and the artwork generator use, kept in one place so
// that what is drawn at run time matches the bitmaps.
namespace SkinPalette {

struct Stripe {
    QColor top;
    QColor bottom;
};

// The scroll-bar thumb's vertical stripes by column (1 to 12), top colour to bottom colour.
inline Stripe ThumbStripe(int column) {
    static const Stripe kStripes[] = {
        {QColor(96, 77, 59), QColor(75, 55, 37)},   {QColor(106, 87, 69), QColor(81, 61, 43)},
        {QColor(114, 94, 76), QColor(86, 66, 48)},  {QColor(119, 99, 81), QColor(89, 69, 51)},
        {QColor(122, 102, 83), QColor(91, 71, 53)}, {QColor(122, 102, 83), QColor(91, 71, 53)},
        {QColor(122, 102, 83), QColor(91, 71, 53)}, {QColor(122, 102, 83), QColor(91, 71, 53)},
        {QColor(118, 99, 80), QColor(88, 69, 50)},  {QColor(112, 93, 74), QColor(85, 65, 47)},
        {QColor(107, 86, 67), QColor(82, 62, 42)},  {QColor(119, 92, 59), QColor(103, 75, 43)},
    };
    return kStripes[std::clamp(column, 1, 12) - 1];
}

}  // namespace SkinPalette
