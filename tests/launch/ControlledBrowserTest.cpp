// The controlled browser against a real headless Chromium and game pages served on 127.0.0.1.
// One browser start per test; each test skips itself where Chromium is not installed.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QJsonObject>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "LaunchTestSupport.h"
#include "launch/BrowserLayer.h"
#include "launch/CTvIeHelper.h"
#include "launch/GameStarter.h"
#include "platform/net/DevToolsConnection.h"
#include "platform/net/DevToolsWindow.h"
#include "support/ShellRecorder.h"
#include "support/TestEnvironment.h"

namespace {

using launch_testing::ErrorLog;
using launch_testing::GamePages;
using launch_testing::HeadlessBrowser;
using launch_testing::kLongestStartMs;
using launch_testing::WaitFor;
using testing_support::ShellRecorder;
using testing_support::TempHome;
using testing_support::TraceRecorder;

constexpr const char* kHooked = "succeeded: script's IDispatch changed";

// root and every process below it.
std::vector<pid_t> ProcessTree(pid_t root) {
    std::vector<pid_t> tree{root};
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const std::string task = "/proc/" + std::to_string(tree[i]) + "/task";
        std::error_code ignored;
        for (const auto& thread : std::filesystem::directory_iterator(task, ignored)) {
            std::ifstream children(thread.path() / "children");
            for (pid_t child = 0; children >> child;) {
                tree.push_back(child);
            }
        }
    }
    return tree;
}

// The socket inodes of every TCP listener of the machine, IPv4 and IPv6.
std::set<std::string> TcpListeners() {
    std::set<std::string> inodes;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream file(table);
        std::string line;
        std::getline(file, line);  // the heading
        while (std::getline(file, line)) {
            std::istringstream fields(line);
            std::string field[10];
            for (std::string& f : field) {
                fields >> f;
            }
            if (field[3] == "0A") {  // LISTEN
                inodes.insert(field[9]);
            }
        }
    }
    return inodes;
}

// The listeners among the sockets that process pid holds.
int ListenersHeldBy(pid_t pid, const std::set<std::string>& listeners) {
    int held = 0;
    std::error_code ignored;
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    for (const auto& fd : std::filesystem::directory_iterator(fds, ignored)) {
        const std::string target = std::filesystem::read_symlink(fd.path(), ignored).string();
        if (target.starts_with("socket:[") &&
            listeners.count(target.substr(8, target.size() - 9)) != 0) {
            ++held;
        }
    }
    return held;
}

class ControlledBrowser : public testing::Test {
protected:
    void SetUp() override {
        if (!HeadlessBrowser::Available()) {
            GTEST_SKIP() << "Chromium is not installed";
        }
        browser_ = std::make_unique<HeadlessBrowser>();
    }
    void TearDown() override {
        inspector_.reset();
        browser_.reset();
    }

    int Count(const std::string& text) const {
        auto texts = traces_.Texts();
        return static_cast<int>(std::count(texts.begin(), texts.end(), text));
    }
    bool WaitForHooks(int count) {
        return WaitFor([&] { return Count(kHooked) >= count; });
    }
    // Every command sent so far has been answered.
    void Settle() { browser_->Connection().WaitForReplies(5000); }
    // Starts a game as a click does and lets the event loop run until the start is over.
    static void StartAndWait(GameStarter& starter, const std::string& address) {
        starter.StartGame(address);
        ASSERT_TRUE(WaitFor([&] { return starter.StartsUnderWay() == 0; }, kLongestStartMs));
    }

    // Runs expression in the window's frame of that name (the page itself for nullptr), as the
    // test's own script; its value, or an undefined value when it did not run.
    QJsonValue Run(const QString& windowId, const QString& expression,
                   const char* frameName = "flash") {
        if (!inspector_ || inspector_->TargetId() != windowId) {
            inspector_ = browser_->Inspect(windowId.toStdString());
        }
        if (!inspector_) {
            return QJsonValue::Undefined;
        }
        // A frame still loading may change its document between the look-up and the run: the
        // script did not run then, and runs in the new document.
        std::optional<DevToolsReply> answer;
        WaitFor([&] {
            std::optional<DevToolsFrame> frame =
                frameName ? inspector_->ChildFrame(frameName) : inspector_->MainFrame();
            if (!frame || frame->contextId == 0) {
                return false;
            }
            auto reply = std::make_shared<std::optional<DevToolsReply>>();
            inspector_->Evaluate(*frame, expression, nullptr,
                                 [reply](const DevToolsReply& r) { *reply = r; });
            WaitFor([reply] { return reply->has_value(); }, 5000);
            answer = *reply;
            return !answer || answer->ok ||
                   answer->error != QStringLiteral("Cannot find context with specified id");
        });
        if (!answer || !answer->ok) {
            return QJsonValue::Undefined;
        }
        return answer->result.value("result").toObject().value("value");
    }
    // Waits until expression gives expected in the flash frame (a new document needs a moment
    // to be seen).
    bool RunUntil(const QString& windowId, const QString& expression, const QJsonValue& expected) {
        return WaitFor([&] { return Run(windowId, expression) == expected; });
    }
    bool IsOpen(const QString& windowId) {
        auto windows = browser_->OpenWindows();
        return std::find(windows.begin(), windows.end(), windowId.toStdString()) != windows.end();
    }

    TempHome home_;
    GamePages pages_;
    ShellRecorder shell_;
    TraceRecorder traces_;
    std::unique_ptr<HeadlessBrowser> browser_;
    std::unique_ptr<DevToolsWindow> inspector_;
};

// Whether the flash frame's function is the program's adapter, with the page's own (of
// document version) kept beside it.
QString HookedExpression(const char* function, const char* version) {
    return QStringLiteral(
               "(function(){var s=Object.getOwnPropertyDescriptor(window,'__tivoraReplaced');"
               "return !!s && s.value.adapters.%1===window.%1 && window.%1.version===undefined"
               " && s.value.old.%1.version==='%2';})()")
        .arg(function, version);
}

class ControlledBrowserFrames : public ControlledBrowser,
                                public testing::WithParamInterface<const char*> {};

TEST_P(ControlledBrowserFrames, PageWhoseFramesCompleteThreeTimesIsHookedOnce) {
    CTvIeHelper controller;
    const std::string game = pages_.Url(std::string("/game?flash=") + GetParam());
    ASSERT_TRUE(controller.StartNewIE(game));
    ASSERT_TRUE(WaitFor(
        [&] { return traces_.Contains("IE Event: Document complete (url = " + game + ")"); }));
    Settle();

    auto texts = traces_.Texts();
    const auto completions = std::count_if(texts.begin(), texts.end(), [](const std::string& t) {
        return t.starts_with("IE Event: Document complete (url = http://");
    });
    EXPECT_EQ(completions, 3);
    EXPECT_EQ(Count(kHooked), 2);
    EXPECT_GE(Count("dispatches are equals"), 2);
    EXPECT_EQ(Run(controller.WindowId(), HookedExpression("CloseGame", "1")), true);
    EXPECT_EQ(Run(controller.WindowId(), HookedExpression("goCasino", "1")), true);
    EXPECT_TRUE(traces_.Contains("Start new IE with url: " + game));
    // A frame from another site lives in another process, reached through its own session.
    ASSERT_TRUE(inspector_ && inspector_->MainFrame() && inspector_->ChildFrame("flash"));
    EXPECT_EQ(inspector_->ChildFrame("flash")->sessionId != inspector_->MainFrame()->sessionId,
              std::string(GetParam()) == "cross");
}

TEST_P(ControlledBrowserFrames, NewDocumentInTheFlashFrameIsHookedAgainAndRestoredAtExit) {
    GameStarter& starter = GameStarter::Instance();
    StartAndWait(starter, pages_.Url(std::string("/game?flash=") + GetParam()));
    ASSERT_EQ(starter.Controllers().size(), 1u);
    const QString window = starter.Controllers()[0]->WindowId();
    ASSERT_TRUE(WaitForHooks(2));

    Run(window, "location.href = '/flash?v=2'; 0");
    ASSERT_TRUE(WaitForHooks(4));
    EXPECT_TRUE(RunUntil(window, HookedExpression("CloseGame", "2"), true));
    EXPECT_EQ(Run(window, HookedExpression("goCasino", "2")), true);

    // The program ends: the page gets its own functions back, the window stays.
    starter.CloseAll();
    Settle();
    EXPECT_TRUE(starter.Controllers().empty());
    EXPECT_TRUE(traces_.Contains("Restore old handlers"));
    EXPECT_EQ(Run(window, "CloseGame.version + ' ' + goCasino.version"), "2 2");
    EXPECT_EQ(Run(window, "CloseGame(); goCasino('x'); calls.join()"),
              "own CloseGame,own goCasino x");
    EXPECT_TRUE(IsOpen(window));
    EXPECT_TRUE(shell_.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(SameAndCrossSite, ControlledBrowserFrames,
                         testing::Values("same", "cross"));

TEST_F(ControlledBrowser, GoCasinoOpensTheAddressPlainlyAndClosesTheGame) {
    GameStarter& starter = GameStarter::Instance();
    StartAndWait(starter, pages_.Url("/game?flash=cross"));
    ASSERT_EQ(starter.Controllers().size(), 1u);
    CTvIeHelper& controller = *starter.Controllers()[0];
    const QString window = controller.WindowId();
    ASSERT_TRUE(WaitForHooks(2));

    // What the page passes is its own business: none of this opens anything.
    Run(window,
        "goCasino(); goCasino(42); goCasino('javascript:alert(1)'); goCasino('-new');"
        "goCasino('http:/x'); goCasino('http://c.example/' + 'a'.repeat(5000000)); 0");
    ASSERT_TRUE(WaitFor([] {
        return ErrorLog().find("address refused, longer than 4096 characters") != std::string::npos;
    }));
    const std::string log = ErrorLog();
    EXPECT_NE(log.find("address: 'http:/x'"), std::string::npos);
    EXPECT_NE(log.find("PlayForReal javascript was called without an address"), std::string::npos);
    EXPECT_NE(log.find("not text (number)"), std::string::npos);
    EXPECT_NE(log.find("address: 'javascript:alert(1)'"), std::string::npos);
    EXPECT_NE(log.find("address: '-new'"), std::string::npos);
    EXPECT_TRUE(shell_.calls.empty());
    EXPECT_TRUE(controller.IsAlive());
    EXPECT_TRUE(IsOpen(window));

    // The script's call ends with the window; nothing waits for its answer.
    Run(window, "setTimeout(function(){ goCasino('http://casino.example/real?from=game'); }); 0");
    ASSERT_TRUE(WaitFor([&] { return !controller.IsAlive(); }));
    EXPECT_EQ(shell_.Parameters(),
              std::vector<std::string>{"-new http://casino.example/real?from=game"});
    EXPECT_TRUE(traces_.Contains("PlayForReal javascript was called"));
    EXPECT_TRUE(traces_.Contains("IE quit message received"));
    EXPECT_FALSE(IsOpen(window));
    EXPECT_EQ(starter.Controllers().size(), 1u);
}

// A page that reloads gets no new share of the log with each document.
TEST_F(ControlledBrowser, PageErrorLinesAreCappedAcrossTheFlashFramesDocuments) {
    GameStarter& starter = GameStarter::Instance();
    StartAndWait(starter, pages_.Url("/game?flash=same"));
    ASSERT_EQ(starter.Controllers().size(), 1u);
    const QString window = starter.Controllers()[0]->WindowId();
    ASSERT_TRUE(WaitForHooks(2));
    for (int document = 1; document <= 3; ++document) {
        const QString last = QStringLiteral("'bad %1/5'").arg(document);
        Run(window,
            QStringLiteral("for (var i = 0; i < 6; ++i) goCasino('bad %1/' + i); 0").arg(document));
        ASSERT_TRUE(WaitFor([&] {
            const std::string log = ErrorLog();
            return log.find(last.toStdString()) != std::string::npos ||
                   log.find("Further errors of the game page") != std::string::npos;
        }));
        Run(window, QStringLiteral("location.href = '/flash?v=%1'; 0").arg(document + 1));
        ASSERT_TRUE(WaitForHooks(2 + 2 * document));
    }
    const std::string log = ErrorLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 11) << log;
    EXPECT_NE(log.find("ERROR: Further errors of the game page are not logged\n"),
              std::string::npos);
}

TEST_F(ControlledBrowser, OnlyTheFlashDocumentReachesTheProgramAndItsFirstCallEndsTheGame) {
    GameStarter& starter = GameStarter::Instance();
    StartAndWait(starter, pages_.Url("/game?flash=same&ad=1"));
    ASSERT_EQ(starter.Controllers().size(), 1u);
    CTvIeHelper& controller = *starter.Controllers()[0];
    const QString window = controller.WindowId();
    ASSERT_TRUE(WaitForHooks(2));

    // Every frame looks for the program's entry point and calls it as an adapter would, and
    // calls the game's functions where it has them; the flash frame's own script too.
    const QString forge = QStringLiteral(R"JS((function () {
      var found = 0;
      Object.getOwnPropertyNames(window).forEach(function (name) {
        if (name.indexOf("__tivoraScriptCall") !== 0) return;
        ++found;
        window[name]('{"adapter":"play","args":[{"text":"http://forged.example/"}]}');
        window[name]('{"key":"","adapter":"close","args":[]}');
      });
      if (window.name !== "flash" && typeof window.goCasino === "function")
        window.goCasino("http://forged.example/");
      return found;
    })())JS");
    for (const char* frame : {static_cast<const char*>(nullptr), "other", "ad", "flash"}) {
        EXPECT_EQ(Run(window, forge, frame), 0) << (frame ? frame : "page");
    }
    EXPECT_TRUE(shell_.calls.empty());
    EXPECT_TRUE(controller.IsAlive());

    // Many calls in one turn of the game's script: the first ends the game, no other acts.
    Run(window,
        "setTimeout(function(){ for (var i = 0; i < 30; ++i) {"
        " goCasino('http://casino.example/real?n=' + i); CloseGame(); } }); 0");
    ASSERT_TRUE(WaitFor([&] { return !controller.IsAlive(); }));
    EXPECT_EQ(shell_.Parameters(), std::vector<std::string>{"-new http://casino.example/real?n=0"});
    EXPECT_GT(controller.IgnoredCalls(), 0);
}

TEST_F(ControlledBrowser, CloseGameClosesTheWindowAndTheDeadControllerStaysListed) {
    GameStarter& starter = GameStarter::Instance();
    StartAndWait(starter, pages_.Url("/game?flash=same"));
    ASSERT_EQ(starter.Controllers().size(), 1u);
    const QString window = starter.Controllers()[0]->WindowId();
    ASSERT_TRUE(WaitForHooks(2));

    Run(window, "setTimeout(function(){ CloseGame(); }); 0");
    ASSERT_TRUE(WaitFor([&] { return !starter.Controllers()[0]->IsAlive(); }));
    EXPECT_TRUE(traces_.Contains("Close javascript was called"));
    EXPECT_EQ(starter.Controllers().size(), 1u);
    EXPECT_TRUE(starter.Controllers()[0]->WindowId().isEmpty());
    EXPECT_FALSE(IsOpen(window));
    EXPECT_TRUE(shell_.calls.empty());
}

TEST_F(ControlledBrowser, AddressThatIsNoUrlStillGivesAnEmptyWindow) {
    CTvIeHelper controller;
    EXPECT_TRUE(controller.StartNewIE("not a url"));
    EXPECT_NE(ErrorLog().find("ERROR: Path is not URL: not a url\n"), std::string::npos);
    EXPECT_TRUE(controller.IsAlive());
    // The browser's own start-up window gives way to the game's.
    const std::vector<std::string> only{controller.WindowId().toStdString()};
    EXPECT_TRUE(WaitFor([&] { return browser_->OpenWindows() == only; }, 5000));
}

TEST_F(ControlledBrowser, TenListedControllersMakeTheNextStartDropTheDeadOnes) {
    GameStarter& starter = GameStarter::Instance();
    const std::string game = pages_.Url("/plain");
    std::vector<const CTvIeHelper*> first;
    for (int i = 0; i < 9; ++i) {
        StartAndWait(starter, game);
    }
    ASSERT_EQ(starter.Controllers().size(), 9u);
    // The same game started twice is two windows.
    EXPECT_NE(starter.Controllers()[0]->WindowId(), starter.Controllers()[1]->WindowId());
    // One game ended after another, the first ones while their page is still on its way.
    for (const auto& controller : starter.Controllers()) {
        first.push_back(controller.get());
        ScriptResult result;
        controller->OnCloseGame(0, {}, &result);
        ASSERT_TRUE(WaitFor([&] { return !controller->IsAlive(); }));
    }

    // Nine dead ones are not enough to purge.
    StartAndWait(starter, game);
    ASSERT_EQ(starter.Controllers().size(), 10u);
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(starter.Controllers()[i].get(), first[i]);
    }
    const CTvIeHelper* tenth = starter.Controllers()[9].get();
    EXPECT_TRUE(tenth->IsAlive());

    StartAndWait(starter, game);
    ASSERT_EQ(starter.Controllers().size(), 2u);
    EXPECT_EQ(starter.Controllers()[0].get(), tenth);
    EXPECT_TRUE(starter.Controllers()[1]->IsAlive());
    EXPECT_TRUE(shell_.calls.empty());
}

TEST_F(ControlledBrowser, GamesClickedWhileTheBrowserStartsShareOneStartAndGetAWindowEach) {
    GameStarter& starter = GameStarter::Instance();
    const std::string first = pages_.Url("/game?flash=same");
    const std::string second = pages_.Url("/plain");
    starter.StartGame(first);
    starter.StartGame(second);
    starter.StartGame(first);
    EXPECT_EQ(starter.StartsUnderWay(), 2u);
    ASSERT_TRUE(WaitFor([&] { return starter.StartsUnderWay() == 0; }, kLongestStartMs));

    ASSERT_EQ(starter.Controllers().size(), 2u);
    std::vector<std::string> windows;
    for (const auto& controller : starter.Controllers()) {
        windows.push_back(controller->WindowId().toStdString());
    }
    std::sort(windows.begin(), windows.end());
    // Both in the one browser, whose own start-up window gave way.
    EXPECT_TRUE(WaitFor([&] {
        auto open = browser_->OpenWindows();
        std::sort(open.begin(), open.end());
        return open == windows;
    }));
    auto texts = traces_.Texts();
    EXPECT_EQ(std::count_if(
                  texts.begin(), texts.end(),
                  [](const std::string& t) { return t.starts_with("Automation browser started"); }),
              1);
    EXPECT_EQ(Count("Start new IE with url: " + first), 1);
    EXPECT_TRUE(shell_.calls.empty());
}

TEST_F(ControlledBrowser, GameGivenUpWhileItStartsNeverGetsItsWindow) {
    GameStarter& starter = GameStarter::Instance();
    // Given up while the browser starts: the browser comes up, with its own window only.
    starter.StartGame(pages_.Url("/game?flash=same"));
    ASSERT_TRUE(WaitFor([] { return BrowserLayer::StartedBrowser() != 0; }));
    starter.CloseAll();
    EXPECT_EQ(browser_->OpenWindows().size(), 1u);
    const std::vector<std::string> startup = browser_->OpenWindows();

    // Given up once its window was asked for: the window, made all the same, is closed again.
    starter.StartGame(pages_.Url("/plain"));
    QCoreApplication::processEvents();
    starter.CloseAll();
    Settle();
    EXPECT_TRUE(WaitFor([&] { return browser_->OpenWindows() == startup; }));
    EXPECT_TRUE(
        traces_.Contains("GameStarter: start of game " + pages_.Url("/plain") + " given up"));
    EXPECT_TRUE(starter.Controllers().empty());
    EXPECT_EQ(starter.StartsUnderWay(), 0u);
    EXPECT_TRUE(shell_.calls.empty());
}

// Only the user's own processes can drive the browser: it has no network listener, and its
// connection lives in a host that it does not outlive.
TEST_F(ControlledBrowser, NothingOfTheBrowserListensOnTheNetworkAndItGoesWithItsHost) {
    GameStarter& starter = GameStarter::Instance();
    StartAndWait(starter, pages_.Url("/game?flash=same"));
    ASSERT_TRUE(WaitForHooks(2));
    const pid_t host = BrowserLayer::StartedBrowser();
    ASSERT_NE(host, 0);
    const std::vector<pid_t> tree = ProcessTree(host);
    ASSERT_GE(tree.size(), 3u) << "the host, the browser and its helpers";
    const std::set<std::string> listeners = TcpListeners();
    for (pid_t pid : tree) {
        EXPECT_EQ(ListenersHeldBy(pid, listeners), 0) << "process " << pid;
    }

    // The host killed, the browser's pipe closes and the browser ends with every helper.
    inspector_.reset();
    kill(host, SIGKILL);
    EXPECT_TRUE(WaitFor(
        [&] { return std::all_of(tree.begin(), tree.end(), testing_support::ProcessEnded); },
        15000));
    EXPECT_TRUE(WaitFor([&] { return !starter.Controllers()[0]->IsAlive(); }));

    // The next game finds the dead host's socket and starts a new host and browser.
    StartAndWait(starter, pages_.Url("/plain"));
    const pid_t second = BrowserLayer::StartedBrowser();
    EXPECT_NE(second, host);
    ASSERT_EQ(starter.Controllers().size(), 2u);
    EXPECT_TRUE(starter.Controllers()[1]->IsAlive());
    // The browser closed, its host ends too.
    browser_->Connection().Call("Browser.close");
    BrowserLayer::Shutdown();
    EXPECT_TRUE(WaitFor([&] { return testing_support::ProcessEnded(second); }, 15000));
}

TEST_F(ControlledBrowser, GameWindowOutlivesTheProgramAndTheNextRunReusesTheBrowser) {
    GameStarter& starter = GameStarter::Instance();
    StartAndWait(starter, pages_.Url("/game?flash=same"));
    ASSERT_EQ(starter.Controllers().size(), 1u);
    const QString window = starter.Controllers()[0]->WindowId();
    ASSERT_TRUE(WaitForHooks(2));
    const pid_t started = BrowserLayer::StartedBrowser();
    ASSERT_NE(started, 0);

    // Exit: controllers go, then the layer.
    inspector_.reset();
    starter.CloseAll();
    BrowserLayer::Shutdown();
    // The next run finds the browser running and the game window still there.
    BrowserLayer::Init();
    EXPECT_TRUE(IsOpen(window));
    EXPECT_EQ(BrowserLayer::StartedBrowser(), started);
    EXPECT_EQ(Run(window, "CloseGame.version"), "1");
}

}  // namespace
