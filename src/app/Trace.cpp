#include "app/Trace.h"

#include <atomic>

namespace {
std::atomic<TraceHook::Listener*> g_listener{nullptr};
}

void Trace(std::string_view text) {
    if (TraceHook::Listener* listener = g_listener.load(std::memory_order_acquire)) {
        listener->OnTrace(text);
    }
}

namespace TraceHook {
Listener* Set(Listener* listener) {
    return g_listener.exchange(listener);
}
}  // namespace TraceHook
