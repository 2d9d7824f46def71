#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>

#include "platform/desktop/Rect.h"

class CGamesList;
class QPainter;

// The games list's own vertical scroll bar: no window of its own, it lives inside the list's
// frame, takes all its mouse input from the list's handlers and paints into the list's
// buffer. Its position is in pixels of the list's scroll position.
class CSkinScrollBar {
public:
    static constexpr int kWidth = 14;
    static constexpr int kArrowHeight = 14;
    static constexpr int kMinThumb = 15;
    static constexpr int kArrowStep = 3;
    // The list's timers: the repeat while an arrow is held, and the delay before it.
    static constexpr int kRepeatTimer = 1;
    static constexpr int kDelayTimer = 2;
    static constexpr int kDelayMs = 250;
    static constexpr int kRepeatMs = 50;
    static constexpr double kHotFactor = 1.15;
    static inline const QColor kBackground{225, 109, 2};

    explicit CSkinScrollBar(CGamesList& list);

    void SetRect(const Rect& rect);
    const Rect& GetRect() const { return rect_; }
    const Rect& UpArrowRect() const { return up_; }
    const Rect& DownArrowRect() const { return down_; }
    const Rect& ThumbRect() const { return thumb_; }

    void SetScrollRange(int minimum, int maximum, bool redraw);
    int Minimum() const { return min_; }
    int Maximum() const { return max_; }
    // Moves the thumb to the position (clamped to the range).
    void SetScrollPos(int position, bool redraw);
    int GetScrollPos() const { return pos_; }
    void SetPageSize(int page);
    int PageSize() const { return page_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool IsVisible() const { return visible_; }

    // Mouse input and timer ticks, in the list's client coordinates.
    void OnLButtonDown(const QPoint& point);
    void OnLButtonUp(const QPoint& point);
    void OnMouseMove(const QPoint& point);
    void OnMouseLeave();
    void OnTimer(int id);

    bool IsUpPressed() const { return upPressed_; }
    bool IsDownPressed() const { return downPressed_; }
    bool IsDragging() const { return dragging_; }
    bool IsThumbHot() const { return thumbHot_; }
    bool IsUpHot() const { return upHot_; }
    bool IsDownHot() const { return downHot_; }

    void Paint(QPainter& painter) const;

    // The thumb's picture at the given height.
    static QImage ComposeThumb(int height);

private:
    int TrackTop() const { return up_.bottom; }
    int TrackBottom() const { return down_.top; }
    int ThumbLength() const;
    void PlaceThumb();
    // Moves the position by delta within the range and scrolls the list by the change made.
    void MoveBy(int delta);
    void Repaint(const Rect& rect) const;

    CGamesList& list_;
    Rect rect_;
    Rect up_;
    Rect down_;
    Rect thumb_;
    bool rangeSet_ = false;
    int min_ = 0;
    int max_ = 0;
    int pos_ = 0;
    int page_ = 0;
    bool visible_ = false;
    bool upPressed_ = false;
    bool downPressed_ = false;
    bool dragging_ = false;
    bool trackPressed_ = false;
    bool thumbHot_ = false;
    bool upHot_ = false;
    bool downHot_ = false;
    QPoint lastPoint_;
    bool captured_ = false;  // we took the capture at the press (the list had none)
};
