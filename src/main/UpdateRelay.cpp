#include "main/UpdateRelay.h"

#include <QCoreApplication>

#include "app/PostToUi.h"
#include "services/UpdateEvents.h"

namespace {

// On the user-interface thread: the event to whichever window is registered now, if any.
template <typename Event, typename Value>
void Deliver(const std::shared_ptr<QPointer<QWidget>>& window, Value value) {
    Ui::Post([window, value = std::move(value)] {
        if (QWidget* target = window->data()) {
            Event event(value);
            QCoreApplication::sendEvent(target, &event);
        }
    });
}

}  // namespace

void UpdateRelay::SetWindow(QWidget* window) {
    *window_ = window;
}

void UpdateRelay::UpdateAvailable(const UpdateManifest& manifest) {
    Deliver<UpdateAvailableEvent>(window_, manifest);
}

void UpdateRelay::UpdateResult(int code) {
    Deliver<UpdateResultEvent>(window_, code);
}
