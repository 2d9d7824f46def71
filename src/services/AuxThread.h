#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "services/Job.h"

// The one worker thread: it ticks every two seconds and runs the jobs that are due, one after
// the other. A stop request ends the wait at once and aborts a transfer that is under way.
class AuxThread {
public:
    using Clock = std::function<std::int64_t()>;  // seconds since 1970

    explicit AuxThread(Clock clock = SystemClock,
                       std::chrono::milliseconds tickInterval = std::chrono::seconds(2));
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

    bool IsRunning() const { return thread_.joinable(); }

    // The stop flag of the worker this is called on, for long operations of a job (transfers)
    // to end early; nullptr on other threads.
    static const std::atomic<bool>* StopFlag();
    static bool StopRequested();

    static std::int64_t SystemClock();

private:
    // What the thread shares with its owner; the thread keeps it alive, so a thread that
    // outlives its owner never touches freed memory of it.
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        bool quit = false;
        bool done = false;
        std::atomic<bool> stopRequested{false};
        std::vector<Job*> jobs;
        Clock clock;
        std::chrono::milliseconds tickInterval{};
    };

    static void ThreadMain(std::shared_ptr<State> state);
    static void TickOnce(State& state);

    std::shared_ptr<State> state_;
    std::thread thread_;
};
