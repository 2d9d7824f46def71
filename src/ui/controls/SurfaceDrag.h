#pragma once

#include <QPoint>

class QMouseEvent;
class QWidget;

// Moving a top-level window by pressing on its own surface (the bar, a dialog's title bar).
// The window manager moves the window when it can; where it refuses (no window manager, or one
// that does not support the request), the window follows the mouse until the button is let go.
class SurfaceDrag {
public:
    // A left press starts the move; true when the press was taken.
    bool Press(QWidget& window, const QMouseEvent& event);
    // While following by hand: moves the window; true when the move was taken.
    bool Move(QWidget& window, const QMouseEvent& event);
    void Release() { following_ = false; }
    bool IsFollowing() const { return following_; }

private:
    bool following_ = false;
    QPoint pressAt_;
    QPoint windowAt_;
};
