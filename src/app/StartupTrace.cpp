#include "app/StartupTrace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace StartupTrace {
namespace {

constexpr const char* kVariable = "TIVORA_STARTUP_TRACE";

int OpenTraceFile() {
    const char* path = std::getenv(kVariable);
    if (path == nullptr || path[0] == '\0') {
        return -1;
    }
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    ::unsetenv(kVariable);
    return fd;
}

}  // namespace

void Mark(const char* phase) {
    static const int fd = OpenTraceFile();
    if (fd < 0) {
        return;
    }
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    char line[128];
    const int length =
        std::snprintf(line, sizeof line, "%s %lld\n", phase,
                      static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof line) {
        // Best effort: a stamp that cannot be written is simply missing from the trace.
        [[maybe_unused]] const ssize_t written =
            ::write(fd, line, static_cast<std::size_t>(length));
    }
}

}  // namespace StartupTrace
