#include "platform/net/DevToolsConnection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QEventLoop>
#include <QJsonDocument>
#include <QTimer>
#include <memory>
#include <optional>

namespace {

// Whether the other end of a connected local socket runs as this user.
bool PeerIsThisUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                      &size) == 0 &&
           peer.uid == geteuid();
}

}  // namespace

DevToolsConnection::DevToolsConnection(QObject* parent) : QObject(parent) {
    connect(&socket_, &QLocalSocket::readyRead, this, &DevToolsConnection::OnReadyRead);
    connect(&socket_, &QLocalSocket::disconnected, this, &DevToolsConnection::OnDisconnected);
    connect(&socket_, &QLocalSocket::connected, this, &DevToolsConnection::progressed);
    connect(&socket_, &QLocalSocket::errorOccurred, this, &DevToolsConnection::progressed);
    // An opening ends when the socket settles, connected or not, or at its deadline; always
    // from the event loop, also when the socket gives up within connectToServer().
    connect(&socket_, &QLocalSocket::stateChanged, this,
            [this](QLocalSocket::LocalSocketState state) {
                if (opening_ && (state == QLocalSocket::ConnectedState ||
                                 state == QLocalSocket::UnconnectedState)) {
                    QMetaObject::invokeMethod(this, &DevToolsConnection::FinishOpening,
                                              Qt::QueuedConnection);
                }
            });
    openingDeadline_.setSingleShot(true);
    connect(&openingDeadline_, &QTimer::timeout, this, &DevToolsConnection::FinishOpening);
}

DevToolsConnection::~DevToolsConnection() {
    disconnect(&socket_, nullptr, this, nullptr);
    socket_.abort();
}

void DevToolsConnection::OpenAsync(const QString& socketPath, int timeoutMs, QObject* context,
                                   std::function<void(bool)> done) {
    Opening opening{context != nullptr, context, std::move(done)};
    if (open_ || opening_) {
        const bool opened = open_;
        QTimer::singleShot(0, this, [opening = std::move(opening), opened] {
            if (!opening.hasContext || opening.context) {
                opening.done(opened);
            }
        });
        return;
    }
    // A connection closed with something still to write may not have let go yet.
    socket_.abort();
    frames_ = DevToolsFrames(kMaxMessageSize);
    opening_ = std::move(opening);
    openingDeadline_.start(timeoutMs);
    socket_.connectToServer(socketPath);
}

void DevToolsConnection::FinishOpening() {
    if (!opening_) {
        return;
    }
    const QLocalSocket::LocalSocketState state = socket_.state();
    if (state != QLocalSocket::ConnectedState && state != QLocalSocket::UnconnectedState &&
        openingDeadline_.isActive()) {
        return;  // on its way still
    }
    openingDeadline_.stop();
    Opening opening = std::move(*opening_);
    opening_.reset();
    open_ = state == QLocalSocket::ConnectedState && PeerIsThisUser(socket_);
    if (!open_) {
        socket_.abort();
    } else if (socket_.bytesAvailable() > 0) {
        // Events of the browser that came before the opening ended.
        QMetaObject::invokeMethod(this, &DevToolsConnection::OnReadyRead, Qt::QueuedConnection);
    }
    emit progressed();
    if (!opening.hasContext || opening.context) {
        opening.done(open_);
    }
}

bool DevToolsConnection::Open(const QString& socketPath, int timeoutMs) {
    if (open_) {
        return true;
    }
    auto opened = std::make_shared<std::optional<bool>>();
    QObject waiting;
    OpenAsync(socketPath, timeoutMs, &waiting, [opened](bool ok) { *opened = ok; });
    // The opening ends at its own deadline; the margin only keeps the two from racing.
    WaitUntil([opened] { return opened->has_value(); }, timeoutMs + 1000);
    return opened->value_or(false);
}

bool DevToolsConnection::IsOpen() const {
    return open_;
}

void DevToolsConnection::Close() {
    if (open_) {
        // What was sent still goes out before the socket closes.
        socket_.flush();
        socket_.disconnectFromServer();
        // The socket reports the end later; the connection is over for its users now.
        OnDisconnected();
    }
}

qint64 DevToolsConnection::Send(const QString& method, const QJsonObject& params,
                                const QString& sessionId, QObject* context, ReplyHandler handler) {
    Pending pending{context != nullptr, context, std::move(handler)};
    if (!open_) {
        Answer(std::move(pending), {false, {}, QStringLiteral("not connected")});
        return 0;
    }
    const qint64 id = nextId_++;
    QJsonObject message{{"id", id}, {"method", method}, {"params", params}};
    if (!sessionId.isEmpty()) {
        message.insert("sessionId", sessionId);
    }
    pending_.emplace(id, std::move(pending));
    socket_.write(DevToolsFrames::Frame(QJsonDocument(message).toJson(QJsonDocument::Compact)));
    return id;
}

qint64 DevToolsConnection::Request(const QString& method, const QJsonObject& params,
                                   const QString& sessionId, int timeoutMs, QObject* context,
                                   ReplyHandler handler) {
    const qint64 id = Send(method, params, sessionId, context, std::move(handler));
    if (id != 0) {
        QTimer::singleShot(timeoutMs, this, [this, id, method] {
            auto found = pending_.find(id);
            if (found == pending_.end()) {
                return;
            }
            Pending pending = std::move(found->second);
            pending_.erase(found);
            Answer(std::move(pending), {false, {}, QStringLiteral("no reply to ") + method});
            emit progressed();
        });
    }
    return id;
}

DevToolsReply DevToolsConnection::Call(const QString& method, const QJsonObject& params,
                                       const QString& sessionId, int timeoutMs) {
    auto answer = std::make_shared<std::optional<DevToolsReply>>();
    QObject context;
    Send(method, params, sessionId, &context,
         [answer](const DevToolsReply& reply) { *answer = reply; });
    if (!WaitUntil([answer] { return answer->has_value(); }, timeoutMs)) {
        return {false, {}, QStringLiteral("no reply to ") + method};
    }
    return **answer;
}

bool DevToolsConnection::WaitForReplies(int timeoutMs) {
    return WaitUntil([this] { return pending_.empty(); }, timeoutMs);
}

bool DevToolsConnection::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &DevToolsConnection::progressed, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    while (!done() && deadline.isActive()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return done();
}

void DevToolsConnection::OnReadyRead() {
    while (open_ && socket_.bytesAvailable() > 0) {
        const QByteArray bytes = socket_.read(64 * 1024);
        frames_.Append(bytes.constData(), bytes.size());
        while (open_) {
            std::optional<QByteArray> message = frames_.Next();
            if (!message) {
                break;
            }
            OnMessage(*message);
        }
        if (frames_.TakeOverflow()) {
            // A message larger than any the program asks for: the other end is not the browser.
            socket_.abort();
            OnDisconnected();
        }
    }
}

void DevToolsConnection::OnMessage(const QByteArray& bytes) {
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return;  // not a protocol message; nothing to answer
    }
    const QJsonObject message = document.object();
    if (message.contains("id")) {
        auto found = pending_.find(message.value("id").toInteger());
        if (found != pending_.end()) {
            Pending pending = std::move(found->second);
            pending_.erase(found);
            if (message.contains("error")) {
                Answer(std::move(pending),
                       {false, {}, message.value("error").toObject().value("message").toString()});
            } else {
                Answer(std::move(pending), {true, message.value("result").toObject(), {}});
            }
        }
    } else if (message.contains("method")) {
        emit eventReceived(message.value("method").toString(), message.value("params").toObject(),
                           message.value("sessionId").toString());
    }
    emit progressed();
}

void DevToolsConnection::Answer(Pending pending, const DevToolsReply& reply) {
    if (!pending.handler || (pending.hasContext && pending.context.isNull())) {
        return;
    }
    pending.handler(reply);
}

void DevToolsConnection::FailAllPending(const QString& why) {
    std::map<qint64, Pending> failed;
    failed.swap(pending_);
    for (auto& [id, pending] : failed) {
        Answer(std::move(pending), {false, {}, why});
    }
}

void DevToolsConnection::OnDisconnected() {
    if (!open_) {
        return;
    }
    open_ = false;
    FailAllPending(QStringLiteral("connection closed"));
    emit closed();
    emit progressed();
}
