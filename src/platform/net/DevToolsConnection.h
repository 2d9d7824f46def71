#pragma once

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/net/DevToolsFrames.h"

class UnixConnection;

// The answer to one DevTools command.
struct DevToolsReply {
    bool ok = false;
    QJsonObject result;  // when ok
    QString error;       // when not: the browser's message, or why no answer came
};

// One connection to a Chromium browser's DevTools endpoint, on the local socket of its browser
// host (the browser's pipe framing: JSON messages each ended by a NUL byte): commands with their
// ids and replies, flattened sessions, and the events of every session. Only a socket whose
// other end runs as this user is taken. Lives on the thread that made it; everything arrives
// through that thread's event loop.
class DevToolsConnection : public QObject {
    Q_OBJECT
public:
    using ReplyHandler = std::function<void(const DevToolsReply&)>;

    explicit DevToolsConnection(QObject* parent = nullptr);
    ~DevToolsConnection() override;

    // Opens the connection without waiting for it: done gets whether it opened, from the event
    // loop, at most timeoutMs later, and only while context (when given) exists. One opening at
    // a time; a connection that is open already answers true.
    void OpenAsync(const QString& socketPath, int timeoutMs, QObject* context,
                   std::function<void(bool opened)> done);
    // Opens the connection and waits for it at most timeoutMs.
    bool Open(const QString& socketPath, int timeoutMs);
    bool IsOpen() const;
    // Closes the connection; outstanding commands are answered with an error.
    void Close();

    // Sends a command, to the browser or to sessionId. handler runs with the reply; when a
    // context is given, only while the context still exists. The command's id, or 0 when the
    // connection is not open (handler then runs with an error at once).
    qint64 Send(const QString& method, const QJsonObject& params = {},
                const QString& sessionId = {}, QObject* context = nullptr,
                ReplyHandler handler = {});

    // Like Send; when no reply came within timeoutMs, handler gets the error "no reply to "
    // + method, and a reply that comes later is dropped.
    qint64 Request(const QString& method, const QJsonObject& params, const QString& sessionId,
                   int timeoutMs, QObject* context, ReplyHandler handler);

    // Sends a command and waits at most timeoutMs for its reply. Events keep arriving while it
    // waits; user input does not.
    DevToolsReply Call(const QString& method, const QJsonObject& params = {},
                       const QString& sessionId = {}, int timeoutMs = 5000);

    // Waits until every command sent so far has been answered, at most timeoutMs; true when
    // none is left.
    bool WaitForReplies(int timeoutMs);

    // Waits until done() holds or timeoutMs passed, letting the connection's traffic in.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

    // Incoming messages larger than this are refused (the connection is closed).
    static constexpr qint64 kMaxMessageSize = 64 * 1024 * 1024;

signals:
    // An event of the browser (sessionId empty) or of a session.
    void eventReceived(const QString& method, const QJsonObject& params, const QString& sessionId);
    // The connection was closed, by either side.
    void closed();
    // Something arrived or changed; wakes up waits.
    void progressed();

private:
    struct Pending {
        bool hasContext = false;
        QPointer<QObject> context;
        ReplyHandler handler;
    };

    void OnReadyRead();
    void OnMessage(const QByteArray& bytes);
    void OnDisconnected();
    void Answer(Pending pending, const DevToolsReply& reply);
    void FailAllPending(const QString& why);
    void TryConnect(int attempt);
    void FinishOpening(UnixConnection* socket);
    void DropSocket();

    // The opening under way, if any.
    struct Opening {
        bool hasContext = false;
        QPointer<QObject> context;
        std::function<void(bool)> done;
    };

    UnixConnection* socket_ = nullptr;  // a child of this; none while closed
    DevToolsFrames frames_{kMaxMessageSize};
    qint64 nextId_ = 1;
    std::map<qint64, Pending> pending_;
    bool open_ = false;
    std::optional<Opening> opening_;
    std::string openingPath_;
    int openings_ = 0;  // tells a retry of an earlier opening from the current one
    QTimer openingDeadline_;
};
