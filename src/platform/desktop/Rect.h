#pragma once

#include <QRect>

// A rectangle with exclusive right and bottom edges, as the skin's geometry is written.
// QRect's right() and bottom() are inclusive; convert only at the Qt boundary.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr bool Contains(int x, int y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    constexpr Rect Offset(int dx, int dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    constexpr Rect Deflate(int dx, int dy) const {
        return {left + dx, top + dy, right - dx, bottom - dy};
    }
    constexpr bool operator==(const Rect&) const = default;

    static constexpr Rect FromSize(int x, int y, int width, int height) {
        return {x, y, x + width, y + height};
    }
    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
    static Rect FromQRect(const QRect& r) { return FromSize(r.x(), r.y(), r.width(), r.height()); }
};
