#pragma once

#include <QFont>
#include <string>

// The skin's fonts. A font "height" is a Windows cell height in pixels; faces the system lacks
// come from the Wine font package when it is installed, else DejaVu Sans takes their place.
namespace Fonts {

// Makes the bundled faces known to Qt; needs the application object. Safe to call again.
void RegisterFaces();

// A font of the named face with the cell height h (pixel size round(h * 0.83)) and a Windows
// weight (400 normal, 700 bold).
QFont Make(const std::string& face, int height, int weight = 400, bool underline = false);

// Make, with the average character width of a Windows font request: the face is stretched
// so that its average character (the OS/2 table's xAvgCharWidth) is averageWidth pixels
// wide. A face without the table is left at its own width.
QFont MakeNarrow(const std::string& face, int height, int averageWidth, int weight = 400);

// The Qt weight that draws a Windows weight. Above 550 Windows draws a face that has no
// heavier member emboldened, so 600 already looks bold; Qt emboldens only from Bold up.
QFont::Weight QtWeight(int weight);

// The 8-point dialog font that dialog templates use.
QFont DialogFont();

// Pixel size for a Windows cell height.
int PixelSizeForHeight(int height);

// The text cell of a font as the Windows layouts expect it: the ascent and descent from the
// face's Windows metrics (usWinAscent and usWinDescent of its OS/2 table) scaled to the pixel
// size and rounded. Faces that ask for their typographic metrics get a smaller ascent from Qt,
// which would set every label higher than the layouts were drawn for. A face without the table
// falls back to Qt's own metrics.
struct Cell {
    int ascent = 0;
    int descent = 0;
    int Height() const { return ascent + descent; }
    bool operator==(const Cell&) const = default;
};
Cell CellOf(const QFont& font);

}  // namespace Fonts
