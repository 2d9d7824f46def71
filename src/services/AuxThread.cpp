#include "services/AuxThread.h"

#include <ctime>

#include "app/Trace.h"

namespace {
thread_local const std::atomic<bool>* t_stopFlag = nullptr;
}

AuxThread::AuxThread(Clock clock, std::chrono::milliseconds tickInterval)
    : state_(std::make_shared<State>()) {
    state_->clock = std::move(clock);
    state_->tickInterval = tickInterval;
}

AuxThread::~AuxThread() {
    // A thread that outlived its stop was forgotten already; a running one gets the usual chance.
    if (thread_.joinable()) {
        Stop();
    }
}

std::int64_t AuxThread::SystemClock() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

const std::atomic<bool>* AuxThread::StopFlag() {
    return t_stopFlag;
}

bool AuxThread::StopRequested() {
    return t_stopFlag != nullptr && t_stopFlag->load();
}

void AuxThread::Start(const std::vector<Job*>& jobs) {
    Trace("Aux thread start called");
    if (thread_.joinable()) {
        std::lock_guard lock(state_->mutex);
        state_->jobs = jobs;
        return;
    }
    state_->jobs = jobs;
    state_->quit = false;
    state_->done = false;
    state_->stopRequested = false;
    thread_ = std::thread(&AuxThread::ThreadMain, state_);
}

bool AuxThread::Stop(std::chrono::milliseconds wait) {
    Trace("Aux thread stop called");
    if (!thread_.joinable()) {
        return true;
    }
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
    fresh->tickInterval = state_->tickInterval;
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

// The tick of the thread: the time is taken once, at its start.
void AuxThread::TickOnce(State& state) {
    std::vector<Job*> jobs;
    {
        std::lock_guard lock(state.mutex);
        jobs = state.jobs;
    }
    RunTick(jobs, state.clock(), state.stopRequested);
}

void AuxThread::ThreadMain(std::shared_ptr<State> state) {
    t_stopFlag = &state->stopRequested;
    Trace("Aux thread started");
    TickOnce(*state);
    std::unique_lock lock(state->mutex);
    while (!state->wake.wait_for(lock, state->tickInterval, [&] { return state->quit; })) {
        lock.unlock();
        TickOnce(*state);
        lock.lock();
    }
    lock.unlock();
    Trace("Aux thread stopped");
    t_stopFlag = nullptr;
    lock.lock();
    state->done = true;
    state->wake.notify_all();
}
