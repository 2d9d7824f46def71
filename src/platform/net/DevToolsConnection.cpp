#include "platform/net/DevToolsConnection.h"

#include <unistd.h>

#include <QEventLoop>
#include <QJsonDocument>
#include <QTimer>
#include <cerrno>
#include <memory>
#include <optional>

#include "platform/os/UnixSocket.h"

namespace {

// While the host's queue of new connections is full, the opening tries again this often.
constexpr int kRetryMs = 10;
// What is left to send when the connection is closed gets this long to go out.
constexpr int kCloseFlushMs = 500;

}  // namespace

DevToolsConnection::DevToolsConnection(QObject* parent) : QObject(parent) {
    openingDeadline_.setSingleShot(true);
    connect(&openingDeadline_, &QTimer::timeout, this, [this] { FinishOpening(nullptr); });
}

DevToolsConnection::~DevToolsConnection() {
    DropSocket();
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
    DropSocket();
    frames_ = DevToolsFrames(kMaxMessageSize);
    opening_ = std::move(opening);
    openingPath_ = socketPath.toStdString();
    openingDeadline_.start(timeoutMs);
    TryConnect(++openings_);
}

void DevToolsConnection::TryConnect(int attempt) {
    if (!opening_ || attempt != openings_) {
        return;
    }
    UnixConnection* socket = nullptr;
    const int fd = UnixSockets::Connect(openingPath_);
    if (fd < 0 && errno == EAGAIN) {
        // The host's queue of new connections is full: again in a moment, until the deadline.
        QTimer::singleShot(kRetryMs, this, [this, attempt] { TryConnect(attempt); });
        return;
    }
    if (fd >= 0 && UnixSockets::PeerIsThisUser(fd)) {
        socket = new UnixConnection(fd, this);
    } else if (fd >= 0) {
        close(fd);
    }
    // The answer always comes from the event loop, even when it is known at once.
    QTimer::singleShot(0, this, [this, attempt, socket] {
        if (attempt == openings_) {
            FinishOpening(socket);
        } else {
            delete socket;
        }
    });
}

void DevToolsConnection::FinishOpening(UnixConnection* socket) {
    if (!opening_) {
        delete socket;
        return;
    }
    openingDeadline_.stop();
    Opening opening = std::move(*opening_);
    opening_.reset();
    open_ = socket != nullptr;
    if (open_) {
        socket_ = socket;
        connect(socket_, &UnixConnection::readyRead, this, [this, socket] {
            if (socket == socket_) {
                OnReadyRead();
            }
        });
        connect(socket_, &UnixConnection::closed, this, [this, socket] {
            if (socket == socket_) {
                OnDisconnected();
            }
        });
    }
    emit progressed();
    if (!opening.hasContext || opening.context) {
        opening.done(open_);
    }
}

void DevToolsConnection::DropSocket() {
    if (socket_ != nullptr) {
        socket_->Close();
        // It may be in the middle of telling this object something.
        socket_->deleteLater();
        socket_ = nullptr;
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
        // What was sent still goes out before the socket closes (a "Browser.close", say).
        socket_->Flush(kCloseFlushMs);
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
    socket_->Write(DevToolsFrames::Frame(QJsonDocument(message).toJson(QJsonDocument::Compact)));
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
    if (!open_ || socket_ == nullptr) {
        return;
    }
    const QByteArray bytes = socket_->Take(socket_->Buffer().size());
    frames_.Append(bytes.constData(), bytes.size());
    while (open_) {
        std::optional<QByteArray> message = frames_.Next();
        if (!message) {
            break;
        }
        OnMessage(*message);
    }
    if (open_ && frames_.TakeOverflow()) {
        // A message larger than any the program asks for: the other end is not the browser.
        OnDisconnected();
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
    DropSocket();
    FailAllPending(QStringLiteral("connection closed"));
    emit closed();
    emit progressed();
}
