#include "support/TestEnvironment.h"

#include <sys/stat.h>

#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace testing_support {
namespace {

constexpr const char* kVariables[] = {"HOME",           "XDG_DATA_HOME",   "XDG_CONFIG_HOME",
                                      "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "XDG_STATE_HOME"};

std::optional<std::string> GetEnv(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

}  // namespace

TempHome::TempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tivora-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    root_ = pattern;
    for (const char* name : kVariables) {
        saved_.emplace_back(name, GetEnv(name));
    }
    const std::pair<const char*, std::string> values[] = {
        {"HOME", root_},
        {"XDG_DATA_HOME", DataHome()},
        {"XDG_CONFIG_HOME", ConfigHome()},
        {"XDG_CACHE_HOME", root_ + "/cache"},
        {"XDG_RUNTIME_DIR", RuntimeDir()},
        {"XDG_STATE_HOME", root_ + "/state"},
        // The machine-wide folders too: a test run as root must not write to /etc.
        {"XDG_CONFIG_DIRS", SystemConfigDir()},
        {"XDG_DATA_DIRS", root_ + "/system-data"},
    };
    for (const auto& [name, value] : values) {
        setenv(name, value.c_str(), 1);
    }
    // The runtime folder must exist and be private, as the session's own is.
    mkdir(RuntimeDir().c_str(), 0700);
}

TempHome::~TempHome() {
    for (const auto& [name, value] : saved_) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    std::error_code ignored;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root_, ignored);
}

std::vector<std::string> TempHome::Environment() const {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        result.emplace_back(*entry);
    }
    return result;
}

TraceRecorder::TraceRecorder() : previous_(TraceHook::Set(this)) {}

TraceRecorder::~TraceRecorder() {
    TraceHook::Set(previous_);
}

void TraceRecorder::OnTrace(std::string_view text) {
    std::lock_guard lock(mutex_);
    texts_.emplace_back(text);
}

std::vector<std::string> TraceRecorder::Texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

bool TraceRecorder::Contains(const std::string& text) const {
    std::lock_guard lock(mutex_);
    for (const std::string& seen : texts_) {
        if (seen == text) {
            return true;
        }
    }
    return false;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    return QTest::qWaitFor(done, timeoutMs);
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

int ModeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

bool ProcessEnded(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return true;
    }
    // The state follows the command name, which is in parentheses and may hold anything.
    const std::string::size_type close = line.rfind(')');
    return close == std::string::npos || line.compare(close + 1, 3, " Z ") == 0;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values) {
        bytes += static_cast<char>(v);
    }
    return bytes;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
        old_ = old;
    }
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (old_) {
        setenv(name_, old_->c_str(), 1);
    } else {
        unsetenv(name_);
    }
}

}  // namespace testing_support
