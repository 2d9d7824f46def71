#include "main/UpdateRelay.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

#include "services/UpdateEvents.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::WaitFor;

// Records the update events that reach the windows it watches, and on which thread.
class EventLog : public QObject {
public:
    struct Seen {
        QObject* window;
        std::thread::id thread;
        std::string what;  // the release's version, or the result code
    };
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == UpdateAvailableEvent::kType) {
            seen.push_back({watched, std::this_thread::get_id(),
                            static_cast<UpdateAvailableEvent*>(event)->manifest.productVersion});
        } else if (event->type() == UpdateResultEvent::kType) {
            seen.push_back({watched, std::this_thread::get_id(),
                            std::to_string(static_cast<UpdateResultEvent*>(event)->code)});
        }
        return false;
    }
    std::vector<Seen> seen;
};

// As the worker does: the listener is called on a thread of its own.
void FromWorker(const std::function<void()>& call) {
    std::thread(call).join();
}

TEST(UpdateRelay, MessagesReachTheRegisteredWindowOnItsThreadOrNowhere) {
    EventLog log;
    UpdateRelay relay;
    auto first = std::make_unique<QWidget>();
    first->installEventFilter(&log);
    relay.SetWindow(first.get());

    FromWorker([&] {
        relay.UpdateAvailable({"2.0.0.0", "1", "", "http://get.example/", ""});
        relay.UpdateResult(3);
    });
    EXPECT_TRUE(log.seen.empty());  // nothing is delivered on the worker
    ASSERT_TRUE(WaitFor([&] { return log.seen.size() == 2; }));
    for (const EventLog::Seen& seen : log.seen) {
        EXPECT_EQ(seen.window, first.get());
        EXPECT_EQ(seen.thread, std::this_thread::get_id());
    }
    EXPECT_EQ(log.seen[0].what, "2.0.0.0");
    EXPECT_EQ(log.seen[1].what, "3");

    // On its way while the window is destroyed, as at exit: dropped, never delivered to it.
    FromWorker([&] { relay.UpdateResult(1); });
    first.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(log.seen.size(), 2u);

    // A window registered later hears what comes after it.
    QWidget second;
    second.installEventFilter(&log);
    relay.SetWindow(&second);
    FromWorker([&] { relay.UpdateResult(4); });
    ASSERT_TRUE(WaitFor([&] { return log.seen.size() == 3; }));
    EXPECT_EQ(log.seen[2].window, &second);
    EXPECT_EQ(log.seen[2].what, "4");
}

}  // namespace
