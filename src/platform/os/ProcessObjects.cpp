#include "platform/os/ProcessObjects.h"

#include <utility>
#include <vector>

namespace ProcessObjects {
namespace {

std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<std::function<void()>>& Destroyers() {
    static std::vector<std::function<void()>> destroyers;
    return destroyers;
}

}  // namespace

void AtDestroy(std::function<void()> destroyer) {
    std::lock_guard lock(Mutex());
    Destroyers().push_back(std::move(destroyer));
}

void DestroyAll() {
    for (;;) {
        std::function<void()> next;
        {
            std::lock_guard lock(Mutex());
            if (Destroyers().empty()) {
                return;
            }
            next = std::move(Destroyers().back());
            Destroyers().pop_back();
        }
        next();
    }
}

}  // namespace ProcessObjects
