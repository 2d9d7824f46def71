#include "launch/BrowserLayer.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <optional>

#include "app/Exceptions.h"
#include "app/PathUtils.h"
#include "app/Trace.h"
#include "platform/net/AutomationBrowser.h"
#include "platform/net/DevToolsConnection.h"
#include "platform/net/DevToolsWindow.h"
#include "platform/os/SystemPaths.h"

namespace BrowserLayer {
namespace {

struct Waiting {
    bool hasContext = false;
    QPointer<QObject> context;
    ConnectionDone done;
};

struct State {
    bool initialized = false;
    // Open and ready for windows.
    DevToolsConnection* connection = nullptr;
    // While the browser is being reached; the connector uses the connection, so it goes first.
    std::unique_ptr<DevToolsConnection> connecting;
    std::unique_ptr<AutomationBrowser::Connector> connector;
    unsigned reach = 0;  // counts the connectors made
    std::vector<Waiting> waiting;
    bool pumpScheduled = false;
    std::vector<std::string> arguments;
    std::string hostProgram;
    int startTimeoutMs = kStartTimeoutMs;
    pid_t started = 0;
    bool startingHere = false;            // the browser being reached was started by this layer
    bool startedHere = false;             // the same for the browser of the open connection
    bool windowMade = false;              // a window was made on it for a caller
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

// Hands the connection (or nothing) to everyone waiting whose context is still there.
void AnswerWaiting(DevToolsConnection* connection) {
    std::vector<Waiting> answered;
    answered.swap(Layer().waiting);
    for (Waiting& waiting : answered) {
        if (waiting.hasContext && waiting.context.isNull()) {
            continue;
        }
        // An earlier answer may have shut the layer down.
        waiting.done(connection != nullptr && Layer().connection == connection ? connection
                                                                               : nullptr);
    }
}

void Pump();

void SchedulePump() {
    State& state = Layer();
    QCoreApplication* application = QCoreApplication::instance();
    if (state.pumpScheduled || application == nullptr) {
        return;
    }
    state.pumpScheduled = true;
    QMetaObject::invokeMethod(
        application, [] { Pump(); }, Qt::QueuedConnection);
}

void Promote() {
    State& state = Layer();
    state.connection = state.connecting.release();
    state.startedHere = state.startingHere;
    state.windowMade = false;
    if (!state.connection->IsOpen()) {
        // Gone again at once: those waiting get nothing rather than a start after a start.
        AnswerWaiting(nullptr);
        return;
    }
    Pump();
}

void OnReached(bool connected) {
    State& state = Layer();
    state.connector.reset();
    if (!connected) {
        state.connecting.reset();
        AnswerWaiting(nullptr);
        return;
    }
    if (!state.startingHere) {
        Promote();
        return;
    }
    // The browser opens a window of its own at start; a game window replaces it.
    DevToolsConnection* connection = state.connecting.get();
    connection->Request(
        "Target.getTargets", {}, {}, kStepTimeoutMs, connection, [](const DevToolsReply& targets) {
            for (const QJsonValue& target : targets.result.value("targetInfos").toArray()) {
                const QJsonObject info = target.toObject();
                if (info.value("type").toString() == "page") {
                    Layer().startupWindows.push_back(info.value("targetId").toString());
                }
            }
            Promote();
        });
}

void StartReaching(State& state) {
    AutomationBrowser::Options options;
    try {
        options.profileDir = ProfileFolder();
    } catch (const AppException& error) {
        Trace("Automation browser: " + error.GetMessage());
        AnswerWaiting(nullptr);
        return;
    }
    options.hostProgram = HostProgram();
    options.extraArguments = state.arguments;
    options.startTimeoutMs = state.startTimeoutMs;
    options.connectTimeoutMs = kStepTimeoutMs;
    state.startingHere = false;
    state.connecting = std::make_unique<DevToolsConnection>();
    state.connector = std::make_unique<AutomationBrowser::Connector>(*state.connecting, options);
    AutomationBrowser::Connector* connector = state.connector.get();
    QObject::connect(connector, &AutomationBrowser::Connector::browserStarted, connector,
                     [](pid_t pid) {
                         Trace("Automation browser started, process " + std::to_string(pid));
                         Layer().started = pid;
                         Layer().startingHere = true;
                     });
    // Taken up from the event loop, where the connector may go; news of a connector that went
    // before (a shut-down layer) is no news.
    const unsigned reach = ++state.reach;
    QObject::connect(
        connector, &AutomationBrowser::Connector::finished, QCoreApplication::instance(),
        [reach](bool connected) {
            if (Layer().reach == reach && Layer().connector) {
                OnReached(connected);
            }
        },
        Qt::QueuedConnection);
    connector->Start();
}

void Pump() {
    State& state = Layer();
    state.pumpScheduled = false;
    if (!state.initialized) {
        AnswerWaiting(nullptr);
    } else if (state.connection != nullptr && state.connection->IsOpen()) {
        AnswerWaiting(state.connection);
    } else if (!state.connecting && !state.waiting.empty()) {
        // None yet, or the browser went away (its last window was closed): a new one is needed.
        DropConnection(state);
        StartReaching(state);
    }
}

void WindowMade() {
    State& state = Layer();
    if (state.connection != nullptr) {
        for (const QString& startup : state.startupWindows) {
            state.connection->Send("Target.closeTarget", {{"targetId", startup}});
        }
    }
    state.startupWindows.clear();
    state.windowMade = true;
}

}  // namespace

void Init() {
    Layer().initialized = true;
}

void Shutdown() {
    State& state = Layer();
    state.initialized = false;
    state.connector.reset();
    state.connecting.reset();
    ++state.reach;
    if (state.connection != nullptr) {
        if (state.startedHere && !state.windowMade && state.connection->IsOpen()) {
            // Started for a game whose start was given up: nothing in it is anybody's.
            state.connection->Send("Browser.close");
        }
        state.connection->WaitForReplies(kShutdownWaitMs);
        state.connection->Close();
        delete state.connection;
        state.connection = nullptr;
    }
    state.startupWindows.clear();
    AnswerWaiting(nullptr);
}

bool IsInitialized() {
    return Layer().initialized;
}

std::string ProfileFolder() {
    return PathUtils::GetAppDataFile("browser");
}

std::vector<std::string> HostPlaces(const std::string& executableFolder) {
    return SystemPaths::HelperPlaces(executableFolder, kHostName);
}

std::string HostProgram() {
    if (!Layer().hostProgram.empty()) {
        return Layer().hostProgram;
    }
    std::vector<std::string> places;
    try {
        places = HostPlaces(PathUtils::GetModulePath());
    } catch (const AppException&) {
        return kHostName;  // not found: the start fails and says so
    }
    for (const std::string& place : places) {
        if (access(place.c_str(), X_OK) == 0) {
            return place;
        }
    }
    return places.front();
}

void SetHostProgram(std::string path) {
    Layer().hostProgram = std::move(path);
}

void RequestConnection(QObject* context, ConnectionDone done) {
    Layer().waiting.push_back({context != nullptr, context, std::move(done)});
    SchedulePump();
}

void RequestWindow(QObject* context, WindowDone done) {
    RequestConnection(context, [context, done](DevToolsConnection* connection) {
        if (connection == nullptr) {
            done(nullptr);
            return;
        }
        // Answered while context exists, so it still does here.
        DevToolsWindow::OpenAsync(*connection, kStepTimeoutMs, context,
                                  [done](std::unique_ptr<DevToolsWindow> window) {
                                      if (window) {
                                          WindowMade();
                                      }
                                      done(std::move(window));
                                  });
    });
}

DevToolsConnection* Connection() {
    State& state = Layer();
    if (!state.initialized) {
        return nullptr;
    }
    if (state.connection != nullptr && state.connection->IsOpen()) {
        return state.connection;
    }
    std::optional<DevToolsConnection*> reached;
    QObject waiting;
    QEventLoop loop;
    RequestConnection(&waiting, [&](DevToolsConnection* connection) {
        reached = connection;
        loop.quit();
    });
    // Every step of reaching the browser is bounded, so this wait is too.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return reached.value_or(nullptr);
}

void SetBrowserArguments(std::vector<std::string> arguments) {
    Layer().arguments = std::move(arguments);
}

void SetStartTimeout(int timeoutMs) {
    Layer().startTimeoutMs = timeoutMs;
}

pid_t StartedBrowser() {
    return Layer().started;
}

}  // namespace BrowserLayer
