#include "platform/os/RegularFile.h"
#include "platform/os/OwnedDescriptor.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <sstream>

namespace RegularFile {
namespace {

std::string Reason(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

bool IsMissing(int error) {
    return error == ENOENT || error == ENOTDIR;
}

// Opens a regular file without ever blocking on the open; O_NONBLOCK is taken off again once
// the descriptor is known to be a regular file. -1 with errno set otherwise (EINVAL when
// something else is there).
int OpenRegular(const std::string& path, int flags) {
    int fd = open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

std::string Folder(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Marks a temporary file of a save; nobody names a file so.
constexpr const char* kTemporaryMark = ".tivora-save.";
constexpr std::size_t kRandomLength = 6;  // mkstemp's

std::string BaseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

std::string TemporaryPrefix(const std::string& path) {
    return "." + BaseName(path) + kTemporaryMark;
}

bool IsRandomPart(const char* text) {
    for (std::size_t i = 0; i < kRandomLength; ++i) {
        const char c = text[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return text[kRandomLength] == '\0';
}

long long Nanoseconds(const timespec& time) {
    return static_cast<long long>(time.tv_sec) * 1000000000LL + time.tv_nsec;
}

// When this process started, in nanoseconds on the wall clock; nullopt when the system does
// not say. Read every time: a forked child is a process of its own.
std::optional<long long> ProcessStart() {
    ReadResult self = Read("/proc/self/stat", 4096);
    const std::string::size_type name = self.bytes.rfind(')');
    if (!self.Ok() || name == std::string::npos) {
        return std::nullopt;
    }
    // The fields after the program's name start with the third; the start time is the 22nd,
    // in clock ticks since boot.
    std::istringstream fields(self.bytes.substr(name + 1));
    std::string skipped;
    for (int field = 3; field < 22; ++field) {
        fields >> skipped;
    }
    unsigned long long ticks = 0;
    const long hertz = sysconf(_SC_CLK_TCK);
    timespec now{};
    timespec sinceBoot{};
    if (!(fields >> ticks) || hertz <= 0 || clock_gettime(CLOCK_REALTIME, &now) != 0 ||
        clock_gettime(CLOCK_BOOTTIME, &sinceBoot) != 0) {
        return std::nullopt;
    }
    const long long startedAfterBoot =
        static_cast<long long>(ticks / static_cast<unsigned long long>(hertz)) * 1000000000LL +
        static_cast<long long>(ticks % static_cast<unsigned long long>(hertz)) * 1000000000LL /
            hertz;
    return Nanoseconds(now) - (Nanoseconds(sinceBoot) - startedAfterBoot);
}

// Removes what ended saves of path left beside it: temporary files of path of this user,
// older than this process and locked by nobody. A save under way, here or in another
// process, holds the lock on its temporary file; a fresh one is younger than this process.
void RemoveStaleTemporaries(const std::string& path) {
    const std::optional<long long> started = ProcessStart();
    if (!started) {
        return;  // what is old cannot be told: nothing counts as left over
    }
    const std::string prefix = TemporaryPrefix(path);
    struct CloseDir {
        void operator()(DIR* dir) const { closedir(dir); }
    };
    std::unique_ptr<DIR, CloseDir> dir(opendir(Folder(path).c_str()));
    if (!dir) {
        return;
    }
    const uid_t me = geteuid();
    while (const dirent* entry = readdir(dir.get())) {
        const char* name = entry->d_name;
        if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0 ||
            !IsRandomPart(name + prefix.size())) {
            continue;
        }
        OwnedDescriptor fd(openat(dirfd(dir.get()), name,
                                  O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat info {};
        if (fd.Get() >= 0 && fstat(fd.Get(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == me && Nanoseconds(info.st_mtim) < *started &&
            flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) {
            unlinkat(dirfd(dir.get()), name, 0);
        }
    }
}

// The file a save really writes: the target of a symlink, the path itself otherwise.
std::string WrittenPath(const std::string& path) {
    struct stat link {};
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
        return path;
    }
    struct Free {
        void operator()(char* text) const { std::free(text); }
    };
    std::unique_ptr<char, Free> resolved(realpath(path.c_str(), nullptr));
    // A dangling link stays as it is; the in-place write below follows it.
    return resolved ? std::string(resolved.get()) : path;
}

std::string RewriteInPlace(const std::string& path, const std::string& bytes, mode_t mode) {
    OwnedDescriptor fd(OpenRegular(path, O_WRONLY | O_CREAT));
    if (fd.Get() < 0) {
        return Reason("Unable to open", path, errno);
    }
    if (!WriteAll(fd.Get(), bytes) || ftruncate(fd.Get(), static_cast<off_t>(bytes.size())) != 0 ||
        fchmod(fd.Get(), mode) != 0 || fsync(fd.Get()) != 0 || !fd.Close()) {
        return Reason("Unable to write", path, errno);
    }
    return {};
}

}  // namespace

Kind KindOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return IsMissing(errno) ? Kind::Missing : Kind::Other;
    }
    return S_ISREG(info.st_mode) ? Kind::Regular : Kind::Other;
}

ReadResult Read(const std::string& path, std::size_t maxBytes) {
    using Status = ReadResult::Status;
    ReadResult result;
    // Looked at before it is opened: opening a device can have effects of its own.
    switch (KindOf(path)) {
        case Kind::Missing:
            result.status = Status::Missing;
            result.error = path + " does not exist";
            return result;
        case Kind::Other:
            result.status = Status::NotRegular;
            result.error = path + " is not a regular file";
            return result;
        case Kind::Regular:
            break;
    }
    OwnedDescriptor fd(OpenRegular(path, O_RDONLY));
    if (fd.Get() < 0) {
        int error = errno;
        result.status = IsMissing(error)  ? Status::Missing
                        : error == EINVAL ? Status::NotRegular
                                          : Status::Failed;
        result.error = Reason("Unable to open", path, error);
        return result;
    }
    struct stat info {};
    fstat(fd.Get(), &info);
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > maxBytes) {
        result.status = Status::TooLarge;
        result.error = path + " is larger than " + std::to_string(maxBytes) + " bytes";
        return result;
    }
    // Read to the end rather than trusting the size: a file may grow meanwhile, and some
    // report no size at all.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        ssize_t n = read(fd.Get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            result.status = Status::Failed;
            result.error = Reason("Unable to read", path, errno);
            return result;
        }
        if (n == 0) {
            break;
        }
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
            result.status = Status::TooLarge;
            result.error = path + " is larger than " + std::to_string(maxBytes) + " bytes";
            return result;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    result.status = Status::Ok;
    result.bytes = std::move(bytes);
    return result;
}

std::string Replace(const std::string& path, const std::string& bytes,
                    const std::function<void(const std::string&)>& beforeReplace) {
    const std::string target = WrittenPath(path);
    mode_t mode = 0644;
    struct stat info {};
    if (stat(target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            return target + " is not a regular file";
        }
        // The owner's write bit decides, not access(): root may write anything, but a file
        // made read-only was made so on purpose.
        if ((info.st_mode & S_IWUSR) == 0) {
            return target + " is read-only";
        }
        mode = info.st_mode & 07777;
    } else if (!IsMissing(errno)) {
        return Reason("Unable to inspect", target, errno);
    }

    std::string temp = Folder(target) + "/" + TemporaryPrefix(target) + "XXXXXX";
    int made = mkstemp(temp.data());
    if (made < 0) {
        int error = errno;
        // Nothing can be made beside it; a file that exists and may be written is rewritten.
        // (A full disk is no such case: rewriting in place there could cut the file short.)
        if ((error == EACCES || error == EROFS || error == EPERM || error == ENAMETOOLONG) &&
            KindOf(target) == Kind::Regular) {
            return RewriteInPlace(target, bytes, mode);
        }
        return Reason("Unable to create", temp, error);
    }
    // Open, and so locked, for as long as the file has its temporary name: the clean-up of
    // another save leaves it alone. (Where the file system has no locks the save goes on, and
    // the clean-up there removes nothing.)
    OwnedDescriptor fd(made);
    flock(fd.Get(), LOCK_EX | LOCK_NB);
    bool ok = WriteAll(fd.Get(), bytes);
    ok = fchmod(fd.Get(), mode) == 0 && ok;
    ok = fsync(fd.Get()) == 0 && ok;
    if (ok && beforeReplace) {
        beforeReplace(temp);
    }
    if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
        int error = errno;
        std::remove(temp.c_str());
        return Reason("Unable to write", target, error);
    }
    fd.Close();
    RemoveStaleTemporaries(target);
    return {};
}

}  // namespace RegularFile
