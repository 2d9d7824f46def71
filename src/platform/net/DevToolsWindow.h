#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "platform/net/DevToolsConnection.h"

// A frame of a window's page as the browser reports it. Frames from another site live in
// another process and are reached through a session of their own.
struct DevToolsFrame {
    QString id;
    QString parentId;  // empty for the page itself
    QString name;      // the frame element's name
    QString url;
    QString sessionId;  // the session that reaches the frame's document
    int contextId = 0;  // the newest default script context of its document; 0 when none
};

// One browser window of the automation browser, opened by this program and attached to
// through a flattened session: its page and frames (cross-site frames through sessions of
// their own), their script contexts, loads that completed, and calls of a binding that the
// page's scripts can make. The window stays open when the object goes: only the sessions end.
class DevToolsWindow : public QObject {
    Q_OBJECT
public:
    // Opens a new window (about:blank) and attaches to it without waiting: done gets the window,
    // or nullptr when the browser refuses, does not answer a step within timeoutMs or goes away.
    // done runs from the event loop and only while context (when given) exists; a window made
    // for a context that is gone by then is closed again.
    static void OpenAsync(DevToolsConnection& connection, int timeoutMs, QObject* context,
                          std::function<void(std::unique_ptr<DevToolsWindow>)> done);
    // Attaches to a window that is open already (one of this program's, or another's).
    static std::unique_ptr<DevToolsWindow> Attach(DevToolsConnection& connection,
                                                  const QString& targetId, int timeoutMs);
    ~DevToolsWindow() override;

    const QString& TargetId() const { return targetId_; }
    // Whether the window is still there and reachable.
    bool IsOpen() const;

    // Asks for page and script events in the window and in every frame, present and future.
    // False when the request could not be sent.
    bool EnableEvents();

    // Gives the frame's current document, and only it, a global function name through which
    // its scripts can call the program (see bindingCalled).
    void AddBinding(const DevToolsFrame& frame, const QString& name);

    // Full screen, without the browser's bars. The outcome is not reported.
    void SetFullScreen();

    // Navigates the page; done (if given) gets whether the browser took the request, and its
    // error text when not.
    void Navigate(const QString& url, QObject* context,
                  std::function<void(bool ok, const QString& error)> done);

    // Closes the window, also when a navigation of its page commits while it closes.
    void Close();

    std::optional<DevToolsFrame> MainFrame() const;
    // The frame named name among the page's own frames (not nested ones).
    std::optional<DevToolsFrame> ChildFrame(const QString& name) const;

    // Runs expression in the frame's default script context, the result returned by value.
    void Evaluate(const DevToolsFrame& frame, const QString& expression, QObject* context,
                  DevToolsConnection::ReplyHandler done);

signals:
    // A document finished loading in a frame or in the page itself.
    void frameLoaded(const QString& frameId, const QString& url);
    // A script in the window called a binding, in the script context contextId reached through
    // sessionId. payload is whatever the script passed.
    void bindingCalled(const QString& name, const QString& payload, const QString& sessionId,
                       int contextId);
    // The window was closed, its page crashed, or the browser went away. Sent once.
    void gone();

private:
    DevToolsWindow(DevToolsConnection& connection, QString targetId, QString sessionId);

    void OnEvent(const QString& method, const QJsonObject& params, const QString& sessionId);
    void OnConnectionClosed();
    void EnableSession(const QString& sessionId);
    // latest: the frame as it is now, whichever session reported it before.
    void AddFrame(const QJsonObject& frame, const QString& sessionId, bool latest);
    void AddFrameTree(const QJsonObject& tree, const QString& sessionId, bool root = true);
    void ForgetSession(const QString& sessionId);
    void MarkGone();
    void CloseAgainAfterCommit(const QString& sessionId);
    std::optional<DevToolsFrame> WithContext(const DevToolsFrame& frame) const;

    QPointer<DevToolsConnection> connection_;
    QString targetId_;
    QString sessionId_;
    std::set<QString> childSessions_;
    std::map<QString, DevToolsFrame> frames_;              // by frame id
    std::map<std::pair<QString, QString>, int> contexts_;  // (session, frame) → context
    QString mainFrameId_;
    bool eventsEnabled_ = false;
    bool gone_ = false;
    bool closeRequested_ = false;
    int closeRepeats_ = 0;
    static constexpr int kMaxCloseRepeats = 4;
};
