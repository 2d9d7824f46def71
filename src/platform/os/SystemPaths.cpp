#include "platform/os/SystemPaths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace SystemPaths {
namespace {

std::optional<std::string> AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    // The XDG Base Directory specification tells to ignore relative paths.
    if (value != nullptr && value[0] == '/') {
        return std::string(value);
    }
    return std::nullopt;
}

std::optional<std::string> UnderHome(const char* relative) {
    auto home = HomeDir();
    if (!home) {
        return std::nullopt;
    }
    std::string path = *home;
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path + relative;
}

}  // namespace

std::optional<std::string> ExecutablePath() {
    char buffer[kMaxPath];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
        return std::nullopt;
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string ExecutableName() {
    auto path = ExecutablePath();
    if (!path) {
        return "tivora";
    }
    std::string name = path->substr(path->find_last_of('/') + 1);
    std::string::size_type dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::optional<std::string> HomeDir() {
    if (auto home = AbsoluteEnv("HOME")) {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid());
        entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
        return std::string(entry->pw_dir);
    }
    return std::nullopt;
}

std::optional<std::string> DataHome() {
    if (auto dir = AbsoluteEnv("XDG_DATA_HOME")) {
        return dir;
    }
    return UnderHome(".local/share");
}

std::optional<std::string> ConfigHome() {
    if (auto dir = AbsoluteEnv("XDG_CONFIG_HOME")) {
        return dir;
    }
    return UnderHome(".config");
}

std::string RuntimeDir() {
    if (auto dir = AbsoluteEnv("XDG_RUNTIME_DIR")) {
        return *dir;
    }
    return "/tmp";
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeDirectories(const std::string& path, unsigned mode) {
    if (path.empty()) {
        return false;
    }
    if (IsDirectory(path)) {
        return true;
    }
    std::string::size_type slash = path.find_last_of('/', path.size() - 2);
    if (slash != std::string::npos && slash > 0 && !MakeDirectories(path.substr(0, slash), mode)) {
        return false;
    }
    if (mkdir(path.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
        return false;
    }
    return IsDirectory(path);
}

}  // namespace SystemPaths
