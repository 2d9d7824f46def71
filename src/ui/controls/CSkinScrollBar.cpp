#include "ui/controls/CSkinScrollBar.h"

#include "ui/controls/SkinPalette.h"

#include <QPainter>
#include <algorithm>

#include "ResourceIds.h"
#include "ui/controls/CGamesList.h"
#include "ui/controls/Drawing.h"

namespace {}  // namespace

CSkinScrollBar::CSkinScrollBar(CGamesList& list) : list_(list) {}

void CSkinScrollBar::SetRect(const Rect& rect) {
    rect_ = rect;
    up_ = Rect::FromSize(rect.left, rect.top, kWidth, kArrowHeight);
    down_ = Rect{rect.left, rect.bottom - kArrowHeight, rect.left + kWidth, rect.bottom};
    PlaceThumb();
}

void CSkinScrollBar::SetScrollRange(int minimum, int maximum, bool redraw) {
    rangeSet_ = true;
    min_ = minimum;
    max_ = std::max(minimum, maximum);
    pos_ = std::clamp(pos_, min_, max_);
    PlaceThumb();
    if (redraw) {
        Repaint(rect_);
    }
}

void CSkinScrollBar::SetScrollPos(int position, bool redraw) {
    pos_ = std::clamp(position, min_, max_);
    PlaceThumb();
    if (redraw) {
        Repaint(rect_);
    }
}

void CSkinScrollBar::SetPageSize(int page) {
    page_ = std::max(0, page);
    PlaceThumb();
}

int CSkinScrollBar::ThumbLength() const {
    const int track = TrackBottom() - TrackTop() - 2;
    const int span = max_ + page_ - min_;
    int length = 0;
    if (span > 0 && track > 0) {
        length = static_cast<int>(static_cast<double>(page_) / span * track);
    }
    return std::max(length, kMinThumb);
}

void CSkinScrollBar::PlaceThumb() {
    if (!rangeSet_) {
        thumb_ = Rect{rect_.left, rect_.top + 20, rect_.left + kWidth, rect_.top + 60};
        return;
    }
    const int length = ThumbLength();
    int top = TrackTop();
    if (max_ > min_) {
        const int position = std::clamp(pos_, min_, max_);
        top = TrackTop() + static_cast<int>(static_cast<double>(position - min_) *
                                            (TrackBottom() - length - TrackTop()) / (max_ - min_));
    }
    if (top + length >= TrackBottom()) {
        top = TrackBottom() - length - 1;
    }
    thumb_ = Rect::FromSize(rect_.left, top, kWidth, length);
}

void CSkinScrollBar::MoveBy(int delta) {
    const int position = std::clamp(pos_ + delta, min_, max_);
    const int change = position - pos_;
    pos_ = position;
    PlaceThumb();
    if (change != 0) {
        list_.ScrollBy(change);
    }
    Repaint(rect_);
}

void CSkinScrollBar::Repaint(const Rect& rect) const {
    list_.update(rect.ToQRect());
}

void CSkinScrollBar::OnLButtonDown(const QPoint& point) {
    if (!visible_ || !rect_.Contains(point.x(), point.y())) {
        return;
    }
    captured_ = !list_.HasCapture();
    if (captured_) {
        list_.SetCapture();
    }
    if (thumb_.Contains(point.x(), point.y())) {
        dragging_ = true;
        lastPoint_ = point;
    } else if (down_.Contains(point.x(), point.y()) || up_.Contains(point.x(), point.y())) {
        (down_.Contains(point.x(), point.y()) ? downPressed_ : upPressed_) = true;
        list_.SetTimer(kDelayTimer, kDelayMs);
        Repaint(downPressed_ ? down_ : up_);
    } else {
        trackPressed_ = true;
    }
}

void CSkinScrollBar::OnTimer(int id) {
    if (id == kDelayTimer) {
        list_.KillTimer(kDelayTimer);
        if (upPressed_ || downPressed_) {
            list_.SetTimer(kRepeatTimer, kRepeatMs);
        }
    } else if (id == kRepeatTimer) {
        if (downPressed_) {
            MoveBy(kArrowStep);
        } else if (upPressed_) {
            MoveBy(-kArrowStep);
        }
    }
}

void CSkinScrollBar::OnLButtonUp(const QPoint& point) {
    list_.KillTimer(kRepeatTimer);
    list_.KillTimer(kDelayTimer);
    const bool anyPress = upPressed_ || downPressed_ || dragging_ || trackPressed_;
    if (anyPress && captured_) {
        list_.ReleaseCapture();
    }
    captured_ = false;
    const int x = point.x();
    const int y = point.y();
    if (downPressed_ && down_.Contains(x, y)) {
        MoveBy(kArrowStep);
    } else if (upPressed_ && up_.Contains(x, y)) {
        MoveBy(-kArrowStep);
    } else if (trackPressed_ && rect_.Contains(x, y) && !thumb_.Contains(x, y)) {
        MoveBy(y > thumb_.top ? page_ : -page_);
    }
    upPressed_ = downPressed_ = dragging_ = trackPressed_ = false;
    if (anyPress) {
        list_.update();
    }
}

void CSkinScrollBar::OnMouseMove(const QPoint& point) {
    if (dragging_) {
        if (max_ <= min_) {
            return;
        }
        const int length = thumb_.Height();
        const int top = std::clamp(thumb_.top + point.y() - lastPoint_.y(), TrackTop(),
                                   std::max(TrackTop(), TrackBottom() - length));
        thumb_ = Rect::FromSize(thumb_.left, top, kWidth, length);
        const int freeTrack = TrackBottom() - length - TrackTop();
        if (freeTrack > 0) {
            // Multiplied before dividing, so that the track's end is exactly the range's.
            const int position =
                std::clamp(min_ + static_cast<int>(static_cast<double>(max_ - min_) *
                                                   (top - TrackTop()) / freeTrack),
                           min_, max_);
            if (position != pos_) {
                const int change = position - pos_;
                pos_ = position;
                list_.ScrollBy(change);
            }
        }
        list_.update();
        lastPoint_ = point;
        return;
    }
    const auto hot = [&point](const Rect& rect) { return rect.Contains(point.x(), point.y()); };
    const bool thumbHot = visible_ && hot(thumb_);
    const bool upHot = visible_ && hot(up_);
    const bool downHot = visible_ && hot(down_);
    if (thumbHot != thumbHot_) {
        thumbHot_ = thumbHot;
        Repaint(thumb_);
    }
    if (upHot != upHot_) {
        upHot_ = upHot;
        Repaint(up_);
    }
    if (downHot != downHot_) {
        downHot_ = downHot;
        Repaint(down_);
    }
}

void CSkinScrollBar::OnMouseLeave() {
    if (thumbHot_ || upHot_ || downHot_) {
        thumbHot_ = upHot_ = downHot_ = false;
        Repaint(rect_);
    }
}

QImage CSkinScrollBar::ComposeThumb(int height) {
    // At the bitmaps' density, so that their ends are not scaled when drawn in.
    const QImage top = LoadBitmap(Res::IDB_THUMB_TOP);
    const QImage bottom = LoadBitmap(Res::IDB_THUMB_BOTTOM);
    const int scale = top.isNull() ? 1 : static_cast<int>(top.devicePixelRatio());
    QImage image(kWidth * scale, std::max(1, height) * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(kBackground);
    QPainter painter(&image);
    painter.drawImage(0, 0, top);
    painter.drawImage(0, height - 4, bottom);
    Draw3dRect(painter, Rect::FromSize(0, 0, kWidth, height), QColor(231, 170, 74),
               QColor(231, 160, 61));
    for (int column = 1; column <= 12; ++column) {
        const SkinPalette::Stripe stripe = SkinPalette::ThumbStripe(column);
        FillGradient(painter, Rect{column, 6, column + 1, height - 4}, stripe.top, stripe.bottom,
                     GradientDirection::Vertical);
    }
    if (height > 25) {
        const int first = (height - 10) / 2;
        for (int grip = 0; grip < 3; ++grip) {
            Draw3dRect(painter, Rect{3, first + 4 * grip, 11, first + 4 * grip + 2},
                       QColor(133, 111, 83), QColor(145, 121, 88));
        }
    }
    return image;
}

void CSkinScrollBar::Paint(QPainter& painter) const {
    if (!visible_) {
        return;
    }
    FillSolidRect(painter, rect_, kBackground);
    QImage thumb = ComposeThumb(thumb_.Height());
    QImage up = LoadBitmap(Res::IDB_ARROW_UP);
    QImage down = LoadBitmap(Res::IDB_ARROW_DOWN);
    if (thumbHot_ && !dragging_) {
        thumb = CreateBrightenedBitmap(thumb, kHotFactor);
    }
    if (upHot_ && !upPressed_) {
        up = CreateBrightenedBitmap(up, kHotFactor);
    }
    if (downHot_ && !downPressed_) {
        down = CreateBrightenedBitmap(down, kHotFactor);
    }
    painter.drawImage(thumb_.left, thumb_.top, thumb);
    painter.drawImage(up_.left, up_.top, up);
    painter.drawImage(down_.left, down_.top, down);
}
