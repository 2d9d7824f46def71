#pragma once

#include <string_view>

// The sink for progress notes and expected failures. It writes nothing anywhere; a test may
// listen to it to see what the program did.
void Trace(std::string_view text);

namespace TraceHook {
class Listener {
public:
    virtual ~Listener() = default;
    virtual void OnTrace(std::string_view text) = 0;
};
// Installs a listener (nullptr removes it) and returns the previous one. Thread-safe; the
// listener itself must be.
Listener* Set(Listener* listener);
}  // namespace TraceHook
