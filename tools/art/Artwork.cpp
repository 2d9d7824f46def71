#include "Artwork.h"

#include "ui/controls/SkinPalette.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
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

QImage Canvas(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kKey);
    return image;
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

bool InShape(int x, int y, int width, int height, int radius) {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return false;
    }
    const int fromEdge = std::min(y, height - 1 - y);
    const int cut = CornerCut(radius, fromEdge);
    return x >= cut && x < width - cut;
}

void DrawPanel(QImage& image, int left, int top, int width, int height, const Panel& panel) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!InShape(x, y, width, height, panel.radius)) {
                continue;
            }
            const bool edge = !InShape(x - 1, y, width, height, panel.radius) ||
                              !InShape(x + 1, y, width, height, panel.radius) ||
                              !InShape(x, y - 1, width, height, panel.radius) ||
                              !InShape(x, y + 1, width, height, panel.radius);
            QColor color = edge ? panel.outline : Mix(panel.top, panel.bottom, y - 1, height - 2);
            if (!edge && y == 1 && panel.highlight.isValid()) {
                color = panel.highlight;
            }
            image.setPixelColor(left + x, top + y, color);
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

void Pixels(QImage& image, int x, int y, const std::vector<const char*>& rows,
            const QColor& color) {
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; rows[row][column] != '\0'; ++column) {
            if (rows[row][column] == '#') {
                image.setPixelColor(x + column, y + static_cast<int>(row), color);
            }
        }
    }
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
    for (int y = barTop; y < barTop + thickness; ++y) {
        for (int x = barLeft; x < barRight; ++x) {
            image.setPixelColor(x, y, letter);
        }
    }
    for (int y = barTop; y < stemBottom; ++y) {
        for (int x = stemLeft; x < stemLeft + thickness; ++x) {
            image.setPixelColor(x, y, letter);
        }
    }
}

QImage Icon(int size, const std::function<void(QImage&)>& draw) {
    QImage image = Canvas(size, size);
    draw(image);
    // Icons carry real transparency.
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if ((result.pixel(x, y) & 0x00FFFFFF) == 0x0000FF00) {
                result.setPixel(x, y, 0);
            }
        }
    }
    return result;
}

// --- Buttons ----------------------------------------------------------------------------

QImage Button(int width, int height, const Panel& panel) {
    QImage image = Canvas(width, height);
    DrawPanel(image, 0, 0, width, height, panel);
    return image;
}

QImage LabelButton(int width, int height, const Panel& panel, const std::string& text) {
    QImage image = Button(width, height, panel);
    CenteredLabel(image, 0, width, (height - PixelFont::kHeight) / 2, text, kWhite);
    return image;
}

QImage SearchButton(const Panel& panel, const QColor& glyph) {
    QImage image = Button(60, 21, panel);
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
QImage ControlButton(const std::vector<const char*>& glyph) {
    QImage image = Canvas(12, 13);
    DrawPanel(image, 0, 0, 11, 13, kSmallDark);
    Pixels(image, 0, 0, glyph, kWhite);
    return image;
}

QImage AllGamesButton() {
    QImage image = Button(12, 20, kOrangeButton);
    Pixels(image, 0, 8, {"...######...", "....####....", ".....##....."}, kWhite);
    return image;
}

QImage Logo() {
    QImage image = Canvas(23, 23);
    DrawEmblem(image, 0, 0, 23, EmblemStyle::Normal);
    return image;
}

QImage CloseCross() {
    QImage image = Canvas(12, 12);
    for (int i = 0; i < 8; ++i) {
        image.setPixelColor(2 + i, 2 + i, kWhite);
        image.setPixelColor(3 + i, 2 + i, kWhite);
        image.setPixelColor(9 - i, 2 + i, kWhite);
        image.setPixelColor(8 - i, 2 + i, kWhite);
    }
    // The ends trimmed to the 8 x 8 square of the cross.
    image.setPixelColor(10, 9, kKey);
    image.setPixelColor(1, 9, kKey);
    return image;
}

QImage CheckBox(bool ticked) {
    QImage image = Canvas(12, 12);
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

QImage BarBackground() {
    const int width = 357;
    const int height = 46;
    QImage image = Canvas(width, height);
    DrawPanel(image, 0, 0, width, height,
              Panel{3, QColor(238, 142, 0), QColor(76, 76, 76), QColor(36, 36, 36),
                    QColor(112, 112, 112)});
    // The control strip on the right, as the mini bar has it.
    for (int y = 1; y < height - 1; ++y) {
        if (!InShape(width - 2, y, width, height, 3)) {
            continue;
        }
        image.setPixelColor(343, y,
                            Mix(QColor(135, 102, 38), QColor(232, 151, 38), y - 1, height - 2));
        for (int x = 344; x < width - 1; ++x) {
            if (InShape(x + 1, y, width, height, 3)) {
                image.setPixelColor(x, y, QColor(239, 144, 0));
            }
        }
    }
    // A groove between the search row and the games row.
    for (int x = 2; x < 342; ++x) {
        image.setPixelColor(x, 21, QColor(26, 26, 26));
        image.setPixelColor(x, 22, QColor(92, 92, 92));
    }
    DrawEmblem(image, 5, 3, 15, EmblemStyle::Normal);
    PixelFont::DrawText(image, 26, 7, "TIVORA", kWhite, true);
    for (int x = 26; x < 26 + PixelFont::TextWidth("TIVORA", true); ++x) {
        image.setPixelColor(x, 16, QColor(251, 138, 0));
    }
    return image;
}

QImage FavoritesStrip() {
    QImage image = Canvas(268, 20);
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
QImage EditField() {
    const int width = 11;
    const int height = 18;
    QImage image = Canvas(width, height);
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
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!InShape(x, y, width, height, 2)) {
                continue;
            }
            const bool edge =
                !InShape(x - 1, y, width, height, 2) || !InShape(x + 1, y, width, height, 2) ||
                !InShape(x, y - 1, width, height, 2) || !InShape(x, y + 1, width, height, 2);
            const int shade = std::min(rowShade(y), columnShade(x));
            image.setPixelColor(x, y, edge ? outline : QColor(shade, shade, shade));
        }
    }
    return image;
}

// --- Tabs -------------------------------------------------------------------------------

void DrawTab(QImage& image, int left, const Panel& panel) {
    const int width = 83;
    const int height = 17;
    // A rounded top-left corner and a right edge that leans out by six pixels towards the
    // bottom, where the next tab starts.
    auto inside = [&](int x, int y) {
        if (x < 0 || y < 0 || y >= height) {
            return false;
        }
        const int right = 77 + (y * 6 + 8) / 16;
        const int cut = CornerCut(2, y);
        return x >= cut && x < right;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!inside(x, y)) {
                continue;
            }
            const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1);
            QColor color = edge ? panel.outline : Mix(panel.top, panel.bottom, y - 1, height - 1);
            if (!edge && y == 1) {
                color = panel.highlight;
            }
            image.setPixelColor(left + x, y, color);
        }
    }
}

QImage Tabs() {
    QImage image = Canvas(166, 17);
    DrawTab(image, 0,
            Panel{2, QColor(38, 38, 38), QColor(124, 124, 124), QColor(78, 78, 78),
                  QColor(164, 164, 164)});
    DrawTab(image, 83,
            Panel{2, QColor(14, 42, 92), QColor(84, 152, 226), QColor(32, 88, 165),
                  QColor(156, 204, 252)});
    return image;
}

// --- The dialog title bar ---------------------------------------------------------------

QImage TitleLeft() {
    QImage image(35, 15, QImage::Format_RGB32);
    image.fill(kTitleOrange);
    Panel plate{2, QColor(96, 46, 0), QColor(64, 64, 64), QColor(34, 34, 34), QColor(96, 96, 96)};
    DrawPanel(image, 1, 1, 13, 13, plate);
    Pixels(image, 1, 1,
           {".............", ".............", ".............", "...#######...", "...#######...",
            ".....###.....", ".....###.....", ".....###.....", ".....###.....", ".....###.....",
            "............."},
           QColor(251, 138, 0));
    return image;
}

QImage TitleRight() {
    const int width = 132;
    QImage image(width, 15, QImage::Format_RGB32);
    image.fill(kTitleOrange);
    // Slanted grip lines that thicken towards the close button.
    const QColor line(214, 138, 0);
    for (int x = 40; x < 112; x += 6) {
        const int weight = x < 64 ? 1 : 2;
        for (int y = 2; y < 13; ++y) {
            for (int w = 0; w < weight; ++w) {
                const int px = x + (13 - y) / 2 + w;
                if (px < 112) {
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

QImage DialogButton(bool hot) {
    return Button(69, 23, hot ? kOrangeButton : kDarkButton);
}

// --- The scroll bar ---------------------------------------------------------------------

using SkinPalette::Stripe;
using SkinPalette::ThumbStripe;

QImage ThumbTop() {
    QImage image(14, 6, QImage::Format_RGB32);
    image.fill(kTrack);
    for (int x = 0; x < 14; ++x) {
        for (int y = 0; y < 6; ++y) {
            const int cut = CornerCut(2, y);
            if (x < cut || x >= 14 - cut) {
                continue;  // track colour in the rounded corners
            }
            QColor color =
                x == cut || x == 13 - cut || y == 0 ? QColor(231, 170, 74) : ThumbStripe(x).top;
            if (y > 0 && x > cut && x < 13 - cut) {
                color = Shade(color, (6 - y) * 6);
            }
            image.setPixelColor(x, y, color);
        }
    }
    return image;
}

QImage ThumbBottom() {
    QImage image(14, 4, QImage::Format_RGB32);
    image.fill(kTrack);
    for (int y = 0; y < 4; ++y) {
        const int cut = CornerCut(2, 3 - y);
        for (int x = cut; x < 14 - cut; ++x) {
            QColor color =
                x == cut || x == 13 - cut || y == 3 ? QColor(231, 160, 61) : ThumbStripe(x).bottom;
            if (y < 3 && x > cut && x < 13 - cut) {
                color = Shade(color, -y * 6);
            }
            image.setPixelColor(x, y, color);
        }
    }
    return image;
}

QImage Arrow(bool up) {
    QImage image(14, 14, QImage::Format_RGB32);
    image.fill(kTrack);
    Panel panel{2, QColor(231, 165, 68), QColor(122, 102, 83), QColor(91, 71, 53),
                QColor(150, 128, 100)};
    DrawPanel(image, 0, 0, 14, 14, panel);
    // Stripe shading across, as on the thumb.
    for (int y = 2; y < 13; ++y) {
        for (int x = 1; x < 13; ++x) {
            if (!InShape(x, y, 14, 14, 2) || !InShape(x - 1, y, 14, 14, 2) ||
                !InShape(x + 1, y, 14, 14, 2) || !InShape(x, y + 1, 14, 14, 2)) {
                continue;
            }
            const Stripe stripe = ThumbStripe(x);
            image.setPixelColor(x, y, Mix(stripe.top, stripe.bottom, y - 2, 11));
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

void AddIconSizes(std::vector<Piece>& pieces, int id, const std::function<void(QImage&, int)>& draw,
                  std::initializer_list<int> sizes = {16, 32, 48, 64}) {
    for (int size : sizes) {
        pieces.push_back({"icons/" + std::to_string(id) + "-" + std::to_string(size) + ".png",
                          Icon(size, [&](QImage& image) { draw(image, size); })});
    }
}

}  // namespace

std::vector<Piece> DrawAll() {
    std::vector<Piece> pieces;
    auto bitmap = [&](int id, QImage image) {
        pieces.push_back({"bitmaps/" + std::to_string(id) + ".png", std::move(image)});
    };
    // The bar.
    bitmap(1019, SearchButton(kOrangeButton, kWhite));
    bitmap(1020, SearchButton(kDarkButton, QColor(251, 138, 0)));
    bitmap(1021, LabelButton(60, 21, kOrangeButton, "SETTINGS"));
    bitmap(1022, LabelButton(60, 21, kDarkButton, "SETTINGS"));
    bitmap(1024, ControlButton({"...........", "...........", "...........", "...........",
                                "...........", "...........", "...........", "...........",
                                "...#####...", "...#####...", "..........."}));
    bitmap(1025, ControlButton({"...........", "...........", "...........", "...#####...",
                                "...#####...", "...#...#...", "...#...#...", "...#...#...",
                                "...#####...", "...........", "..........."}));
    bitmap(1026, AllGamesButton());
    bitmap(1028, Logo());
    bitmap(1035, BarBackground());
    bitmap(1036, FavoritesStrip());
    // The favourites page's buttons and the update dialog's button.
    bitmap(1038, LabelButton(69, 22, kOrangeButton, "ADD >"));
    bitmap(1039, LabelButton(69, 22, kDarkButton, "< REMOVE"));
    bitmap(1040, LabelButton(69, 22, kDarkButton, "ADD >"));
    bitmap(1041, LabelButton(69, 22, kOrangeButton, "< REMOVE"));
    bitmap(1048, Button(68, 22, kCallOut));
    bitmap(1049, Button(68, 22, kCallOutHot));
    // The edit field's pieces.
    const QImage field = EditField();
    bitmap(2007, field.copy(0, 0, 5, 18));
    bitmap(2008, field.copy(6, 0, 5, 18));
    bitmap(2009, field.copy(5, 0, 1, 4));
    bitmap(2010, field.copy(5, 15, 1, 3));
    bitmap(2011, Tabs());
    bitmap(2012, TitleRight());
    bitmap(2013, TitleLeft());
    bitmap(2015, CloseCross());
    bitmap(2016, DialogButton(true));
    bitmap(2017, DialogButton(false));
    bitmap(2018, CheckBox(false));
    bitmap(2019, CheckBox(true));
    bitmap(2021, ThumbTop());
    bitmap(2022, ThumbBottom());
    bitmap(2023, Arrow(true));
    bitmap(2024, Arrow(false));

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
