#include "ui/controls/FocusCues.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace {

bool g_shown = false;

// Sees every key and button press of the application before its receiver does.
class InputWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::ShortcutOverride:
                if (!g_shown) {
                    FocusCues::SetShown(true);
                }
                break;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::TouchBegin:
            case QEvent::TabletPress:
                if (g_shown) {
                    FocusCues::SetShown(false);
                }
                break;
            default:
                break;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

namespace FocusCues {

void Follow() {
    // One per application object: a test program may make a second one after the first.
    static QPointer<InputWatch> watch;
    if (watch == nullptr && qApp != nullptr) {
        watch = new InputWatch(qApp);
        qApp->installEventFilter(watch);
    }
}

bool Shown() {
    return g_shown;
}

void SetShown(bool shown) {
    g_shown = shown;
    if (QWidget* focus = QApplication::focusWidget()) {
        focus->update();
    }
}

bool ShowsMark(const QWidget& control) {
    return g_shown && control.hasFocus();
}

}  // namespace FocusCues
