#pragma once

#include <functional>
#include <mutex>

// Process-wide objects are made on first use and destroyed together, in the reverse order of
// their making, when the program ends (DestroyAll). An object made while others are being
// destroyed is destroyed right after them.
namespace ProcessObjects {

// Registers a destroyer to run at DestroyAll. Thread-safe.
void AtDestroy(std::function<void()> destroyer);

// Runs every registered destroyer, the last registered first, until none is left.
void DestroyAll();

}  // namespace ProcessObjects

// The single process-wide instance of T, default-constructed on first use. If the constructor
// throws, nothing is kept and the next call tries again.
template <class T>
T& ProcessWide() {
    static std::mutex mutex;
    static T* instance = nullptr;
    {
        std::lock_guard lock(mutex);
        if (instance != nullptr) {
            return *instance;
        }
    }
    // Constructed outside the lock: a constructor may itself use other process-wide objects.
    T* made = new T();
    std::lock_guard lock(mutex);
    if (instance != nullptr) {  // another thread won the race
        delete made;
        return *instance;
    }
    instance = made;
    ProcessObjects::AtDestroy([] {
        T* gone = nullptr;
        {
            std::lock_guard destroyLock(mutex);
            gone = instance;
            instance = nullptr;
        }
        delete gone;
    });
    return *instance;
}
