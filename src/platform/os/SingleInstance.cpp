#include "platform/os/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTimer>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/os/SystemPaths.h"
#include "platform/os/UnixSocket.h"

namespace {

constexpr char kRequest[] = "come-forward";
// The longest request line, its end included.
constexpr qsizetype kMaxLine = sizeof(kRequest) + InstanceChannel::kMaxTokenLength + 1;
// A caller that has not said what it wants by then is dropped.
constexpr int kConnectionLifetimeMs = 10000;

// The token of one request line (without its end), or nothing when the line is not a request.
std::optional<std::string> ParseRequest(const QByteArray& line) {
    const QByteArray request(kRequest);
    if (line == request) {
        return std::string();
    }
    if (!line.startsWith(request + ' ')) {
        return std::nullopt;
    }
    std::string token = line.mid(request.size() + 1).toStdString();
    if (token.empty() || !InstanceChannel::IsValidToken(token)) {
        return std::nullopt;
    }
    return token;
}

// The lock and the socket live in the user's runtime folder; empty when there is none.
std::string RuntimePath(const std::string& name, const char* suffix) {
    auto folder = SystemPaths::UserRuntimeFolder();
    return folder ? *folder + "/" + name + suffix : std::string();
}

}  // namespace

NamedMutex::~NamedMutex() {
    Close();
}

std::string NamedMutex::PathFor(const std::string& name) {
    return RuntimePath(name, ".lock");
}

NamedMutex::Result NamedMutex::Create(const std::string& name) {
    Close();
    error_.clear();
    std::string why;
    auto folder = SystemPaths::UserRuntimeFolder(&why);
    if (!folder) {
        error_ = "no private runtime folder: " + why;
        return Result::Failed;
    }
    const std::string path = *folder + "/" + name + ".lock";
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        error_ = "cannot open " + path + ": " + std::strerror(errno);
        return Result::Failed;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        close(fd);
        error_ = path + " is not a file of this user";
        return Result::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(fd);
        if (error == EWOULDBLOCK) {
            return Result::AlreadyExists;
        }
        error_ = "cannot lock " + path + ": " + std::strerror(error);
        return Result::Failed;
    }
    fd_ = fd;
    return Result::Created;
}

void NamedMutex::Close() {
    if (fd_ >= 0) {
        close(fd_);  // closing the descriptor drops the lock
        fd_ = -1;
    }
}

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel() = default;

std::string InstanceChannel::PathFor(const std::string& name) {
    return RuntimePath(name, ".socket");
}

bool InstanceChannel::Listen(const std::string& name,
                             std::function<void(const std::string& token)> onRequest) {
    const std::string path = PathFor(name);
    if (path.empty()) {
        return false;
    }
    onRequest_ = std::move(onRequest);
    // Only the holder of the marker listens, so a socket file left there is stale.
    server_ = std::make_unique<UnixListener>();
    return server_->Listen(path, [this](int fd) { OnConnection(fd); });
}

bool InstanceChannel::IsValidToken(const std::string& token) {
    if (token.size() > kMaxTokenLength) {
        return false;
    }
    for (char c : token) {
        if (c < 0x20 || c > 0x7e) {
            return false;
        }
    }
    return true;
}

void InstanceChannel::OnConnection(int fd) {
    // What a caller sends is outside input: only whole request lines of a bounded length count,
    // and the first thing that is not one ends the connection.
    auto* caller = new UnixConnection(fd, this);
    caller->SetReadLimit(2 * kMaxLine);
    connect(caller, &UnixConnection::closed, caller, &QObject::deleteLater);
    connect(caller, &UnixConnection::readyRead, this, [this, caller] { OnReadyRead(caller); });
    QTimer::singleShot(kConnectionLifetimeMs, caller, [caller] {
        caller->Close();
        caller->deleteLater();
    });
}

void InstanceChannel::OnReadyRead(UnixConnection* caller) {
    // Lines that came before the caller hung up count too.
    while (true) {
        const qsizetype end = caller->Buffer().indexOf('\n');
        if (end < 0) {
            if (caller->Buffer().size() >= kMaxLine) {
                break;  // a line longer than any request
            }
            return;
        }
        QByteArray line = caller->Take(end + 1);
        line.chop(1);
        const std::optional<std::string> token =
            line.size() < kMaxLine ? ParseRequest(line) : std::nullopt;
        if (!token) {
            break;
        }
        if (onRequest_) {
            onRequest_(*token);
        }
    }
    caller->Close();
    caller->deleteLater();
}

bool InstanceChannel::AskToComeForward(const std::string& name, const std::string& token,
                                       int timeoutMs) {
    const int fd = UnixSockets::ConnectWaiting(PathFor(name), timeoutMs);
    if (fd < 0) {
        return false;
    }
    bool sent = false;
    // The token is for this user's own bar only.
    if (UnixSockets::PeerIsThisUser(fd)) {
        // Without a token the line is the one earlier versions understand.
        std::string request = kRequest;
        if (!token.empty() && IsValidToken(token)) {
            request += " " + token;
        }
        request += "\n";
        sent = UnixSockets::WriteWaiting(fd, request.data(), request.size(), timeoutMs);
    }
    close(fd);
    return sent;
}
