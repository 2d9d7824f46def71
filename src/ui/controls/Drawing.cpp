#include "ui/controls/Drawing.h"

#include <QPainter>

void FillSolidRect(QPainter& painter, const Rect& rect, const QColor& color) {
    if (!rect.IsEmpty()) {
        painter.fillRect(rect.ToQRect(), color);
    }
}

void Draw3dRect(QPainter& painter, const Rect& rect, const QColor& topLeft,
                const QColor& bottomRight) {
    const int x = rect.left;
    const int y = rect.top;
    const int cx = rect.Width();
    const int cy = rect.Height();
    // Top and left stop one short of the far corners, which belong to the bottom-right colour.
    FillSolidRect(painter, Rect::FromSize(x, y, cx - 1, 1), topLeft);
    FillSolidRect(painter, Rect::FromSize(x, y, 1, cy - 1), topLeft);
    FillSolidRect(painter, Rect::FromSize(x + cx - 1, y, 1, cy), bottomRight);
    FillSolidRect(painter, Rect::FromSize(x, y + cy - 1, cx, 1), bottomRight);
}
