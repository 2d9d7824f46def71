#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "services/Job.h"

// The one worker thread. It looks at its jobs on a 2-second beat and runs the ones that are
// due, one after the other, but sleeps through the beats at which nothing can be due: until
// the first beat at which a job's period has passed, or until a job's run is requested or a
// stop is asked for, which wake it at once. A stop also aborts a transfer under way.
class AuxThread {
public:
    static constexpr std::int64_t kTickSeconds = 2;
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

    // The worker's time, in seconds since 1970, and its way of waiting for a time: the
    // system's wall clock, or a test's simulated one.
    class Clock {
    public:
        virtual ~Clock() = default;
        virtual std::int64_t Now() = 0;
        // Blocks on wake (whose mutex lock holds) until woken() is true or Now() has reached
        // deadline; kNever: no deadline. It may return early: the worker then looks again.
        virtual void WaitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                               std::int64_t deadline, const std::function<bool()>& woken) = 0;
    };

    explicit AuxThread(std::shared_ptr<Clock> clock = SystemClock());
    ~AuxThread();
    AuxThread(const AuxThread&) = delete;
    AuxThread& operator=(const AuxThread&) = delete;

    // Takes a copy of the job list (not owned) and starts the thread unless it runs.
    void Start(const std::vector<Job*>& jobs);

    // Asks the thread to end and waits for it at most wait, then forgets it either way. False
    // when it had not ended: it is left to itself, and whoever owns the jobs must not destroy
    // them while the process lives.
    bool Stop(std::chrono::milliseconds wait = std::chrono::seconds(30));

    // One tick that started at now: runs every due job in list order; after each job a set
    // stop flag ends the tick.
    static void RunTick(const std::vector<Job*>& jobs, std::int64_t now,
                        const std::atomic<bool>& stop);

    // When the worker looks again after a tick at lastTick: the first beat of 2 seconds after
    // it at which a job is due (the next beat for a requested run that did not wake it), or
    // kNever when no job is ever due unasked.
    static std::int64_t NextTick(const std::vector<Job*>& jobs, std::int64_t lastTick);

    bool IsRunning() const { return thread_.joinable(); }

    // The stop flag of the worker this is called on, for long operations of a job (transfers)
    // to end early; nullptr on other threads.
    static const std::atomic<bool>* StopFlag();
    static bool StopRequested();

    // The wall clock. Its waits end when the wall clock reaches the deadline, so that a
    // suspend or a clock set forward is noticed as soon as the machine runs again.
    static std::shared_ptr<Clock> SystemClock();

private:
    // What the thread shares with its owner and the jobs; the thread keeps it alive, so a
    // thread that outlives its owner never touches freed memory of it.
    struct State : Job::Wakeup {
        std::mutex mutex;
        std::condition_variable wake;
        bool quit = false;
        bool done = false;
        bool woken = false;
        std::atomic<bool> stopRequested{false};
        std::vector<Job*> jobs;
        std::shared_ptr<Clock> clock;

        void Wake() override;
    };

    static void ThreadMain(std::shared_ptr<State> state);
    void LetJobsGo();

    std::shared_ptr<State> state_;
    std::thread thread_;
};
