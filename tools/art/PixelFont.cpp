#include "PixelFont.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace PixelFont {
namespace {

struct Glyph {
    char ch;
    std::array<const char*, kHeight> rows;
};

// '#' is ink. Every row of a glyph has the same width.
constexpr Glyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'J', {"..###", "...#.", "...#.", "...#.", "#..#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {' ', {"...", "...", "...", "...", "...", "...", "..."}},
    // Guillemets, written as '<' and '>'.
    {'<', {".....", "..#.#", ".#.#.", "#.#..", ".#.#.", "..#.#", "....."}},
    {'>', {".....", "#.#..", ".#.#.", "..#.#", ".#.#.", "#.#..", "....."}},
};

const Glyph* Find(char ch) {
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.ch == ch) {
            return &glyph;
        }
    }
    return nullptr;
}

int GlyphWidth(const Glyph& glyph) {
    return static_cast<int>(std::strlen(glyph.rows[0]));
}

}  // namespace

int TextWidth(std::string_view text, bool bold) {
    int width = 0;
    for (char ch : text) {
        if (const Glyph* glyph = Find(ch)) {
            width += GlyphWidth(*glyph) + (bold ? 2 : 1);
        }
    }
    return width > 0 ? width - 1 : 0;
}

void DrawText(QImage& image, int x, int y, std::string_view text, const QColor& color, bool bold) {
    for (char ch : text) {
        const Glyph* glyph = Find(ch);
        if (glyph == nullptr) {
            continue;
        }
        const int width = GlyphWidth(*glyph);
        auto inked = [&](int column, int row) {
            return column >= 0 && column < width && row >= 0 && row < kHeight &&
                   glyph->rows[row][column] == '#';
        };
        // Bold: every column a second time, one to the right.
        DrawCells(
            image, x, y, width + (bold ? 1 : 0), kHeight,
            [&](int column, int row) {
                return inked(column, row) || (bold && inked(column - 1, row));
            },
            color);
        x += width + (bold ? 2 : 1);
    }
}

void DrawCells(QImage& image, int x, int y, int columns, int rows,
               const std::function<bool(int column, int row)>& ink, const QColor& color) {
    const int scale = std::max(1, qRound(image.devicePixelRatio()));
    const QRgb rgb = color.rgb();
    auto inked = [&](int column, int row) {
        return column >= 0 && row >= 0 && column < columns && row < rows && ink(column, row);
    };
    auto put = [&](int deviceX, int deviceY) {
        if (image.valid(deviceX, deviceY)) {
            image.setPixel(deviceX, deviceY, rgb);
        }
    };
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const int left = (x + column) * scale;
            const int top = (y + row) * scale;
            if (inked(column, row)) {
                for (int dy = 0; dy < scale; ++dy) {
                    for (int dx = 0; dx < scale; ++dx) {
                        put(left + dx, top + dy);
                    }
                }
                continue;
            }
            if (scale == 1) {
                continue;
            }
            // An empty cell: each corner whose two neighbours are inked while the two across
            // from them are not lies on a diagonal step.
            for (int sx : {-1, 1}) {
                for (int sy : {-1, 1}) {
                    if (inked(column + sx, row) && inked(column, row + sy) &&
                        !inked(column - sx, row) && !inked(column, row - sy)) {
                        put(sx < 0 ? left : left + scale - 1, sy < 0 ? top : top + scale - 1);
                    }
                }
            }
        }
    }
}

}  // namespace PixelFont
