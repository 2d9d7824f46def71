#pragma once

#include <QColor>
#include <QImage>
#include <functional>
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

// Inks the cells of a pixel drawing columns x rows large whose top-left cell lies at (x, y).
// Coordinates are logical pixels: an image with a device pixel ratio of 2 gets every cell as
// 2 x 2 device pixels, and there the empty corner between two inked neighbours that touch
// only diagonally is inked too (one device pixel), so that slopes come out as slopes, not as
// enlarged stairs.
void DrawCells(QImage& image, int x, int y, int columns, int rows,
               const std::function<bool(int column, int row)>& ink, const QColor& color);

}  // namespace PixelFont
