#include "LaunchTestSupport.h"

#include <signal.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <chrono>
#include <stdexcept>

#include "app/ErrorLog.h"
#include "app/PathUtils.h"
#include "launch/BrowserLayer.h"
#include "platform/net/AutomationBrowser.h"
#include "platform/net/DevToolsConnection.h"
#include "platform/net/DevToolsWindow.h"
#include "support/TestEnvironment.h"

namespace launch_testing {

namespace {

// The game's two functions, each telling which document they belong to.
std::string FlashPage(const std::string& version) {
    return "<!doctype html><title>flash " + version +
           "</title><script>\n"
           "var calls = [];\n"
           "function CloseGame() { calls.push('own CloseGame'); }\n"
           "function goCasino(url) { calls.push('own goCasino ' + url); }\n"
           "CloseGame.version = '" +
           version + "'; goCasino.version = '" + version +
           "';\n"
           "</script><p>game</p>";
}

}  // namespace

GamePages::GamePages() {
    httplib::Server& server = server_.Server();
    server.Get("/game", [this](const httplib::Request& request, httplib::Response& response) {
        const std::string flash = request.get_param_value("flash");
        std::string frames = "<iframe name='other' src='/plain'></iframe>";
        if (flash == "same") {
            frames += "<iframe name='flash' src='/flash?v=1'></iframe>";
        } else if (flash == "cross") {
            frames +=
                "<iframe name='flash' src='http://localhost:" + std::to_string(server_.Port()) +
                "/flash?v=1'></iframe>";
        }
        if (request.has_param("ad")) {
            frames += "<iframe name='ad' src='http://localhost:" + std::to_string(server_.Port()) +
                      "/plain'></iframe>";
        }
        response.set_content("<!doctype html><title>game</title>" + frames, "text/html");
    });
    server.Get("/flash", [](const httplib::Request& request, httplib::Response& response) {
        std::string version = request.get_param_value("v");
        // Only digits reach the page.
        if (version.empty() || version.find_first_not_of("0123456789") != std::string::npos) {
            version = "0";
        }
        response.set_content(FlashPage(version), "text/html");
    });
    server.Get("/plain", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<!doctype html><p>plain</p>", "text/html");
    });
    server_.Start();
}

std::string ErrorLog() {
    return testing_support::ReadFile(PathUtils::GetAppDataFile(ErrorLog::kFileName));
}

const char* BuiltHost() {
    return BROWSER_HOST;
}

bool HeadlessBrowser::Available() {
    return AutomationBrowser::FindProgram().has_value();
}

std::vector<std::string> HeadlessBrowser::Arguments() {
    // Nothing that would reach out to the network, no first-run or keyring prompts.
    return {"--headless=new",
            "--disable-gpu",
            "--disable-background-networking",
            "--disable-component-update",
            "--disable-sync",
            "--disable-extensions",
            "--disable-default-apps",
            "--disable-features=Translate,MediaRouter,OptimizationHints",
            "--password-store=basic",
            "--mute-audio"};
}

HeadlessBrowser::HeadlessBrowser() {
    BrowserLayer::SetHostProgram(BuiltHost());
    BrowserLayer::SetBrowserArguments(Arguments());
    BrowserLayer::Init();
}

HeadlessBrowser::~HeadlessBrowser() {
    if (BrowserLayer::IsInitialized()) {
        if (DevToolsConnection* connection = BrowserLayer::Connection()) {
            connection->Call("Browser.close", {}, {}, 2000);
        }
        BrowserLayer::Shutdown();
    }
    // The host ends with its browser; killed, it takes the browser along.
    const pid_t host = BrowserLayer::StartedBrowser();
    if (host != 0 && !WaitFor([host] { return testing_support::ProcessEnded(host); }, 5000)) {
        kill(host, SIGKILL);
    }
}

DevToolsConnection& HeadlessBrowser::Connection() {
    DevToolsConnection* connection = BrowserLayer::Connection();
    if (connection == nullptr) {
        throw std::runtime_error("no automation browser");
    }
    return *connection;
}

std::unique_ptr<DevToolsWindow> HeadlessBrowser::Inspect(const std::string& windowId) {
    auto window = DevToolsWindow::Attach(Connection(), QString::fromStdString(windowId), 5000);
    if (window) {
        window->EnableEvents();
    }
    return window;
}

std::vector<std::string> HeadlessBrowser::OpenWindows() {
    std::vector<std::string> windows;
    DevToolsReply reply = Connection().Call("Target.getTargets");
    for (const QJsonValue& target : reply.result.value("targetInfos").toArray()) {
        if (target.toObject().value("type").toString() == "page") {
            windows.push_back(target.toObject().value("targetId").toString().toStdString());
        }
    }
    return windows;
}

}  // namespace launch_testing
