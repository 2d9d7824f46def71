#include "platform/net/DevToolsWindow.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>
#include <memory>

namespace {

const QJsonObject kAutoAttach{
    {"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}};

}  // namespace

void DevToolsWindow::OpenAsync(DevToolsConnection& connection, int timeoutMs, QObject* context,
                               std::function<void(std::unique_ptr<DevToolsWindow>)> done) {
    // The answers come only while the connection exists (it is their context), so it can be
    // used in them; a connection that closes answers every command with an error.
    DevToolsConnection* browser = &connection;
    const bool hasContext = context != nullptr;
    const QPointer<QObject> owner = context;
    auto wanted = [hasContext, owner] { return !hasContext || !owner.isNull(); };
    if (!connection.IsOpen()) {
        QTimer::singleShot(0, &connection, [wanted, done] {
            if (wanted()) {
                done(nullptr);
            }
        });
        return;
    }
    auto created = [=](const DevToolsReply& reply) {
        const QString targetId = reply.result.value("targetId").toString();
        if (!reply.ok || targetId.isEmpty()) {
            if (wanted()) {
                done(nullptr);
            }
            return;
        }
        auto attached = [=](const DevToolsReply& attachReply) {
            const QString sessionId = attachReply.result.value("sessionId").toString();
            if (!attachReply.ok || sessionId.isEmpty() || !wanted()) {
                // A window nobody drives is of no use to anyone.
                browser->Send("Target.closeTarget", {{"targetId", targetId}});
                if (wanted()) {
                    done(nullptr);
                }
                return;
            }
            done(
                std::unique_ptr<DevToolsWindow>(new DevToolsWindow(*browser, targetId, sessionId)));
        };
        if (!wanted()) {
            browser->Send("Target.closeTarget", {{"targetId", targetId}});
            return;
        }
        browser->Request("Target.attachToTarget", {{"targetId", targetId}, {"flatten", true}}, {},
                         timeoutMs, browser, attached);
    };
    connection.Request("Target.createTarget", {{"url", "about:blank"}, {"newWindow", true}}, {},
                       timeoutMs, browser, created);
}

std::unique_ptr<DevToolsWindow> DevToolsWindow::Attach(DevToolsConnection& connection,
                                                       const QString& targetId, int timeoutMs) {
    DevToolsReply attached = connection.Call(
        "Target.attachToTarget", {{"targetId", targetId}, {"flatten", true}}, {}, timeoutMs);
    const QString sessionId = attached.result.value("sessionId").toString();
    if (!attached.ok || sessionId.isEmpty()) {
        return nullptr;
    }
    return std::unique_ptr<DevToolsWindow>(new DevToolsWindow(connection, targetId, sessionId));
}

DevToolsWindow::DevToolsWindow(DevToolsConnection& connection, QString targetId, QString sessionId)
    : connection_(&connection), targetId_(std::move(targetId)), sessionId_(std::move(sessionId)) {
    connect(&connection, &DevToolsConnection::eventReceived, this, &DevToolsWindow::OnEvent);
    connect(&connection, &DevToolsConnection::closed, this, &DevToolsWindow::OnConnectionClosed);
}

DevToolsWindow::~DevToolsWindow() {
    if (gone_ || connection_.isNull() || !connection_->IsOpen()) {
        return;
    }
    // What was sent to the window's sessions is done before the sessions end: each answers one
    // more command in order, and the last answer ends the main session, which ends the others.
    QPointer<DevToolsConnection> connection = connection_;
    const QString mainSession = sessionId_;
    auto waiting = std::make_shared<int>(static_cast<int>(childSessions_.size()) + 1);
    auto detachWhenDone = [connection, mainSession, waiting](const DevToolsReply&) {
        if (--*waiting == 0 && connection) {
            connection->Send("Target.detachFromTarget", {{"sessionId", mainSession}});
        }
    };
    connection->Send("Runtime.runIfWaitingForDebugger", {}, sessionId_, connection.data(),
                     detachWhenDone);
    for (const QString& child : childSessions_) {
        connection->Send("Runtime.runIfWaitingForDebugger", {}, child, connection.data(),
                         detachWhenDone);
    }
}

bool DevToolsWindow::IsOpen() const {
    return !gone_ && connection_ && connection_->IsOpen();
}

bool DevToolsWindow::EnableEvents() {
    if (!IsOpen()) {
        return false;
    }
    eventsEnabled_ = true;
    EnableSession(sessionId_);
    return true;
}

void DevToolsWindow::EnableSession(const QString& sessionId) {
    connection_->Send("Page.enable", {}, sessionId);
    // Frames that are there already are not reported again; their tree is asked for.
    connection_->Send("Page.getFrameTree", {}, sessionId, this,
                      [this, sessionId](const DevToolsReply& reply) {
                          if (reply.ok) {
                              AddFrameTree(reply.result.value("frameTree").toObject(), sessionId);
                          }
                      });
    connection_->Send("Runtime.enable", {}, sessionId);
    connection_->Send("Target.setAutoAttach", kAutoAttach, sessionId);
    // A frame attached to on its start waits until told to go on.
    connection_->Send("Runtime.runIfWaitingForDebugger", {}, sessionId);
}

void DevToolsWindow::AddBinding(const DevToolsFrame& frame, const QString& name) {
    if (IsOpen() && frame.contextId != 0) {
        // Bound to the one context: other frames, and later documents of this frame, never
        // see it.
        connection_->Send("Runtime.addBinding",
                          {{"name", name}, {"executionContextId", frame.contextId}},
                          frame.sessionId);
    }
}

void DevToolsWindow::SetFullScreen() {
    if (!IsOpen()) {
        return;
    }
    QPointer<DevToolsConnection> connection = connection_;
    connection_->Send("Browser.getWindowForTarget", {{"targetId", targetId_}}, {},
                      connection.data(), [connection](const DevToolsReply& reply) {
                          if (!reply.ok || !connection) {
                              return;
                          }
                          connection->Send(
                              "Browser.setWindowBounds",
                              {{"windowId", reply.result.value("windowId")},
                               {"bounds", QJsonObject{{"windowState", "fullscreen"}}}});
                      });
}

void DevToolsWindow::Navigate(const QString& url, QObject* context,
                              std::function<void(bool, const QString&)> done) {
    if (!IsOpen()) {
        if (done) {
            done(false, QStringLiteral("window closed"));
        }
        return;
    }
    connection_->Send("Page.navigate", {{"url", url}}, sessionId_, context,
                      [done = std::move(done)](const DevToolsReply& reply) {
                          if (done) {
                              done(reply.ok, reply.error);
                          }
                      });
}

void DevToolsWindow::Close() {
    if (IsOpen()) {
        closeRequested_ = true;
        connection_->Send("Target.closeTarget", {{"targetId", targetId_}});
    }
}

std::optional<DevToolsFrame> DevToolsWindow::WithContext(const DevToolsFrame& frame) const {
    DevToolsFrame found = frame;
    auto context = contexts_.find({frame.sessionId, frame.id});
    found.contextId = context != contexts_.end() ? context->second : 0;
    return found;
}

std::optional<DevToolsFrame> DevToolsWindow::MainFrame() const {
    auto found = frames_.find(mainFrameId_);
    if (mainFrameId_.isEmpty() || found == frames_.end()) {
        return std::nullopt;
    }
    return WithContext(found->second);
}

std::optional<DevToolsFrame> DevToolsWindow::ChildFrame(const QString& name) const {
    if (mainFrameId_.isEmpty()) {
        return std::nullopt;
    }
    for (const auto& [id, frame] : frames_) {
        if (frame.parentId == mainFrameId_ && frame.name == name) {
            return WithContext(frame);
        }
    }
    return std::nullopt;
}

void DevToolsWindow::Evaluate(const DevToolsFrame& frame, const QString& expression,
                              QObject* context, DevToolsConnection::ReplyHandler done) {
    if (!IsOpen() || frame.contextId == 0) {
        if (done) {
            done({false, {}, QStringLiteral("no script context")});
        }
        return;
    }
    connection_->Send("Runtime.evaluate",
                      {{"expression", expression},
                       {"contextId", frame.contextId},
                       {"returnByValue", true},
                       {"silent", true}},
                      frame.sessionId, context, std::move(done));
}

void DevToolsWindow::OnEvent(const QString& method, const QJsonObject& params,
                             const QString& sessionId) {
    if (gone_) {
        return;
    }
    if (sessionId.isEmpty()) {
        // The browser's own events: only the end of this window matters here.
        if ((method == "Target.detachedFromTarget" &&
             params.value("sessionId").toString() == sessionId_) ||
            (method == "Target.targetDestroyed" &&
             params.value("targetId").toString() == targetId_)) {
            MarkGone();
        }
        return;
    }
    if (sessionId != sessionId_ && childSessions_.count(sessionId) == 0) {
        return;  // another window's
    }
    if (method == "Page.frameNavigated") {
        const QJsonObject frame = params.value("frame").toObject();
        AddFrame(frame, sessionId, true);
        if (frame.value("parentId").isUndefined()) {
            CloseAgainAfterCommit(sessionId);
        }
    } else if (method == "Page.frameDetached") {
        // A frame that moves into a process of its own is reported again by its new session.
        if (params.value("reason").toString() != "swap") {
            frames_.erase(params.value("frameId").toString());
        }
    } else if (method == "Page.frameStoppedLoading") {
        const QString frameId = params.value("frameId").toString();
        if (frameId == targetId_ || frameId == mainFrameId_) {
            CloseAgainAfterCommit(sessionId);
        }
        auto frame = frames_.find(frameId);
        emit frameLoaded(frameId, frame != frames_.end() ? frame->second.url : QString());
    } else if (method == "Runtime.executionContextCreated") {
        const QJsonObject context = params.value("context").toObject();
        const QJsonObject aux = context.value("auxData").toObject();
        if (aux.value("isDefault").toBool()) {
            contexts_[{sessionId, aux.value("frameId").toString()}] = context.value("id").toInt();
        }
    } else if (method == "Runtime.executionContextDestroyed") {
        const int id = params.value("executionContextId").toInt();
        std::erase_if(contexts_, [&](const auto& entry) {
            return entry.first.first == sessionId && entry.second == id;
        });
    } else if (method == "Runtime.executionContextsCleared") {
        std::erase_if(contexts_, [&](const auto& entry) { return entry.first.first == sessionId; });
    } else if (method == "Runtime.bindingCalled") {
        emit bindingCalled(params.value("name").toString(), params.value("payload").toString(),
                           sessionId, params.value("executionContextId").toInt());
    } else if (method == "Target.attachedToTarget") {
        const QString child = params.value("sessionId").toString();
        if (!child.isEmpty() && eventsEnabled_) {
            childSessions_.insert(child);
            EnableSession(child);
        }
    } else if (method == "Target.detachedFromTarget") {
        ForgetSession(params.value("sessionId").toString());
    } else if ((method == "Inspector.targetCrashed" || method == "Inspector.detached") &&
               sessionId == sessionId_) {
        MarkGone();
    }
}

void DevToolsWindow::AddFrame(const QJsonObject& frame, const QString& sessionId, bool latest) {
    DevToolsFrame record;
    record.id = frame.value("id").toString();
    record.parentId = frame.value("parentId").toString();
    record.name = frame.value("name").toString();
    record.url = frame.value("url").toString() + frame.value("urlFragment").toString();
    record.sessionId = sessionId;
    if (record.id.isEmpty()) {
        return;
    }
    auto known = frames_.find(record.id);
    // A session's tree also lists the frames that other sessions reach; those stay theirs.
    if (!latest && known != frames_.end() && known->second.sessionId != sessionId) {
        return;
    }
    if (sessionId == sessionId_ && record.parentId.isEmpty()) {
        mainFrameId_ = record.id;
    }
    frames_[record.id] = record;
}

void DevToolsWindow::AddFrameTree(const QJsonObject& tree, const QString& sessionId, bool root) {
    // The top of a session's tree is the frame that the session reaches; below it may be frames
    // of other processes, which their own sessions report, before or after this one.
    AddFrame(tree.value("frame").toObject(), sessionId, root);
    for (const QJsonValue& child : tree.value("childFrames").toArray()) {
        AddFrameTree(child.toObject(), sessionId, false);
    }
}

void DevToolsWindow::ForgetSession(const QString& sessionId) {
    childSessions_.erase(sessionId);
    std::erase_if(frames_, [&](const auto& entry) { return entry.second.sessionId == sessionId; });
    std::erase_if(contexts_, [&](const auto& entry) { return entry.first.first == sessionId; });
}

void DevToolsWindow::CloseAgainAfterCommit(const QString& sessionId) {
    // The browser drops a close that reaches the page while a navigation of it commits: the
    // window then stays open with the new document and is never reported gone. The page's
    // loads are seen after that commit (or, before events were on, after the load), so a close
    // asked for before is asked for again.
    if (closeRequested_ && sessionId == sessionId_ && closeRepeats_ < kMaxCloseRepeats) {
        ++closeRepeats_;
        connection_->Send("Target.closeTarget", {{"targetId", targetId_}});
    }
}

void DevToolsWindow::OnConnectionClosed() {
    MarkGone();
}

void DevToolsWindow::MarkGone() {
    if (gone_) {
        return;
    }
    gone_ = true;
    emit gone();
}
