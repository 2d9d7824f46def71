#include "app/PostToUi.h"

#include <QCoreApplication>
#include <QThread>
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

}  // namespace

bool Post(std::function<void()> task) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return false;
    }
    {
        std::lock_guard lock(g_mutex);
        if (g_watched != app) {
            g_watched = app;
            // What was not run by the end of this application object never runs, not even
            // under a later one.
            QObject::connect(app, &QObject::destroyed, app, [] {
                std::deque<std::function<void()>> dropped;
                std::lock_guard clearing(g_mutex);
                dropped.swap(g_tasks);
                g_watched = nullptr;
            });
        }
        g_tasks.push_back(std::move(task));
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
