#pragma once

#include <algorithm>
#include <memory>
#include <vector>

// Listeners of one kind of change, any number of them, each registered for the life of the
// Registration that Add returns: it unhooks its listener when it is destroyed, so a listener
// can never be called after its owner is gone. For the user-interface thread only. A listener
// may register or unhook listeners (itself included) while it is being told: one unhooked
// during a notification is not called afterwards, one added during it is called from the next.
template <typename Listener>
class ListenerList {
    struct Entry {
        Listener* listener;
        bool removed = false;
    };

public:
    class Registration {
    public:
        Registration() = default;
        ~Registration() { Reset(); }
        Registration(Registration&& other) noexcept
            : entries_(std::move(other.entries_)), entry_(std::move(other.entry_)) {}
        Registration& operator=(Registration&& other) noexcept {
            if (this != &other) {
                Reset();
                entries_ = std::move(other.entries_);
                entry_ = std::move(other.entry_);
            }
            return *this;
        }
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;

        // Unhooks the listener now; nothing when it is not registered.
        void Reset() {
            if (!entry_) {
                return;
            }
            entry_->removed = true;
            if (std::shared_ptr<std::vector<std::shared_ptr<Entry>>> entries = entries_.lock()) {
                std::erase(*entries, entry_);
            }
            entry_.reset();
        }
        bool Active() const { return entry_ != nullptr; }

    private:
        friend class ListenerList;
        // The list may go first (the listener outlives what it listens to): then there is
        // nothing to unhook from.
        std::weak_ptr<std::vector<std::shared_ptr<Entry>>> entries_;
        std::shared_ptr<Entry> entry_;
    };

    [[nodiscard]] Registration Add(Listener& listener) {
        Registration registration;
        registration.entry_ = std::make_shared<Entry>(Entry{&listener});
        registration.entries_ = entries_;
        entries_->push_back(registration.entry_);
        return registration;
    }

    // Calls call(listener) for each listener, in the order they registered.
    template <typename Call>
    void Notify(Call&& call) const {
        const std::vector<std::shared_ptr<Entry>> snapshot = *entries_;
        for (const std::shared_ptr<Entry>& entry : snapshot) {
            if (!entry->removed) {
                call(*entry->listener);
            }
        }
    }

    std::size_t Size() const { return entries_->size(); }

private:
    std::shared_ptr<std::vector<std::shared_ptr<Entry>>> entries_ =
        std::make_shared<std::vector<std::shared_ptr<Entry>>>();
};
