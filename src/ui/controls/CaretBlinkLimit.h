#pragma once

#include <QObject>
#include <memory>

#include "ui/controls/TimerSource.h"

// Stops the text caret blinking once the program has had no key or mouse press for a while
// (the caret then stays shown), and lets it blink again at the next press: a caret left
// blinking in an idle bar would wake the program twice a second for nothing. Watches the
// whole application while it exists.
class CaretBlinkLimit : public QObject {
    Q_OBJECT
public:
    static constexpr int kIdleMs = 10000;

    CaretBlinkLimit();
    ~CaretBlinkLimit() override;

    bool Stopped() const { return savedFlashTime_ > 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Restart();
    void Stop();

    std::unique_ptr<TimerSource::Timer> idle_;
    int savedFlashTime_ = 0;  // the blink period taken away; 0 while the caret blinks
};
