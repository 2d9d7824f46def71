#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>

#include "platform/SystemPaths.h"

namespace {

constexpr char kRequest[] = "come-forward\n";

std::string RuntimePath(const std::string& name, const char* suffix) {
    std::string dir = SystemPaths::RuntimeDir();
    std::string path = dir + "/" + name;
    // Outside the per-user runtime directory the name is shared with other users.
    if (dir == "/tmp") {
        path += "-" + std::to_string(getuid());
    }
    return path + suffix;
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
    int fd = open(PathFor(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Result::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? Result::AlreadyExists : Result::Failed;
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
