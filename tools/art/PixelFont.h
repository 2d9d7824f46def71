#pragma once

#include <QColor>
#include <QImage>
#include <string_view>

// A small upper-case pixel font, 7 rows high, for the labels that the artwork carries. Drawn
// pixel by pixel, so the pictures come out the same on every machine.
namespace PixelFont {

constexpr int kHeight = 7;

// Width in pixels of text, with one blank column between glyphs (two when bold).
int TextWidth(std::string_view text, bool bold = false);

// Draws text with its top-left corner at (x, y); bold doubles every column.
void DrawText(QImage& image, int x, int y, std::string_view text, const QColor& color,
              bool bold = false);

}  // namespace PixelFont
