#include "ui/controls/CaretBlinkLimit.h"

#include <QApplication>
#include <QEvent>
#include <QStyleHints>

CaretBlinkLimit::CaretBlinkLimit() {
    // The count starts with the first input: until then no caret has the focus to blink.
    qApp->installEventFilter(this);
}

CaretBlinkLimit::~CaretBlinkLimit() {
    qApp->removeEventFilter(this);
    if (Stopped()) {
        QGuiApplication::styleHints()->setCursorFlashTime(savedFlashTime_);
    }
}

bool CaretBlinkLimit::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::FocusIn:
            Restart();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void CaretBlinkLimit::Restart() {
    if (Stopped()) {
        // Line edits follow the change at once, with the caret shown.
        QGuiApplication::styleHints()->setCursorFlashTime(savedFlashTime_);
        savedFlashTime_ = 0;
    }
    idle_ = TimerSource::Current().Start(kIdleMs, [this] { Stop(); });
}

void CaretBlinkLimit::Stop() {
    idle_.reset();
    const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    if (flashTime > 0) {
        savedFlashTime_ = flashTime;
        QGuiApplication::styleHints()->setCursorFlashTime(0);
    }
}
