#pragma once

#include <functional>
#include <memory>

// Where the skin's timers come from: the scroll bar's arrow repeat and the roll-out steps.
// The program uses Qt's timers; a test installs a source of its own that it advances by hand,
// so that no test waits for real time to pass.
class TimerSource {
public:
    // A running timer; destroying it stops it.
    class Timer {
    public:
        virtual ~Timer() = default;
    };

    virtual ~TimerSource() = default;

    // Starts a repeating timer that calls onTick every periodMs milliseconds until the
    // returned object is destroyed. onTick may destroy that object.
    virtual std::unique_ptr<Timer> Start(int periodMs, std::function<void()> onTick) = 0;

    // The source in use.
    static TimerSource& Current();
    // Installs a source (nullptr goes back to Qt's timers) and returns the previous one.
    static TimerSource* Install(TimerSource* source);
};
