#include "services/AuxThread.h"

#include <algorithm>

#include "app/PostToUi.h"
#include "app/Trace.h"

namespace {

thread_local const std::atomic<bool>* t_stopFlag = nullptr;

class WallClock : public AuxThread::Clock {
public:
    std::int64_t Now() override {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
    void WaitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                   std::int64_t deadline, const std::function<bool()>& woken) override {
        if (deadline == AuxThread::kNever) {
            wake.wait(lock, woken);
            return;
        }
        // An absolute time of the wall clock, not a span of the monotonic one: a span does not
        // run while the machine sleeps, and would hold an hourly check up by the nap.
        wake.wait_until(lock, std::chrono::system_clock::time_point(std::chrono::seconds(deadline)),
                        woken);
    }
};

}  // namespace

AuxThread::AuxThread(std::shared_ptr<Clock> clock) : state_(std::make_shared<State>()) {
    state_->clock = std::move(clock);
}

AuxThread::~AuxThread() {
    // A thread that outlived its stop was forgotten already; a running one gets the usual chance.
    if (thread_.joinable()) {
        Stop();
    }
}

std::shared_ptr<AuxThread::Clock> AuxThread::SystemClock() {
    static const auto clock = std::make_shared<WallClock>();
    return clock;
}

const std::atomic<bool>* AuxThread::StopFlag() {
    return t_stopFlag;
}

bool AuxThread::StopRequested() {
    return t_stopFlag != nullptr && t_stopFlag->load();
}

void AuxThread::State::Wake() {
    std::lock_guard lock(mutex);
    woken = true;
    wake.notify_all();
}

void AuxThread::Start(const std::vector<Job*>& jobs) {
    Trace("Aux thread start called");
    // The jobs report to the user-interface thread, which starts the worker.
    Ui::PrepareForOtherThreads();
    for (Job* job : jobs) {
        job->SetWakeup(state_);
    }
    if (thread_.joinable()) {
        std::lock_guard lock(state_->mutex);
        state_->jobs = jobs;
        // New jobs may be due sooner than the wait that runs.
        state_->woken = true;
        state_->wake.notify_all();
        return;
    }
    state_->jobs = jobs;
    state_->quit = false;
    state_->done = false;
    state_->woken = false;
    state_->stopRequested = false;
    thread_ = std::thread(&AuxThread::ThreadMain, state_);
}

void AuxThread::LetJobsGo() {
    std::vector<Job*> jobs;
    {
        std::lock_guard lock(state_->mutex);
        jobs = state_->jobs;
    }
    for (Job* job : jobs) {
        job->SetWakeup(nullptr);
    }
}

bool AuxThread::Stop(std::chrono::milliseconds wait) {
    Trace("Aux thread stop called");
    if (!thread_.joinable()) {
        return true;
    }
    LetJobsGo();
    state_->stopRequested = true;
    std::unique_lock lock(state_->mutex);
    state_->quit = true;
    state_->wake.notify_all();
    const bool ended = state_->wake.wait_for(lock, wait, [this] { return state_->done; });
    lock.unlock();
    if (ended) {
        thread_.join();
        return true;
    }
    // Forgotten: the thread keeps its own state and ends by itself whenever its job lets it;
    // a later Start makes a new thread over fresh state instead of finding this one running.
    thread_.detach();
    auto fresh = std::make_shared<State>();
    fresh->clock = state_->clock;
    state_ = std::move(fresh);
    return false;
}

void AuxThread::RunTick(const std::vector<Job*>& jobs, std::int64_t now,
                        const std::atomic<bool>& stop) {
    for (Job* job : jobs) {
        if (job->IsDue(now)) {
            job->runNow = false;
            job->Run();
            job->lastRun = now;
        }
        if (stop) {
            break;
        }
    }
}

std::int64_t AuxThread::NextTick(const std::vector<Job*>& jobs, std::int64_t lastTick) {
    std::int64_t next = kNever;
    for (const Job* job : jobs) {
        std::int64_t due = kNever;
        if (job->runNow) {
            due = lastTick;
        } else if (const int period = job->period; period > 0) {
            // Due once the period has passed strictly.
            due = job->lastRun + period + 1;
        }
        if (due == kNever) {
            continue;
        }
        // The beat that would have found it due: a whole number of ticks on, at least one.
        const std::int64_t ticks =
            std::max<std::int64_t>(1, (due - lastTick + kTickSeconds - 1) / kTickSeconds);
        next = std::min(next, lastTick + ticks * kTickSeconds);
    }
    return next;
}

void AuxThread::ThreadMain(std::shared_ptr<State> state) {
    t_stopFlag = &state->stopRequested;
    Trace("Aux thread started");
    std::unique_lock lock(state->mutex);
    while (!state->quit) {
        // A request from here on wakes the next wait, also one made during this tick.
        state->woken = false;
        const std::vector<Job*> jobs = state->jobs;
        lock.unlock();
        // The tick's time is taken once, at its start.
        const std::int64_t now = state->clock->Now();
        RunTick(jobs, now, state->stopRequested);
        lock.lock();
        if (state->quit) {
            break;
        }
        state->clock->WaitUntil(state->wake, lock, NextTick(state->jobs, now),
                                [&state] { return state->quit || state->woken; });
    }
    lock.unlock();
    Trace("Aux thread stopped");
    t_stopFlag = nullptr;
    lock.lock();
    state->done = true;
    state->wake.notify_all();
}
