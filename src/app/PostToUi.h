#pragma once

#include <functional>

// The one way from another thread to the user-interface thread: a task queued to the
// application object, run there in the order posted. Tasks posted once the application object
// is gone, or not run before it is destroyed, are dropped; whatever they were to do must be
// caught by the exit's own work (the final settings save).
namespace Ui {

// Queues task for the user-interface thread; false (and the task dropped) when there is no
// application object.
bool Post(std::function<void()> task);

// Called on the user-interface thread before other threads post: from then on they wake it
// without sending a Qt event. Without it, posts still arrive, through Qt's event queue.
void PrepareForOtherThreads();

// Whether the caller runs on the application object's thread. False when there is none.
bool OnUiThread();

}  // namespace Ui
