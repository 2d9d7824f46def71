#pragma once

#include <QColor>

#include "platform/Rect.h"

class QPainter;

// Drawing helpers shared by the skin.

// A frame one pixel wide: the top and left edges in topLeft, the bottom and right edges in
// bottomRight, the corners as the classic 3-D frame has them.
void Draw3dRect(QPainter& painter, const Rect& rect, const QColor& topLeft,
                const QColor& bottomRight);

// Fills rect with one colour.
void FillSolidRect(QPainter& painter, const Rect& rect, const QColor& color);
