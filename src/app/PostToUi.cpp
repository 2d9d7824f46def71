#include "app/PostToUi.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <mutex>

namespace Ui {
namespace {

// The tasks themselves travel through this queue under a standard mutex rather than inside
// Qt's event: the hand-over of their captured data is then visible to a thread sanitizer,
// which cannot see the synchronisation inside Qt.
std::mutex g_mutex;
std::deque<std::function<void()>> g_tasks;
QCoreApplication* g_watched = nullptr;  // the application object whose end clears the queue
// Once prepared on the application's thread, another thread wakes it through this counter
// instead of posting a Qt event: no allocation of Qt's is then shared between the threads
// under a lock the thread sanitizer cannot see. Open for the process's life, so that a late
// wake-up never writes to a closed descriptor.
int g_wakeFd = -1;
QSocketNotifier* g_waker = nullptr;  // on g_watched's thread; null until prepared

void RunPending() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(g_mutex);
            if (g_tasks.empty()) {
                return;
            }
            task = std::move(g_tasks.front());
            g_tasks.pop_front();
        }
        task();
    }
}

// With g_mutex held.
void WatchLocked(QCoreApplication* app) {
    if (g_watched == app) {
        return;
    }
    g_watched = app;
    g_waker = nullptr;
    // What was not run by the end of this application object never runs, not even under a
    // later one.
    QObject::connect(app, &QObject::destroyed, app, [] {
        std::deque<std::function<void()>> dropped;
        std::lock_guard clearing(g_mutex);
        dropped.swap(g_tasks);
        g_watched = nullptr;
        g_waker = nullptr;
    });
}

}  // namespace

void PrepareForOtherThreads() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        return;
    }
    std::lock_guard lock(g_mutex);
    WatchLocked(app);
    if (g_waker != nullptr) {
        return;
    }
    if (g_wakeFd < 0) {
        g_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (g_wakeFd < 0) {
            return;  // posts go through Qt's events then
        }
    }
    g_waker = new QSocketNotifier(g_wakeFd, QSocketNotifier::Read, app);
    QObject::connect(g_waker, &QSocketNotifier::activated, app, [] {
        std::uint64_t count = 0;
        while (read(g_wakeFd, &count, sizeof count) < 0 && errno == EINTR) {
        }
        RunPending();
    });
}

bool Post(std::function<void()> task) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return false;
    }
    {
        std::lock_guard lock(g_mutex);
        WatchLocked(app);
        g_tasks.push_back(std::move(task));
        if (g_waker != nullptr) {
            // A full counter (never, at one a task) still leaves it readable.
            const std::uint64_t one = 1;
            while (write(g_wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
            }
            return true;
        }
    }
    // One wake-up per task; a wake-up that finds the queue drained by an earlier one does
    // nothing. A task still queued when the application object goes is never run.
    QMetaObject::invokeMethod(app, &RunPending, Qt::QueuedConnection);
    return true;
}

bool OnUiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

}  // namespace Ui
