#include "ui/controls/TimerSource.h"

#include <QTimer>
#include <atomic>

namespace {

class QtTimer : public TimerSource::Timer {
public:
    QtTimer(int periodMs, std::function<void()> onTick) : timer_(new QTimer) {
        QObject::connect(timer_, &QTimer::timeout, timer_, [onTick] { onTick(); });
        timer_->start(periodMs);
    }
    ~QtTimer() override {
        // The callback may be the one destroying us, inside the timer's own signal: stop it
        // now and let the event loop free it.
        timer_->stop();
        timer_->disconnect();
        timer_->deleteLater();
    }

private:
    QTimer* timer_;
};

class QtTimerSource : public TimerSource {
public:
    std::unique_ptr<Timer> Start(int periodMs, std::function<void()> onTick) override {
        return std::make_unique<QtTimer>(periodMs, std::move(onTick));
    }
};

QtTimerSource& QtSource() {
    static QtTimerSource source;
    return source;
}

std::atomic<TimerSource*> installed{nullptr};

}  // namespace

TimerSource& TimerSource::Current() {
    TimerSource* source = installed.load();
    return source != nullptr ? *source : QtSource();
}

TimerSource* TimerSource::Install(TimerSource* source) {
    return installed.exchange(source);
}
