#pragma once

#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/Trace.h"

namespace testing_support {

// A fresh temporary HOME with every XDG folder pointing into it, for the life of the object;
// the previous values come back and the folder is removed afterwards.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& Root() const { return root_; }
    std::string DataHome() const { return root_ + "/data"; }
    std::string ConfigHome() const { return root_ + "/config"; }
    std::string RuntimeDir() const { return root_ + "/runtime"; }
    // The machine-wide config folder ($XDG_CONFIG_DIRS), made on demand by whoever writes.
    std::string SystemConfigDir() const { return root_ + "/system-config"; }
    std::string AppDataFolder() const { return DataHome() + "/Tivora"; }
    std::string ErrorLogPath() const { return AppDataFolder() + "/errors.log"; }

    // The environment as a list of NAME=value, for starting child processes.
    std::vector<std::string> Environment() const;

private:
    std::string root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// One environment variable set for the life of the object; its previous value (or its absence)
// comes back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Collects trace texts while alive.
class TraceRecorder : public TraceHook::Listener {
public:
    TraceRecorder();
    ~TraceRecorder() override;
    void OnTrace(std::string_view text) override;
    std::vector<std::string> Texts() const;
    bool Contains(const std::string& text) const;

private:
    TraceHook::Listener* previous_;
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
};

// Waits, letting this process's events in meanwhile, until done() or the time is up; whether
// done() came true.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The permission bits of a file or folder; -1 when it cannot be looked at.
int ModeOf(const std::string& path);
// Whether process pid has ended: gone, or a zombie nobody has reaped yet (an orphan's parent
// need not be a reaping init in a container).
bool ProcessEnded(int pid);

// Bytes written as numbers, for binary fixtures.
std::string Bytes(std::initializer_list<int> values);

}  // namespace testing_support
