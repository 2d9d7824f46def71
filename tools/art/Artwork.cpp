#include "Artwork.h"

#include "ui/controls/SkinPalette.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>

#include "PixelFont.h"

namespace Artwork {
namespace {

const QColor kKey(0, 255, 0);
const QColor kWhite(255, 255, 255);
const QColor kInk(38, 38, 38);

// The orange of the skin, light to dark.
const QColor kOrangeLight(255, 172, 45);
const QColor kOrangeDark(212, 100, 0);
const QColor kOrangeEdge(120, 55, 0);
const QColor kTitleOrange(233, 157, 0);
const QColor kTrack(225, 109, 2);

// Every picture is drawn in logical pixels at a scale of 1 or 2: the image's device pixel
// ratio. Shapes, outlines and gradients are worked out per device pixel, so that the double
// size has rounder corners, finer slopes and smoother gradients, not enlarged pixels.
int ScaleOf(const QImage& image) {
    return std::max(1, qRound(image.devicePixelRatio()));
}

// Every picture at the plain density and at twice it.
constexpr int kScales[] = {1, 2};

QImage Blank(int width, int height, int scale, const QColor& fill) {
    QImage image(width * scale, height * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(fill);
    return image;
}

QImage Canvas(int width, int height, int scale) {
    return Blank(width, height, scale, kKey);
}

// Fills a rectangle given in logical pixels.
void FillRect(QImage& image, int left, int top, int width, int height, const QColor& color) {
    const int s = ScaleOf(image);
    for (int y = top * s; y < (top + height) * s; ++y) {
        for (int x = left * s; x < (left + width) * s; ++x) {
            if (image.valid(x, y)) {
                image.setPixelColor(x, y, color);
            }
        }
    }
}

// A part of a picture, in logical pixels.
QImage Cut(const QImage& image, int left, int top, int width, int height) {
    const int s = ScaleOf(image);
    return image.copy(left * s, top * s, width * s, height * s);
}

QColor Mix(const QColor& a, const QColor& b, int index, int count) {
    if (count <= 1) {
        return a;
    }
    auto channel = [&](int from, int to) {
        return (from * (count - 1 - index) + to * index + (count - 1) / 2) / (count - 1);
    };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                  channel(a.blue(), b.blue()));
}

QColor Shade(const QColor& color, int delta) {
    auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    return QColor(clamp(color.red() + delta), clamp(color.green() + delta),
                  clamp(color.blue() + delta));
}

// How many pixels a rounded corner of the given radius cuts from row y (0 = outermost).
int CornerCut(int radius, int y) {
    static const std::vector<std::vector<int>> kSmall = {{}, {1}, {2, 1}, {3, 1, 1}, {4, 2, 1, 1}};
    if (y >= radius) {
        return 0;
    }
    if (radius < static_cast<int>(kSmall.size())) {
        return kSmall[static_cast<std::size_t>(radius)][static_cast<std::size_t>(y)];
    }
    const double d = radius - y - 0.5;
    return static_cast<int>(std::lround(radius - std::sqrt(radius * radius - d * d)));
}

// A rounded panel: a one-pixel outline, a vertical gradient inside and a lighter first row.
struct Panel {
    int radius = 2;
    QColor outline;
    QColor top;
    QColor bottom;
    QColor highlight;  // invalid: none
};

// Whether the device pixel (x, y) lies in a rounded rectangle of device size width x height.
bool InShape(int x, int y, int width, int height, int radius) {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return false;
    }
    const int fromEdge = std::min(y, height - 1 - y);
    const int cut = CornerCut(radius, fromEdge);
    return x >= cut && x < width - cut;
}

// Whether a device pixel inside a shape lies on its outline, one logical pixel (scale device
// pixels) wide: some pixel that near it to the left, right, above or below is outside.
bool OnOutline(const std::function<bool(int, int)>& inside, int x, int y, int scale) {
    for (int k = 1; k <= scale; ++k) {
        if (!inside(x - k, y) || !inside(x + k, y) || !inside(x, y - k) || !inside(x, y + k)) {
            return true;
        }
    }
    return false;
}

void DrawPanel(QImage& image, int left, int top, int width, int height, const Panel& panel) {
    const int s = ScaleOf(image);
    const int w = width * s;
    const int h = height * s;
    auto inside = [&](int x, int y) { return InShape(x, y, w, h, panel.radius * s); };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!inside(x, y)) {
                continue;
            }
            const bool edge = OnOutline(inside, x, y, s);
            QColor color = edge ? panel.outline : Mix(panel.top, panel.bottom, y - s, h - 2 * s);
            if (!edge && y / s == 1 && panel.highlight.isValid()) {
                color = panel.highlight;
            }
            image.setPixelColor(left * s + x, top * s + y, color);
        }
    }
}

const Panel kDarkButton{2, QColor(22, 22, 22), QColor(92, 92, 92), QColor(52, 52, 52),
                        QColor(128, 128, 128)};
const Panel kOrangeButton{2, kOrangeEdge, QColor(255, 168, 45), QColor(222, 112, 0),
                          QColor(255, 212, 140)};
const Panel kCallOut{2, QColor(110, 50, 0), QColor(245, 145, 20), QColor(205, 95, 0),
                     QColor(255, 200, 120)};
const Panel kCallOutHot{2, QColor(130, 62, 0), QColor(255, 188, 72), QColor(240, 132, 12),
                        QColor(255, 232, 172)};
const Panel kSmallDark{2, QColor(24, 24, 24), QColor(88, 88, 88), QColor(46, 46, 46),
                       QColor(124, 124, 124)};

// A pixel drawing, '#' for ink, its top-left cell at (x, y).
void Pixels(QImage& image, int x, int y, const std::vector<const char*>& rows,
            const QColor& color) {
    int columns = 0;
    for (const char* row : rows) {
        columns = std::max(columns, static_cast<int>(std::strlen(row)));
    }
    PixelFont::DrawCells(
        image, x, y, columns, static_cast<int>(rows.size()),
        [&](int column, int row) {
            const char* line = rows[static_cast<std::size_t>(row)];
            return column < static_cast<int>(std::strlen(line)) && line[column] == '#';
        },
        color);
}

void CenteredLabel(QImage& image, int left, int width, int y, const std::string& text,
                   const QColor& color) {
    PixelFont::DrawText(image, left + (width - PixelFont::TextWidth(text)) / 2, y, text, color);
}

// --- The emblem: a rounded orange square with a dark T, the program's mark. -------------

enum class EmblemStyle { Normal, Bright, Dark };

void DrawEmblem(QImage& image, int left, int top, int size, EmblemStyle style) {
    Panel panel{std::max(2, size / 5), kOrangeEdge, kOrangeLight, kOrangeDark,
                QColor(255, 214, 140)};
    QColor letter = kInk;
    if (style == EmblemStyle::Bright) {
        panel.top = QColor(255, 236, 150);
        panel.bottom = QColor(252, 186, 44);
        panel.highlight = QColor(255, 250, 220);
    } else if (style == EmblemStyle::Dark) {
        panel = Panel{std::max(2, size / 5), QColor(16, 16, 16), QColor(82, 82, 82),
                      QColor(34, 34, 34), QColor(120, 120, 120)};
        letter = QColor(251, 138, 0);
    }
    if (size <= 17) {
        panel.radius = std::min(panel.radius, 3);
    }
    DrawPanel(image, left, top, size, size, panel);
    // The T: a bar over the upper part and a stem down the middle, both as thick as an eighth
    // of the emblem (an even count on even sizes, so that the stem stays centred).
    int thickness = std::max(2, size / 8);
    if (size % 2 != thickness % 2) {
        ++thickness;
    }
    const int barLeft = left + size / 4;
    const int barRight = left + size - size / 4;
    const int barTop = top + size * 3 / 16;
    const int stemLeft = left + (size - thickness) / 2;
    const int stemBottom = top + size - size * 3 / 16;
    FillRect(image, barLeft, barTop, barRight - barLeft, thickness, letter);
    FillRect(image, stemLeft, barTop, thickness, stemBottom - barTop, letter);
}

QImage Icon(int size, int scale, const std::function<void(QImage&)>& draw) {
    QImage image = Canvas(size, size, scale);
    draw(image);
    // Icons carry real transparency.
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            if ((result.pixel(x, y) & 0x00FFFFFF) == 0x0000FF00) {
                result.setPixel(x, y, 0);
            }
        }
    }
    return result;
}

// --- Buttons ----------------------------------------------------------------------------

QImage Button(int width, int height, const Panel& panel, int scale) {
    QImage image = Canvas(width, height, scale);
    DrawPanel(image, 0, 0, width, height, panel);
    return image;
}

QImage LabelButton(int width, int height, const Panel& panel, const std::string& text, int scale) {
    QImage image = Button(width, height, panel, scale);
    CenteredLabel(image, 0, width, (height - PixelFont::kHeight) / 2, text, kWhite);
    return image;
}

QImage SearchButton(const Panel& panel, const QColor& glyph, int scale) {
    QImage image = Button(60, 21, panel, scale);
    const std::string label = "SEARCH";
    const int total = 7 + 4 + PixelFont::TextWidth(label);
    const int x = (60 - total) / 2;
    const int y = 7;
    Pixels(image, x, y,
           {".###...", "#...#..", "#...#..", "#...#..", ".####..", "....##.", ".....##"}, glyph);
    PixelFont::DrawText(image, x + 11, y, label, kWhite);
    return image;
}

// The bar's small buttons stand on its right edge: their last column stays transparent so
// that the bar's frame shows there.
QImage ControlButton(const std::vector<const char*>& glyph, int scale) {
    QImage image = Canvas(12, 13, scale);
    DrawPanel(image, 0, 0, 11, 13, kSmallDark);
    Pixels(image, 0, 0, glyph, kWhite);
    return image;
}

QImage AllGamesButton(int scale) {
    QImage image = Button(12, 20, kOrangeButton, scale);
    Pixels(image, 0, 8, {"...######...", "....####....", ".....##....."}, kWhite);
    return image;
}

QImage Logo(int scale) {
    QImage image = Canvas(23, 23, scale);
    DrawEmblem(image, 0, 0, 23, EmblemStyle::Normal);
    return image;
}

QImage CloseCross(int scale) {
    QImage image = Canvas(12, 12, scale);
    // Two strokes two pixels wide, their ends trimmed to the 8 x 8 square of the cross.
    PixelFont::DrawCells(
        image, 0, 0, 12, 12,
        [](int x, int y) {
            const int i = y - 2;
            if (i < 0 || i >= 8 || (y == 9 && (x == 10 || x == 1))) {
                return false;
            }
            return x == 2 + i || x == 3 + i || x == 9 - i || x == 8 - i;
        },
        kWhite);
    return image;
}

QImage CheckBox(bool ticked, int scale) {
    QImage image = Canvas(12, 12, scale);
    DrawPanel(image, 0, 0, 12, 12,
              Panel{1, QColor(22, 22, 22), QColor(236, 236, 236), QColor(255, 255, 255),
                    QColor(176, 176, 176)});
    if (ticked) {
        Pixels(image, 0, 0,
               {"............", "............", ".........##.", "........##..", ".......##...",
                ".##...##....", "..##.##.....", "...###......", "....#.......", "............",
                "............", "............"},
               QColor(226, 104, 0));
    }
    return image;
}

// --- The bar ----------------------------------------------------------------------------

QImage BarBackground(int scale) {
    const int width = 357;
    const int height = 46;
    const int s = scale;
    QImage image = Canvas(width, height, s);
    DrawPanel(image, 0, 0, width, height,
              Panel{3, QColor(238, 142, 0), QColor(76, 76, 76), QColor(36, 36, 36),
                    QColor(112, 112, 112)});
    // The control strip on the right, as the mini bar has it: a shaded column, then orange
    // up to the outline.
    const int w = width * s;
    const int h = height * s;
    for (int y = s; y < h - s; ++y) {
        if (!InShape(w - 2 * s, y, w, h, 3 * s)) {
            continue;
        }
        for (int x = 343 * s; x < 344 * s; ++x) {
            image.setPixelColor(x, y,
                                Mix(QColor(135, 102, 38), QColor(232, 151, 38), y - s, h - 2 * s));
        }
        for (int x = 344 * s; x < w - s; ++x) {
            if (InShape(x + s, y, w, h, 3 * s)) {
                image.setPixelColor(x, y, QColor(239, 144, 0));
            }
        }
    }
    // A groove between the search row and the games row.
    FillRect(image, 2, 21, 340, 1, QColor(26, 26, 26));
    FillRect(image, 2, 22, 340, 1, QColor(92, 92, 92));
    DrawEmblem(image, 5, 3, 15, EmblemStyle::Normal);
    PixelFont::DrawText(image, 26, 7, "TIVORA", kWhite, true);
    FillRect(image, 26, 16, PixelFont::TextWidth("TIVORA", true), 1, QColor(251, 138, 0));
    return image;
}

QImage FavoritesStrip(int scale) {
    QImage image = Canvas(268, 20, scale);
    for (int slot = 0; slot < 4; ++slot) {
        DrawPanel(image, 67 * slot, 0, 66, 20,
                  Panel{2, QColor(20, 20, 20), QColor(30, 30, 30), QColor(60, 60, 60),
                        QColor(16, 16, 16)});
    }
    return image;
}

// --- The edit field ---------------------------------------------------------------------

// A whole field eleven pixels wide, from which the end and edge pieces are cut, so that
// they fit one another.
QImage EditField(int scale) {
    const int width = 11;
    const int height = 18;
    const int s = scale;
    QImage image = Canvas(width, height, s);
    const QColor outline(20, 20, 20);
    auto rowShade = [&](int y) {
        switch (y) {
            case 1:
                return 118;
            case 2:
                return 200;
            case 16:
                return 226;
            default:
                return 255;
        }
    };
    auto columnShade = [&](int x) {
        if (x == 1) {
            return 160;
        }
        if (x == 2) {
            return 222;
        }
        if (x == width - 2) {
            return 236;
        }
        return 255;
    };
    auto inside = [&](int x, int y) { return InShape(x, y, width * s, height * s, 2 * s); };
    for (int y = 0; y < height * s; ++y) {
        for (int x = 0; x < width * s; ++x) {
            if (!inside(x, y)) {
                continue;
            }
            const bool edge = OnOutline(inside, x, y, s);
            const int shade = std::min(rowShade(y / s), columnShade(x / s));
            image.setPixelColor(x, y, edge ? outline : QColor(shade, shade, shade));
        }
    }
    return image;
}

// --- Tabs -------------------------------------------------------------------------------

void DrawTab(QImage& image, int left, const Panel& panel) {
    const int s = ScaleOf(image);
    const int width = 83 * s;
    const int height = 17 * s;
    // A rounded top-left corner and a right edge that leans out by six pixels towards the
    // bottom, where the next tab starts.
    auto inside = [&](int x, int y) {
        if (x < 0 || y < 0 || y >= height) {
            return false;
        }
        const int right = 77 * s + (y * 6 + 8 * s) / 16;
        const int cut = CornerCut(2 * s, y);
        return x >= cut && x < right;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!inside(x, y)) {
                continue;
            }
            bool edge = false;
            for (int k = 1; k <= s; ++k) {
                edge = edge || !inside(x - k, y) || !inside(x + k, y) || !inside(x, y - k);
            }
            QColor color = edge ? panel.outline : Mix(panel.top, panel.bottom, y - s, height - s);
            if (!edge && y / s == 1) {
                color = panel.highlight;
            }
            image.setPixelColor(left * s + x, y, color);
        }
    }
}

QImage Tabs(int scale) {
    QImage image = Canvas(166, 17, scale);
    DrawTab(image, 0,
            Panel{2, QColor(38, 38, 38), QColor(124, 124, 124), QColor(78, 78, 78),
                  QColor(164, 164, 164)});
    DrawTab(image, 83,
            Panel{2, QColor(14, 42, 92), QColor(84, 152, 226), QColor(32, 88, 165),
                  QColor(156, 204, 252)});
    return image;
}

// --- The dialog title bar ---------------------------------------------------------------

QImage TitleLeft(int scale) {
    QImage image = Blank(35, 15, scale, kTitleOrange);
    Panel plate{2, QColor(96, 46, 0), QColor(64, 64, 64), QColor(34, 34, 34), QColor(96, 96, 96)};
    DrawPanel(image, 1, 1, 13, 13, plate);
    Pixels(image, 1, 1,
           {".............", ".............", ".............", "...#######...", "...#######...",
            ".....###.....", ".....###.....", ".....###.....", ".....###.....", ".....###.....",
            "............."},
           QColor(251, 138, 0));
    return image;
}

QImage TitleRight(int scale) {
    const int width = 132;
    const int s = scale;
    QImage image = Blank(width, 15, s, kTitleOrange);
    // Slanted grip lines that thicken towards the close button, half a pixel to the left per
    // row down.
    const QColor line(214, 138, 0);
    for (int x = 40; x < 112; x += 6) {
        const int weight = x < 64 ? 1 : 2;
        for (int y = 2 * s; y < 13 * s; ++y) {
            for (int w = 0; w < weight * s; ++w) {
                const int px = x * s + (13 * s - y) / 2 + w;
                if (px < 112 * s) {
                    image.setPixelColor(px, y, line);
                }
            }
        }
    }
    // The plate under the close button (which sits 14 pixels in from the right, 2 down).
    DrawPanel(
        image, width - 16, 0, 16, 15,
        Panel{2, QColor(96, 46, 0), QColor(74, 74, 74), QColor(40, 40, 40), QColor(110, 110, 110)});
    return image;
}

// --- Buttons of the dialogs -------------------------------------------------------------

QImage DialogButton(bool hot, int scale) {
    return Button(69, 23, hot ? kOrangeButton : kDarkButton, scale);
}

// --- The scroll bar ---------------------------------------------------------------------

using SkinPalette::Stripe;
using SkinPalette::ThumbStripe;

// The thumb's ends: rounded, an outline one pixel wide, the stripes of the thumb shaded
// towards its middle.
QImage ThumbTop(int scale) {
    const int s = scale;
    QImage image = Blank(14, 6, s, kTrack);
    for (int x = 0; x < 14 * s; ++x) {
        for (int y = 0; y < 6 * s; ++y) {
            const int cut = CornerCut(2 * s, y);
            if (x < cut || x >= 14 * s - cut) {
                continue;  // track colour in the rounded corners
            }
            const bool outline = x < cut + s || x >= 14 * s - cut - s || y < s;
            QColor color = outline ? QColor(231, 170, 74) : ThumbStripe(x / s).top;
            if (!outline) {
                color = Shade(color, (6 * s - y) * 6 / s);
            }
            image.setPixelColor(x, y, color);
        }
    }
    return image;
}

QImage ThumbBottom(int scale) {
    const int s = scale;
    QImage image = Blank(14, 4, s, kTrack);
    for (int y = 0; y < 4 * s; ++y) {
        const int cut = CornerCut(2 * s, 4 * s - 1 - y);
        for (int x = cut; x < 14 * s - cut; ++x) {
            const bool outline = x < cut + s || x >= 14 * s - cut - s || y >= 3 * s;
            QColor color = outline ? QColor(231, 160, 61) : ThumbStripe(x / s).bottom;
            if (!outline) {
                color = Shade(color, -(y * 6) / s);
            }
            image.setPixelColor(x, y, color);
        }
    }
    return image;
}

QImage Arrow(bool up, int scale) {
    const int s = scale;
    QImage image = Blank(14, 14, s, kTrack);
    Panel panel{2, QColor(231, 165, 68), QColor(122, 102, 83), QColor(91, 71, 53),
                QColor(150, 128, 100)};
    DrawPanel(image, 0, 0, 14, 14, panel);
    // Stripe shading across, as on the thumb, below the highlight and inside the outline.
    auto inside = [&](int x, int y) { return InShape(x, y, 14 * s, 14 * s, 2 * s); };
    for (int y = 2 * s; y < 13 * s; ++y) {
        for (int x = s; x < 13 * s; ++x) {
            if (!inside(x, y) || OnOutline(inside, x, y, s)) {
                continue;
            }
            const Stripe stripe = ThumbStripe(x / s);
            image.setPixelColor(x, y, Mix(stripe.top, stripe.bottom, y - 2 * s, 11 * s));
        }
    }
    std::vector<const char*> glyph = {"......##......", ".....####.....", "....######....",
                                      "...########..."};
    if (!up) {
        std::reverse(glyph.begin(), glyph.end());
    }
    Pixels(image, 0, 5, glyph, QColor(255, 206, 128));
    return image;
}

// The file name of a picture drawn at scale: "@2x" before the extension marks the double
// size, as Qt's image readers and icons expect it.
std::string FileName(const std::string& stem, int scale) {
    return stem + (scale == 1 ? "" : "@" + std::to_string(scale) + "x") + ".png";
}

void AddIconSizes(std::vector<Piece>& pieces, int id, const std::function<void(QImage&, int)>& draw,
                  std::initializer_list<int> sizes = {16, 32, 48, 64}) {
    for (int scale : kScales) {
        for (int size : sizes) {
            pieces.push_back(
                {FileName("icons/" + std::to_string(id) + "-" + std::to_string(size), scale),
                 Icon(size, scale, [&](QImage& image) { draw(image, size); })});
        }
    }
}

}  // namespace

std::vector<Piece> DrawAll() {
    std::vector<Piece> pieces;
    for (int scale : kScales) {
        auto bitmap = [&](int id, QImage image) {
            pieces.push_back({FileName("bitmaps/" + std::to_string(id), scale), std::move(image)});
        };
        const int s = scale;
        // The bar.
        bitmap(1019, SearchButton(kOrangeButton, kWhite, s));
        bitmap(1020, SearchButton(kDarkButton, QColor(251, 138, 0), s));
        bitmap(1021, LabelButton(60, 21, kOrangeButton, "SETTINGS", s));
        bitmap(1022, LabelButton(60, 21, kDarkButton, "SETTINGS", s));
        bitmap(1024, ControlButton({"...........", "...........", "...........", "...........",
                                    "...........", "...........", "...........", "...........",
                                    "...#####...", "...#####...", "..........."},
                                   s));
        bitmap(1025, ControlButton({"...........", "...........", "...........", "...#####...",
                                    "...#####...", "...#...#...", "...#...#...", "...#...#...",
                                    "...#####...", "...........", "..........."},
                                   s));
        bitmap(1026, AllGamesButton(s));
        bitmap(1028, Logo(s));
        bitmap(1035, BarBackground(s));
        bitmap(1036, FavoritesStrip(s));
        // The favourites page's buttons and the update dialog's button.
        bitmap(1038, LabelButton(69, 22, kOrangeButton, "ADD >", s));
        bitmap(1039, LabelButton(69, 22, kDarkButton, "< REMOVE", s));
        bitmap(1040, LabelButton(69, 22, kDarkButton, "ADD >", s));
        bitmap(1041, LabelButton(69, 22, kOrangeButton, "< REMOVE", s));
        bitmap(1048, Button(68, 22, kCallOut, s));
        bitmap(1049, Button(68, 22, kCallOutHot, s));
        // The edit field's pieces.
        const QImage field = EditField(s);
        bitmap(2007, Cut(field, 0, 0, 5, 18));
        bitmap(2008, Cut(field, 6, 0, 5, 18));
        bitmap(2009, Cut(field, 5, 0, 1, 4));
        bitmap(2010, Cut(field, 5, 15, 1, 3));
        bitmap(2011, Tabs(s));
        bitmap(2012, TitleRight(s));
        bitmap(2013, TitleLeft(s));
        bitmap(2015, CloseCross(s));
        bitmap(2016, DialogButton(true, s));
        bitmap(2017, DialogButton(false, s));
        bitmap(2018, CheckBox(false, s));
        bitmap(2019, CheckBox(true, s));
        bitmap(2021, ThumbTop(s));
        bitmap(2022, ThumbBottom(s));
        bitmap(2023, Arrow(true, s));
        bitmap(2024, Arrow(false, s));
    }

    // Icons: the program, the tray and its two animation frames, the About box.
    // The program's icon also in the larger sizes that the desktop's menus and launchers use.
    AddIconSizes(
        pieces, 137,
        [](QImage& image, int size) { DrawEmblem(image, 0, 0, size, EmblemStyle::Normal); },
        {16, 32, 48, 64, 128, 256});
    AddIconSizes(pieces, 32512, [](QImage& image, int size) {
        DrawEmblem(image, 0, 0, size, EmblemStyle::Normal);
    });
    AddIconSizes(pieces, 1045, [](QImage& image, int size) {
        DrawEmblem(image, 0, 0, size, EmblemStyle::Bright);
    });
    AddIconSizes(pieces, 1046,
                 [](QImage& image, int size) { DrawEmblem(image, 0, 0, size, EmblemStyle::Dark); });
    AddIconSizes(pieces, 1050, [](QImage& image, int size) {
        DrawPanel(image, 0, 0, size, size,
                  Panel{std::max(2, size / 5), QColor(16, 16, 16), QColor(78, 78, 78),
                        QColor(30, 30, 30), QColor(112, 112, 112)});
        const int inset = std::max(2, size / 8);
        DrawEmblem(image, inset, inset, size - 2 * inset, EmblemStyle::Normal);
    });
    return pieces;
}

}  // namespace Artwork
