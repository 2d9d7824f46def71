#include "ui/controls/SurfaceDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

bool SurfaceDrag::Press(QWidget& window, const QMouseEvent& event) {
    if (event.button() != Qt::LeftButton) {
        return false;
    }
    following_ = false;
    if (window.windowHandle() != nullptr && window.windowHandle()->startSystemMove()) {
        return true;
    }
    following_ = true;
    pressAt_ = event.globalPosition().toPoint();
    windowAt_ = window.pos();
    return true;
}

bool SurfaceDrag::Move(QWidget& window, const QMouseEvent& event) {
    if (!following_) {
        return false;
    }
    if (!(event.buttons() & Qt::LeftButton)) {
        // The release went elsewhere (a grab taken by the window manager, a pop-up).
        following_ = false;
        return false;
    }
    window.move(windowAt_ + event.globalPosition().toPoint() - pressAt_);
    return true;
}
