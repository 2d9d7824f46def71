#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "services/UpdateCheckJob.h"

// The update check's listener, alive as long as the program. It is told on the worker thread
// and hands every message to the user-interface thread, where it goes to the window registered
// with it at that moment as an UpdateAvailableEvent or UpdateResultEvent. When that window is
// gone (it is destroyed before the worker stops at exit), the message is dropped there; the
// window is only ever looked at on its own thread, so its destruction cannot race the worker.
class UpdateRelay : public UpdateListener {
public:
    // User-interface thread: the window that receives the messages from now on; nullptr for
    // none. A destroyed window unregisters itself.
    void SetWindow(QWidget* window);

    // Worker thread.
    void UpdateAvailable(const UpdateManifest& manifest) override;
    void UpdateResult(int code) override;

private:
    // Shared with the queued deliveries, so that they never depend on the relay's own life.
    std::shared_ptr<QPointer<QWidget>> window_ = std::make_shared<QPointer<QWidget>>();
};
