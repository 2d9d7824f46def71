#include "services/AuxThread.h"

#include <gtest/gtest.h>

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

TEST(AuxThread, RunsAtOnceThenTicksAndStopsAtOnce) {
    testing_support::TraceRecorder traces;
    std::int64_t fakeNow = 1000;
    std::mutex mutex;
    // The clock moves 200 seconds a tick, so a 120-second job runs every tick.
    AuxThread worker(
        [&] {
            std::lock_guard lock(mutex);
            return fakeNow += 200;
        },
        10ms);
    std::promise<void> thirdRun;
    std::atomic<int> runs{0};
    RecordingJob job(120, [&] {
        if (++runs == 3) {
            thirdRun.set_value();
        }
    });
    worker.Start({&job});
    ASSERT_EQ(thirdRun.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(worker.Stop(10s));
    EXPECT_FALSE(worker.IsRunning());
    auto texts = traces.Texts();
    EXPECT_EQ(texts.front(), "Aux thread start called");
    EXPECT_EQ(texts.back(), "Aux thread stopped");
}

TEST(AuxThread, AQuitRequestEndsTheWaitBetweenTicksAtOnce) {
    // The tick interval is an hour and the clock counts the ticks: a stop that had to wait for
    // the interval could not end within its limit, and no tick may run after the request.
    std::atomic<int> ticks{0};
    RecordingJob job(3600);
    AuxThread worker([&] { return 1'000'000 + ticks++; }, std::chrono::hours(1));
    worker.Start({&job});
    ASSERT_TRUE(testing_support::WaitFor([&] { return job.runs == 1; }));
    EXPECT_TRUE(worker.Stop(30s));
    EXPECT_EQ(ticks, 1);
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
