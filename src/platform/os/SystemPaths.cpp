#include "platform/os/SystemPaths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

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
    std::string path(buffer, static_cast<std::size_t>(length));
    // Once the program's file is replaced while it runs (a package upgrade), the kernel names
    // the running one "<path> (deleted)"; the program's path is still <path>, where its
    // replacement now lies. A file that really has such a name is still the running file.
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.ends_with(kDeleted)) {
        struct stat running {};
        struct stat named {};
        const bool stillNamed = stat("/proc/self/exe", &running) == 0 &&
                                stat(path.c_str(), &named) == 0 && running.st_dev == named.st_dev &&
                                running.st_ino == named.st_ino;
        if (!stillNamed) {
            path.resize(path.size() - kDeleted.size());
        }
    }
    return path;
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

std::optional<std::string> CacheHome() {
    if (auto dir = AbsoluteEnv("XDG_CACHE_HOME")) {
        return dir;
    }
    return UnderHome(".cache");
}

std::string PrivateFolderProblem(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return "cannot inspect " + path + ": " + std::strerror(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return path + " is not a folder";
    }
    if (info.st_uid != geteuid()) {
        return path + " belongs to another user";
    }
    if ((info.st_mode & 077) != 0) {
        return path + " is open to other users";
    }
    return {};
}

std::optional<std::string> UserRuntimeFolder(std::string* why) {
    std::string problems;
    auto usable = [&problems](const std::string& path) {
        std::string problem = PrivateFolderProblem(path);
        if (!problem.empty()) {
            problems += (problems.empty() ? "" : "; ") + problem;
        }
        return problem.empty();
    };
    if (auto dir = AbsoluteEnv("XDG_RUNTIME_DIR"); dir && usable(*dir)) {
        return dir;
    }
    const std::string tmp = AbsoluteEnv("TMPDIR").value_or("/tmp");
    const std::string shared = tmp + "/tivora-" + std::to_string(geteuid());
    // An existing entry is judged as it is: what someone else made there stays theirs.
    mkdir(shared.c_str(), 0700);
    if (usable(shared)) {
        return shared;
    }
    if (auto cache = CacheHome()) {
        const std::string own = *cache + "/tivora/runtime";
        MakeDirectories(own, 0700);
        if (usable(own)) {
            return own;
        }
    } else {
        problems += "; no cache home";
    }
    if (why != nullptr) {
        *why = problems;
    }
    return std::nullopt;
}

std::string InstallPrefix(const std::string& executableFolder) {
    // The folder comes from /proc/self/exe, which has no symbolic links left, so its parent is
    // taken by name. The root folder is its own parent; no folder at all is the current one.
    const std::string::size_type end = executableFolder.find_last_not_of('/');
    if (end == std::string::npos) {
        return executableFolder.empty() ? "." : "/";
    }
    const std::string::size_type slash = executableFolder.find_last_of('/', end);
    return slash == std::string::npos ? std::string(".")
           : slash == 0               ? std::string("/")
                                      : executableFolder.substr(0, slash);
}

std::vector<std::string> HelperPlaces(const std::string& executableFolder,
                                      const std::string& name) {
    // The installed layout is <prefix>/bin/tivora beside <prefix>/libexec/tivora/.
    auto join = [](std::string base, const std::string& more) {
        return (base.empty() || base.back() != '/' ? base + "/" : base) + more;
    };
    return {join(executableFolder, name),
            join(InstallPrefix(executableFolder), "libexec/tivora/" + name)};
}

std::optional<std::string> HelperProgram(const std::string& name) {
    const std::optional<std::string> executable = ExecutablePath();
    if (!executable) {
        return std::nullopt;
    }
    const std::string folder = executable->substr(0, executable->find_last_of('/') + 1);
    for (const std::string& place : HelperPlaces(folder, name)) {
        struct stat info {};
        if (stat(place.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(place.c_str(), X_OK) == 0) {
            return place;
        }
    }
    return std::nullopt;
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
