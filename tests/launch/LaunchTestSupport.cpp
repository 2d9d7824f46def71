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
#include "platform/AutomationBrowser.h"
#include "platform/DevToolsConnection.h"
#include "platform/DevToolsWindow.h"
#include "support/TestEnvironment.h"

namespace launch_testing {

ShellRecorder::ShellRecorder() : previous_(ShellExecuteHook::Set(this)) {}

ShellRecorder::~ShellRecorder() {
    ShellExecuteHook::Set(previous_);
}

bool ShellRecorder::Intercept(const ShellExecuteHook::Call& call) {
    calls.push_back(call);
    return true;
}

std::vector<std::string> ShellRecorder::Parameters() const {
    std::vector<std::string> parameters;
    for (const auto& call : calls) {
        parameters.push_back(call.parameters);
    }
    return parameters;
}

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
    server_.Get("/game", [this](const httplib::Request& request, httplib::Response& response) {
        const std::string flash = request.get_param_value("flash");
        std::string frames = "<iframe name='other' src='/plain'></iframe>";
        if (flash == "same") {
            frames += "<iframe name='flash' src='/flash?v=1'></iframe>";
        } else if (flash == "cross") {
            frames += "<iframe name='flash' src='http://localhost:" + std::to_string(port_) +
                      "/flash?v=1'></iframe>";
        }
        if (request.has_param("ad")) {
            frames += "<iframe name='ad' src='http://localhost:" + std::to_string(port_) +
                      "/plain'></iframe>";
        }
        response.set_content("<!doctype html><title>game</title>" + frames, "text/html");
    });
    server_.Get("/flash", [](const httplib::Request& request, httplib::Response& response) {
        std::string version = request.get_param_value("v");
        // Only digits reach the page.
        if (version.empty() || version.find_first_not_of("0123456789") != std::string::npos) {
            version = "0";
        }
        response.set_content(FlashPage(version), "text/html");
    });
    server_.Get("/plain", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<!doctype html><p>plain</p>", "text/html");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
        throw std::runtime_error("game pages: no port on 127.0.0.1");
    }
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // A stop that comes before the server runs would be lost, and the join would hang.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server_.is_running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!server_.is_running()) {
        server_.stop();
        thread_.join();
        throw std::runtime_error("game pages: the server did not start");
    }
}

GamePages::~GamePages() {
    server_.stop();
    thread_.join();
}

std::string GamePages::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string ErrorLog() {
    return testing_support::ReadFile(PathUtils::GetAppDataFile(ErrorLog::kFileName));
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
    const pid_t browser = BrowserLayer::StartedBrowser();
    if (browser != 0 && !WaitFor([browser] { return kill(browser, 0) != 0; }, 5000)) {
        kill(browser, SIGKILL);
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
