#include "ui/controls/CBalloonToolTip.h"

#include <QHelpEvent>

#include "ui/controls/BalloonTip.h"

CBalloonToolTip::~CBalloonToolTip() {
    DestroyWindow();
}

bool CBalloonToolTip::Create(QWidget* widget, const QString& text) {
    if (widget == nullptr || IsAttached()) {
        return false;
    }
    widget_ = widget;
    text_ = text;
    widget->installEventFilter(this);
    return true;
}

void CBalloonToolTip::DestroyWindow() {
    if (QWidget* widget = widget_) {
        widget->removeEventFilter(this);
        BalloonTip::HideBalloon(widget);
    }
    widget_ = nullptr;
}

bool CBalloonToolTip::eventFilter(QObject* watched, QEvent* event) {
    if (watched != widget_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::ToolTip:
            BalloonTip::ShowBalloon(widget_, static_cast<QHelpEvent*>(event)->globalPos(), text_);
            return true;  // the widget's own plain tooltip stays away
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
        case QEvent::KeyPress:
        case QEvent::Hide:
            BalloonTip::HideBalloon(widget_);
            break;
        default:
            break;
    }
    return false;
}
