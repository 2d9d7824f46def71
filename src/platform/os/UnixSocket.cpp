#include "platform/os/UnixSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

constexpr qsizetype kReadChunk = 64 * 1024;

bool Fill(sockaddr_un& address, const std::string& path) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path ||
        path.find('\0') != std::string::npos) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60 * 60 * 1000));
}

bool Retry(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

}  // namespace

namespace UnixSockets {

int Connect(const std::string& path) {
    sockaddr_un address;
    if (!Fill(address, path)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

int ConnectWaiting(const std::string& path, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        const int fd = Connect(path);
        if (fd >= 0 || !Retry(errno) || MillisecondsLeft(deadline) == 0) {
            return fd;
        }
        poll(nullptr, 0, std::min(10, MillisecondsLeft(deadline)));
    }
}

bool WriteWaiting(int fd, const char* bytes, std::size_t size, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (size > 0) {
        const ssize_t sent = send(fd, bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            bytes += sent;
            size -= static_cast<std::size_t>(sent);
            continue;
        }
        if (sent < 0 && !Retry(errno)) {
            return false;
        }
        pollfd writable{fd, POLLOUT, 0};
        if (MillisecondsLeft(deadline) == 0 ||
            poll(&writable, 1, MillisecondsLeft(deadline)) == 0) {
            return false;
        }
    }
    return true;
}

}  // namespace UnixSockets

UnixConnection::UnixConnection(int fd, QObject* parent) : QObject(parent), fd_(fd) {
    if (fd_ < 0) {
        return;
    }
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
    reader_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(reader_.get(), &QSocketNotifier::activated, this, &UnixConnection::OnReadable);
    writer_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
    writer_->setEnabled(false);
    connect(writer_.get(), &QSocketNotifier::activated, this, &UnixConnection::OnWritable);
}

UnixConnection::~UnixConnection() {
    Close();
}

QByteArray UnixConnection::Take(qsizetype size) {
    size = std::clamp<qsizetype>(size, 0, in_.size());
    QByteArray taken = in_.left(size);
    in_.remove(0, size);
    UpdateReading();
    return taken;
}

void UnixConnection::SetReadLimit(qsizetype limit) {
    readLimit_ = std::max<qsizetype>(limit, 1);
    UpdateReading();
}

void UnixConnection::UpdateReading() {
    if (reader_) {
        reader_->setEnabled(in_.size() < readLimit_);
    }
}

void UnixConnection::Write(const QByteArray& bytes) {
    if (fd_ < 0 || bytes.isEmpty()) {
        return;
    }
    if (written_ > 0 && written_ == out_.size()) {
        out_.clear();
        written_ = 0;
    }
    out_.append(bytes);
    SendSome();
}

void UnixConnection::SendSome() {
    while (BytesToWrite() > 0) {
        const ssize_t sent =
            send(fd_, out_.constData() + written_, static_cast<std::size_t>(BytesToWrite()),
                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (!Retry(errno)) {
                writer_->setEnabled(false);
                // Reported from the event loop: the writer may be in the middle of something.
                QMetaObject::invokeMethod(this, &UnixConnection::Broken, Qt::QueuedConnection);
                return;
            }
            break;
        }
        written_ += sent;
    }
    if (BytesToWrite() == 0) {
        out_.clear();
        written_ = 0;
    }
    writer_->setEnabled(BytesToWrite() > 0);
}

void UnixConnection::OnWritable() {
    if (fd_ >= 0) {
        SendSome();
    }
}

bool UnixConnection::Flush(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ >= 0 && BytesToWrite() > 0) {
        SendSome();
        if (fd_ < 0 || BytesToWrite() == 0 || !writer_->isEnabled()) {
            break;
        }
        pollfd writable{fd_, POLLOUT, 0};
        if (MillisecondsLeft(deadline) == 0 ||
            poll(&writable, 1, MillisecondsLeft(deadline)) == 0) {
            break;
        }
    }
    return fd_ >= 0 && BytesToWrite() == 0;
}

void UnixConnection::OnReadable() {
    if (fd_ < 0) {
        return;
    }
    if (in_.size() >= readLimit_) {
        UpdateReading();
        return;
    }
    char buffer[kReadChunk];
    const auto room = static_cast<std::size_t>(std::min(kReadChunk, readLimit_ - in_.size()));
    const ssize_t got = recv(fd_, buffer, room, MSG_DONTWAIT);
    if (got < 0 && Retry(errno)) {
        return;
    }
    if (got <= 0) {
        Broken();
        return;
    }
    in_.append(buffer, got);
    UpdateReading();
    emit readyRead();
}

void UnixConnection::Broken() {
    if (fd_ < 0) {
        return;
    }
    // What the other end wrote before it went is still theirs to read.
    bool more = false;
    char buffer[kReadChunk];
    while (in_.size() < readLimit_) {
        const auto room = static_cast<std::size_t>(std::min(kReadChunk, readLimit_ - in_.size()));
        const ssize_t got = recv(fd_, buffer, room, MSG_DONTWAIT);
        if (got <= 0) {
            break;
        }
        in_.append(buffer, got);
        more = true;
    }
    Close();
    QPointer<UnixConnection> self(this);
    if (more) {
        emit readyRead();
    }
    if (self) {
        emit closed();
    }
}

void UnixConnection::Close() {
    reader_.reset();
    writer_.reset();
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    out_.clear();
    written_ = 0;
}

UnixListener::UnixListener(QObject* parent) : QObject(parent) {}

UnixListener::~UnixListener() {
    notifier_.reset();
    if (fd_ >= 0) {
        close(fd_);
        // The file is removed only while it is still this listener's: a later one may have
        // taken the path over.
        struct stat info {};
        if (!path_.empty() && lstat(path_.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) &&
            info.st_ino == inode_ && info.st_dev == device_) {
            unlink(path_.c_str());
        }
    }
}

bool UnixListener::Listen(const std::string& path, std::function<void(int fd)> onConnection,
                          std::string* why) {
    auto fail = [why](const std::string& reason) {
        if (why != nullptr) {
            *why = reason;
        }
        return false;
    };
    if (fd_ >= 0) {
        return fail("already listening");
    }
    sockaddr_un address;
    if (!Fill(address, path)) {
        return fail("the socket's path is too long: " + path);
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return fail(std::string("no socket: ") + std::strerror(errno));
    }
    unlink(path.c_str());
    // The folder is the user's own; the mode closes the socket before anyone could use it,
    // since nothing connects before listen().
    struct stat info {};
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        chmod(path.c_str(), 0600) != 0 || lstat(path.c_str(), &info) != 0 || listen(fd, 16) != 0) {
        const int error = errno;
        close(fd);
        return fail("cannot listen on " + path + ": " + std::strerror(error));
    }
    fd_ = fd;
    path_ = path;
    inode_ = info.st_ino;
    device_ = info.st_dev;
    onConnection_ = std::move(onConnection);
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &UnixListener::OnAcceptable);
    return true;
}

void UnixListener::OnAcceptable() {
    QPointer<UnixListener> self(this);
    while (self && fd_ >= 0) {
        const int fd = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        if (!UnixSockets::PeerIsThisUser(fd)) {
            close(fd);
            continue;
        }
        if (onConnection_) {
            onConnection_(fd);
        } else {
            close(fd);
        }
    }
}
