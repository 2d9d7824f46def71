#include "platform/os/DetachedProcess.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "platform/os/Spawn.h"

namespace DetachedProcess {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::string> FindExecutable(const std::string& name) {
    if (name.empty()) {
        return std::nullopt;
    }
    if (name.find('/') != std::string::npos) {
        return IsExecutableFile(name) ? std::optional<std::string>(name) : std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string directories = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= directories.size()) {
        std::size_t end = directories.find(':', start);
        if (end == std::string::npos) {
            end = directories.size();
        }
        std::string directory = directories.substr(start, end - start);
        // An empty entry is the current directory; a program is never looked up there.
        if (!directory.empty() && directory[0] == '/') {
            std::string candidate = directory + "/" + name;
            if (IsExecutableFile(candidate)) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<pid_t> Start(const std::string& program, const std::vector<std::string>& arguments) {
    // Nothing to read, and its chatter is not the program's.
    Spawn::Plan plan;
    plan.newSession = true;
    plan.quiet = true;
    pid_t pid = 0;
    if (Spawn::Start(pid, program, arguments, plan) != 0) {
        return std::nullopt;
    }
    // The child is not tracked; this thread only collects its exit status so that it does not
    // linger as a zombie while the program runs. Should the program end first, the child is
    // handed to init, which does the same.
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return pid;
}

}  // namespace DetachedProcess
