#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QRgb>
#include <functional>

#include "platform/desktop/Rect.h"

class QPainter;

// Drawing helpers shared by the skin.

// Pure green: the colour that stays transparent in every skin bitmap.
constexpr QRgb kKeyColor = 0xFF00FF00;

// A frame one pixel wide: the top and left edges in topLeft, the bottom and right edges in
// bottomRight, the corners as the classic 3-D frame has them.
void Draw3dRect(QPainter& painter, const Rect& rect, const QColor& topLeft,
                const QColor& bottomRight);

// Fills rect with one colour.
void FillSolidRect(QPainter& painter, const Rect& rect, const QColor& color);

// The keyboard focus mark: every other pixel along the edges of rect inverted, so that it shows
// on any picture and drawing it twice takes it away again.
void DrawFocusRect(QPainter& painter, const Rect& rect);

enum class GradientDirection { Horizontal, Vertical };

// A two-colour linear gradient over rect: Horizontal runs from the left column (from) to the
// right column (to), Vertical from the top row to the bottom row. Each line gets one colour,
// interpolated per channel and rounded, so the first and last lines carry the end colours
// exactly.
void FillGradient(QPainter& painter, const Rect& rect, const QColor& from, const QColor& to,
                  GradientDirection direction);

// The colour of line index (0-based) of count lines in such a gradient.
QColor GradientColor(const QColor& from, const QColor& to, int index, int count);

// Every channel multiplied by factor and capped at 255; a factor below 1 counts as 1.
QRgb ScaleColor(QRgb color, double factor);

// A copy with every pixel that is not exactly key scaled by ScaleColor; key pixels stay as
// they are.
QImage CreateBrightenedBitmap(const QImage& image, double factor, QRgb key = kKeyColor);

// A 32-bit copy of image with every pixel but those of the key colour passed through map; a
// null image stays null.
QImage MapNonKeyPixels(const QImage& image, QRgb key, const std::function<QRgb(QRgb)>& map);

// A copy in which the key colour is fully transparent (premultiplied ARGB).
QImage MakeTransparent(const QImage& image, QRgb key = kKeyColor);

// Draws image with its key-colour pixels left out.
void DrawTransparent(QPainter& painter, int x, int y, const QImage& image, QRgb key = kKeyColor);

// The scale the skin's bitmaps are drawn at in this process: 2 when a screen has more than
// one device pixel per logical pixel (QT_SCALE_FACTOR, the desktop's scale), else 1.
int SkinScale();

// A skin bitmap by its resource identifier, opaque, key colour included; a null image when
// the resources have none. Loaded once per process. At scale 2 it is the picture drawn at
// twice the density, with a device pixel ratio of 2: painted at (x, y) it covers the same
// logical pixels as the plain one.
QImage LoadBitmap(int id, int scale);
// The bitmap at SkinScale().
QImage LoadBitmap(int id);

// An icon by its resource identifier, with every size that the resources hold of it (16 to 64
// pixels, and the pictures drawn at twice the density of the sizes no plain picture has: 96
// and 128); a null icon when there is none.
QIcon LoadIcon(int id);

// An image's size in logical pixels.
QSize LogicalSize(const QImage& image);
