#pragma once

#include <atomic>
#include <cstdint>

// A periodic job of the worker thread. The user-interface thread only sets flags on it; the
// worker reads and clears them. The fields are atomics so that this sharing is well defined.
class Job {
public:
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

    // Seconds between scheduled runs; 0 or less: only on request.
    std::atomic<int> period;
    // Start of the tick that last ran the job (seconds since 1970); 0: never ran.
    std::atomic<std::int64_t> lastRun{0};
    // Run at the next tick whatever the period says.
    std::atomic<bool> runNow{false};
};
