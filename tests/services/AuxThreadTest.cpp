#include "services/AuxThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <future>

#include "platform/net/Http.h"
#include "support/TestEnvironment.h"
#include "support/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;

class RecordingJob : public Job {
public:
    explicit RecordingJob(int initialPeriod, std::function<void()> body = {})
        : Job(initialPeriod), body_(std::move(body)) {}
    void Run() override {
        ++runs;
        if (body_) {
            body_();
        }
    }
    std::atomic<int> runs{0};

private:
    std::function<void()> body_;
};

const std::atomic<bool> kNoStop{false};

TEST(AuxThreadDueRule, EveryJobIsDueAtTheFirstTickAndRunsInListOrder) {
    std::vector<std::string> order;
    RecordingJob a(3600, [&] { order.push_back("a"); });
    RecordingJob b(0, [&] { order.push_back("b"); });
    RecordingJob c(120, [&] { order.push_back("c"); });
    AuxThread::RunTick({&a, &b, &c}, 1'000'000, kNoStop);
    // Period 0 is never due on schedule, not even the first time.
    EXPECT_EQ(order, (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(a.lastRun, 1'000'000);
    EXPECT_EQ(b.lastRun, 0);
}

TEST(AuxThreadDueRule, PeriodZeroRunsOnlyOnRequest) {
    RecordingJob job(0);
    for (std::int64_t now = 1000; now < 100000; now += 2000) {
        AuxThread::RunTick({&job}, now, kNoStop);
    }
    EXPECT_EQ(job.runs, 0);
    job.runNow = true;
    AuxThread::RunTick({&job}, 200000, kNoStop);
    AuxThread::RunTick({&job}, 200002, kNoStop);
    EXPECT_EQ(job.runs, 1);
    EXPECT_FALSE(job.runNow);
}

TEST(AuxThreadDueRule, PeriodMustBePassedStrictly) {
    RecordingJob job(120);
    const std::int64_t t = 5000;
    AuxThread::RunTick({&job}, t, kNoStop);
    ASSERT_EQ(job.runs, 1);
    AuxThread::RunTick({&job}, t + 118, kNoStop);
    AuxThread::RunTick({&job}, t + 120, kNoStop);  // exactly the period: not yet
    EXPECT_EQ(job.runs, 1);
    AuxThread::RunTick({&job}, t + 122, kNoStop);
    EXPECT_EQ(job.runs, 2);
    EXPECT_EQ(job.lastRun, t + 122);
}

TEST(AuxThreadDueRule, RunNowIsClearedBeforeTheRunAndRunsOnce) {
    bool flagDuringRun = true;
    RecordingJob* self = nullptr;
    RecordingJob job(3600, [&] { flagDuringRun = self->runNow; });
    self = &job;
    AuxThread::RunTick({&job}, 1'000'000, kNoStop);  // the first run
    job.runNow = true;
    AuxThread::RunTick({&job}, 1'000'002, kNoStop);
    AuxThread::RunTick({&job}, 1'000'004, kNoStop);
    EXPECT_EQ(job.runs, 2);
    EXPECT_FALSE(flagDuringRun);
    // A request made during the run is kept for the next tick.
    RecordingJob again(0, [&] { self->runNow = true; });
    self = &again;
    again.runNow = true;
    AuxThread::RunTick({&again}, 200, kNoStop);
    EXPECT_TRUE(again.runNow);
}

TEST(AuxThreadDueRule, LastRunIsTheTicksStartNotTheEndOfTheRun) {
    RecordingJob slow(120);
    AuxThread::RunTick({&slow}, 7000, kNoStop);
    EXPECT_EQ(slow.lastRun, 7000);
}

TEST(AuxThreadDueRule, StopRequestEndsTheTickAfterTheRunningJob) {
    std::atomic<bool> stop{false};
    RecordingJob first(10, [&] { stop = true; });
    RecordingJob second(10);
    AuxThread::RunTick({&first, &second}, 100, stop);
    EXPECT_EQ(first.runs, 1);
    EXPECT_EQ(second.runs, 0);
}

TEST(AuxThread, StopBeforeStartDoesNothing) {
    testing_support::TraceRecorder traces;
    AuxThread worker;
    EXPECT_TRUE(worker.Stop());
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(traces.Texts(), (std::vector<std::string>{"Aux thread stop called"}));
}

// Time that passes only in waits: a wait returns with the clock at its deadline, or at the
// first request due before it (as a request's wake would end it), so that a simulated day
// passes in moments. Past the day's end it waits for a real wake.
class SimulatedClock : public AuxThread::Clock {
public:
    struct Request {
        std::int64_t at;
        Job* job;
    };
    SimulatedClock(std::int64_t start, std::int64_t end, std::vector<Request> requests = {})
        : now_(start), end_(end), requests_(std::move(requests)) {}

    std::int64_t Now() override { return now_; }
    void WaitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                   std::int64_t deadline, const std::function<bool()>& woken) override {
        ++waits;
        if (woken()) {
            return;
        }
        const std::int64_t until = std::min(deadline, end_);
        if (next_ < requests_.size() && requests_[next_].at <= until) {
            now_ = std::max(now_, requests_[next_].at);
            requests_[next_++].job->runNow = true;
            return;
        }
        if (deadline <= end_) {
            now_ = std::max(now_, deadline);
            return;
        }
        dayOver = true;
        wake.wait(lock, woken);
    }

    std::atomic<int> waits{0};
    std::atomic<bool> dayOver{false};

private:
    std::int64_t now_;
    const std::int64_t end_;
    std::vector<Request> requests_;
    std::size_t next_ = 0;
};

// Time that never passes: only a wake ends a wait.
class FrozenClock : public AuxThread::Clock {
public:
    std::int64_t Now() override { return 1'000'000; }
    void WaitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock, std::int64_t,
                   const std::function<bool()>& woken) override {
        ++waits;
        wake.wait(lock, woken);
    }
    std::atomic<int> waits{0};
};

// The program's three jobs as the schedule sees them: the update check, asked for at start and
// hourly; the registration, every two minutes for 21 runs and then hourly (a server that never
// takes it); the user information, hourly. Each notes when it ran.
struct ThreeJobs {
    explicit ThreeJobs(std::function<std::int64_t()> clock)
        : update(3600, [this, clock] { updateRuns.push_back(clock()); }),
          registration(120,
                       [this, clock] {
                           registrationRuns.push_back(clock());
                           if (registrationRuns.size() == 21) {
                               registration.period = 3600;
                           }
                       }),
          userInfo(3600, [this, clock] { userInfoRuns.push_back(clock()); }) {
        update.runNow = true;
    }
    std::vector<Job*> List() { return {&update, &registration, &userInfo}; }

    std::vector<std::int64_t> updateRuns, registrationRuns, userInfoRuns;
    RecordingJob update, registration, userInfo;
};

TEST(AuxThread, SleepsBetweenDueJobsAndKeepsTheScheduleOfTheTwoSecondTick) {
    constexpr std::int64_t kStart = 1'700'000'000;
    constexpr std::int64_t kEnd = kStart + 24 * 3600;
    // Requests at odd seconds, between two ticks of the reference.
    const std::vector<std::pair<std::int64_t, int>> requests{
        {kStart + 1001, 0}, {kStart + 40'001, 2}, {kStart + 50'003, 1}};

    // The reference: a tick every 2 seconds; a request is seen at the first tick after it.
    std::int64_t tick = kStart;
    ThreeJobs reference([&tick] { return tick; });
    std::size_t asked = 0;
    for (; tick <= kEnd; tick += AuxThread::kTickSeconds) {
        for (; asked < requests.size() && requests[asked].first <= tick; ++asked) {
            reference.List()[requests[asked].second]->runNow = true;
        }
        AuxThread::RunTick(reference.List(), tick, kNoStop);
    }

    std::shared_ptr<SimulatedClock> clock;
    ThreeJobs slept([&clock] { return clock->Now(); });
    std::vector<SimulatedClock::Request> simulated;
    for (const auto& [at, job] : requests) {
        simulated.push_back({at, slept.List()[job]});
    }
    clock = std::make_shared<SimulatedClock>(kStart, kEnd, simulated);
    AuxThread worker(clock);
    worker.Start(slept.List());
    ASSERT_TRUE(testing_support::WaitFor([&] { return clock->dayOver.load(); }));
    ASSERT_TRUE(worker.Stop(30s));

    const std::pair<const std::vector<std::int64_t>*, const std::vector<std::int64_t>*> runs[] = {
        {&reference.updateRuns, &slept.updateRuns},
        {&reference.registrationRuns, &slept.registrationRuns},
        {&reference.userInfoRuns, &slept.userInfoRuns}};
    std::size_t runTimes = 0;
    for (const auto& [expected, actual] : runs) {
        ASSERT_EQ(actual->size(), expected->size());
        for (std::size_t i = 0; i < expected->size(); ++i) {
            EXPECT_LE(std::abs((*actual)[i] - (*expected)[i]), AuxThread::kTickSeconds)
                << "run " << i << " at " << (*actual)[i] - kStart << " s, the tick's at "
                << (*expected)[i] - kStart << " s";
        }
        runTimes += expected->size();
    }
    // Both of the registration's periods were gone through.
    EXPECT_GT(reference.registrationRuns.size(), 21u);
    // It woke for runs and requests only (jobs that fall due together share a wake), not for
    // the 43,200 ticks of a day.
    EXPECT_LE(clock->waits, static_cast<int>(runTimes));
}

TEST(AuxThread, ARequestRunsAtOnceAndAStopEndsTheWaitAtOnce) {
    testing_support::TraceRecorder traces;
    // The clock never moves: a job can run only at the first tick or when its run is asked
    // for, and only a wake can end a wait.
    auto clock = std::make_shared<FrozenClock>();
    RecordingJob scheduled(3600);
    RecordingJob onRequest(0);
    AuxThread worker(clock);
    worker.Start({&scheduled, &onRequest});
    ASSERT_TRUE(testing_support::WaitFor([&] { return clock->waits == 1; }));
    EXPECT_EQ(scheduled.runs, 1);
    EXPECT_EQ(onRequest.runs, 0);

    onRequest.RequestRun();
    ASSERT_TRUE(testing_support::WaitFor([&] { return onRequest.runs == 1; }));
    EXPECT_EQ(scheduled.runs, 1);
    EXPECT_FALSE(onRequest.runNow);

    ASSERT_TRUE(testing_support::WaitFor([&] { return clock->waits == 2; }));
    EXPECT_TRUE(worker.Stop(30s));
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(scheduled.runs + onRequest.runs, 2);
    auto texts = traces.Texts();
    EXPECT_EQ(texts.front(), "Aux thread start called");
    EXPECT_EQ(texts.back(), "Aux thread stopped");
}

TEST(AuxThread, StopAbortsATransferToAServerThatNeverAnswers) {
    testing_support::TestHttpServer server;
    std::promise<void> requestArrived;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    // The handler holds its own copy of the release: it may still be waking when the test ends.
    server.Server().Get("/stall", [&requestArrived, released](const httplib::Request&,
                                                              httplib::Response& response) {
        requestArrived.set_value();
        released.wait_for(120s);
        response.set_content("late", "text/plain");
    });
    server.Start();

    Http::Result result;
    RecordingJob job(3600, [&] {
        Http::Options options;
        options.cancel = AuxThread::StopFlag();
        result = Http::Get(server.Url("/stall"), options);
    });
    AuxThread worker;
    worker.Start({&job});
    ASSERT_EQ(requestArrived.get_future().wait_for(10s), std::future_status::ready);
    // The server holds its answer far longer than the stop waits: only the abort ends it.
    EXPECT_TRUE(worker.Stop(30s));
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.error, "Cancelled");
    release.set_value();
}

TEST(AuxThread, AThreadThatOutlivesStopIsForgottenAndNeverTouchesItsFreedOwner) {
    std::promise<void> running;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> finished;
    std::atomic<int> firstRuns{0};
    // The jobs of a thread that outlived its stop must stay alive: this one is never freed, and
    // held from static storage, as an owner would hold it, so that it is no leak.
    static RecordingJob* stuck = nullptr;
    stuck = new RecordingJob(3600, [&] {
        if (firstRuns++ == 0) {
            running.set_value();
            released.wait();  // something that no stop request can abort
            finished.set_value();
        }
    });
    auto worker = std::make_unique<AuxThread>();
    worker->Start({stuck});
    ASSERT_EQ(running.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(worker->Stop(50ms));
    EXPECT_FALSE(worker->IsRunning());

    // A later start is not mistaken for the forgotten thread: a new one runs the jobs.
    RecordingJob fresh(3600);
    worker->Start({&fresh});
    ASSERT_TRUE(testing_support::WaitFor([&] { return fresh.runs == 1; }));
    EXPECT_TRUE(worker->Stop(30s));

    {
        testing_support::TraceRecorder traces;
        worker.reset();  // nothing left to wait for, nor to stop again
        EXPECT_TRUE(traces.Texts().empty());
    }
    release.set_value();
    EXPECT_EQ(finished.get_future().wait_for(10s), std::future_status::ready);
    // Give the thread time to end its last steps on the shared state; a sanitizer build turns
    // any use of freed memory here into a failure.
    std::this_thread::sleep_for(50ms);
}

}  // namespace
