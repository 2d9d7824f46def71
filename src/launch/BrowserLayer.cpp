#include "launch/BrowserLayer.h"

#include <QJsonArray>
#include <QJsonObject>

#include "app/Exceptions.h"
#include "app/PathUtils.h"
#include "app/Trace.h"
#include "platform/AutomationBrowser.h"
#include "platform/DevToolsConnection.h"
#include "platform/DevToolsWindow.h"

namespace BrowserLayer {
namespace {

struct State {
    bool initialized = false;
    DevToolsConnection* connection = nullptr;
    std::vector<std::string> arguments;
    pid_t started = 0;
    std::vector<QString> startupWindows;  // of a browser this layer started, until replaced
};

State& Layer() {
    static State state;
    return state;
}

void DropConnection(State& state) {
    state.startupWindows.clear();
    if (state.connection != nullptr) {
        // Whoever is still told about its end gets told from the event loop, not from here.
        state.connection->deleteLater();
        state.connection = nullptr;
    }
}

}  // namespace

void Init() {
    Layer().initialized = true;
}

void Shutdown() {
    State& state = Layer();
    if (state.connection != nullptr) {
        state.connection->WaitForReplies(kShutdownWaitMs);
        state.connection->Close();
        delete state.connection;
        state.connection = nullptr;
    }
    state.initialized = false;
}

bool IsInitialized() {
    return Layer().initialized;
}

std::string ProfileFolder() {
    return PathUtils::GetAppDataFile("browser");
}

DevToolsConnection* Connection() {
    State& state = Layer();
    if (!state.initialized) {
        return nullptr;
    }
    if (state.connection != nullptr && state.connection->IsOpen()) {
        return state.connection;
    }
    // The browser went away (its last window was closed): a new one is needed.
    DropConnection(state);
    AutomationBrowser::Options options;
    try {
        options.profileDir = ProfileFolder();
    } catch (const AppException& error) {
        Trace("Automation browser: " + error.GetMessage());
        return nullptr;
    }
    options.extraArguments = state.arguments;
    options.connectTimeoutMs = kStepTimeoutMs;
    auto connection = std::make_unique<DevToolsConnection>();
    pid_t started = 0;
    if (!AutomationBrowser::Connect(*connection, options, &started)) {
        return nullptr;
    }
    if (started != 0) {
        state.started = started;
        // The browser opens a window of its own at start; a game window replaces it.
        DevToolsReply targets = connection->Call("Target.getTargets", {}, {}, kStepTimeoutMs);
        for (const QJsonValue& target : targets.result.value("targetInfos").toArray()) {
            if (target.toObject().value("type").toString() == "page") {
                state.startupWindows.push_back(target.toObject().value("targetId").toString());
            }
        }
    }
    state.connection = connection.release();
    return state.connection;
}

std::unique_ptr<DevToolsWindow> OpenWindow() {
    DevToolsConnection* connection = Connection();
    if (connection == nullptr) {
        return nullptr;
    }
    std::unique_ptr<DevToolsWindow> window = DevToolsWindow::Open(*connection, kStepTimeoutMs);
    State& state = Layer();
    if (window) {
        for (const QString& startup : state.startupWindows) {
            connection->Send("Target.closeTarget", {{"targetId", startup}});
        }
        state.startupWindows.clear();
    }
    return window;
}

void SetBrowserArguments(std::vector<std::string> arguments) {
    Layer().arguments = std::move(arguments);
}

pid_t StartedBrowser() {
    return Layer().started;
}

}  // namespace BrowserLayer
