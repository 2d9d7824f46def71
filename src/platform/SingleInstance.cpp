#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/SystemPaths.h"

namespace {

constexpr char kRequest[] = "come-forward\n";

// The folder of the lock and the socket. The session's runtime folder is the user's own;
// without one, a folder of this user's own under the temporary folder, since anyone can make
// names there: a lock file another user made first would let two instances run side by side.
std::string RuntimeFolder() {
    std::string dir = SystemPaths::RuntimeDir();
    if (dir == "/tmp") {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
        dir = base + "/tivora-" + std::to_string(geteuid());
    }
    return dir;
}

std::string RuntimePath(const std::string& name, const char* suffix) {
    return RuntimeFolder() + "/" + name + suffix;
}

// Makes the private folder when it is missing and checks that it is one: a real folder (not a
// link), of this user, closed to everyone else. Empty when it is, else why not.
std::string EnsurePrivateFolder(const std::string& dir) {
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        return "cannot make " + dir + ": " + std::strerror(errno);
    }
    struct stat info {};
    if (lstat(dir.c_str(), &info) != 0) {
        return "cannot inspect " + dir + ": " + std::strerror(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return dir + " is not a folder";
    }
    if (info.st_uid != geteuid()) {
        return dir + " belongs to another user";
    }
    if ((info.st_mode & 077) != 0) {
        return dir + " is open to other users";
    }
    return {};
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
    const std::string dir = RuntimeFolder();
    if (dir != SystemPaths::RuntimeDir()) {
        error_ = EnsurePrivateFolder(dir);
        if (!error_.empty()) {
            return Result::Failed;
        }
    }
    const std::string path = PathFor(name);
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

bool InstanceChannel::Listen(const std::string& name, std::function<void()> onRequest) {
    const std::string dir = RuntimeFolder();
    if (dir != SystemPaths::RuntimeDir() && !EnsurePrivateFolder(dir).empty()) {
        return false;  // what is there to remove below may not be ours
    }
    onRequest_ = std::move(onRequest);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QString path = QString::fromStdString(PathFor(name));
    // Only the holder of the marker listens, so a socket file left there is stale.
    QLocalServer::removeServer(path);
    connect(server_.get(), &QLocalServer::newConnection, this, &InstanceChannel::OnNewConnection);
    return server_->listen(path);
}

void InstanceChannel::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // Only a whole request line counts; anything else is ignored.
            while (socket->canReadLine()) {
                if (socket->readLine(64) == kRequest && onRequest_) {
                    onRequest_();
                }
            }
            if (socket->bytesAvailable() > 256) {
                socket->abort();
            }
        });
    }
}

bool InstanceChannel::AskToComeForward(const std::string& name, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(PathFor(name)));
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(kRequest);
    bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}
