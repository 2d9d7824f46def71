#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

// A periodic job of the worker thread. The user-interface thread only sets flags on it; the
// worker reads and clears them. The fields are atomics so that this sharing is well defined.
class Job {
public:
    // The worker that runs the job, woken by a request so that it need not look for one on a
    // timer.
    class Wakeup {
    public:
        virtual ~Wakeup() = default;
        virtual void Wake() = 0;
    };

    explicit Job(int initialPeriod) : period(initialPeriod) {}
    virtual ~Job() = default;
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // The job's work, on the worker thread.
    virtual void Run() = 0;

    // Due at a tick that started at now: on request, or when the period (greater than 0) has
    // passed strictly since the last run.
    bool IsDue(std::int64_t now) const {
        const int seconds = period.load();
        return runNow.load() || (seconds > 0 && now - lastRun.load() > seconds);
    }

    // Asks for a run at once: sets runNow and wakes the worker that has the job. Setting
    // runNow alone is seen only when the worker next looks, which may be an hour away.
    void RequestRun() {
        runNow = true;
        std::shared_ptr<Wakeup> wakeup;
        {
            std::lock_guard lock(wakeupMutex_);
            wakeup = wakeup_;
        }
        if (wakeup) {
            wakeup->Wake();
        }
    }

    // Set by the worker that takes the job into its list; nullptr when it lets it go.
    void SetWakeup(std::shared_ptr<Wakeup> wakeup) {
        std::lock_guard lock(wakeupMutex_);
        wakeup_ = std::move(wakeup);
    }

    // Seconds between scheduled runs; 0 or less: only on request.
    std::atomic<int> period;
    // Start of the tick that last ran the job (seconds since 1970); 0: never ran.
    std::atomic<std::int64_t> lastRun{0};
    // Run at the next tick whatever the period says.
    std::atomic<bool> runNow{false};

private:
    std::mutex wakeupMutex_;
    std::shared_ptr<Wakeup> wakeup_;
};
