#include "main/AfterFirstPaint.h"

#include <QEvent>
#include <QTimer>
#include <utility>

AfterFirstPaint::AfterFirstPaint(QWidget& window, int limitMs, std::function<void()> run)
    : window_(&window), run_(std::move(run)) {
    if (!window.isVisible()) {
        Run();
        return;
    }
    window.installEventFilter(this);
    limit_ = TimerSource::Current().Start(limitMs, [this] { Run(); });
}

bool AfterFirstPaint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && run_) {
        // The paint is handled, and its picture sent to the display, once this event is done.
        QTimer::singleShot(0, this, [this] { Run(); });
    }
    return QObject::eventFilter(watched, event);
}

void AfterFirstPaint::Run() {
    limit_.reset();
    if (window_) {
        window_->removeEventFilter(this);
    }
    if (auto run = std::exchange(run_, nullptr)) {
        run();
    }
}
