// The game starter and the controller where no automation browser can be had; the real
// browser is in ControlledBrowserTest.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "LaunchTestSupport.h"
#include "config/Game.h"
#include "launch/BrowserLayer.h"
#include "launch/CTvIeHelper.h"
#include "launch/GameStarter.h"
#include "launch/LaunchGame.h"
#include "support/ShellRecorder.h"
#include "support/TestEnvironment.h"

namespace {

using launch_testing::ErrorLog;
using launch_testing::WaitFor;
using testing_support::ScopedEnv;
using testing_support::ShellRecorder;
using testing_support::TempHome;
using testing_support::TraceRecorder;
using testing_support::WriteFile;

TEST(GameStarter, WithoutAnAutomationBrowserTheGameOpensPlainlyFullScreen) {
    TempHome home;
    ShellRecorder shell;
    TraceRecorder traces;
    setenv("PATH", (home.Root() + "/no-programs").c_str(), 1);
    BrowserLayer::Init();

    GameStarter::Instance().StartGame("http://games.example/slots game");
    // Known only once the event loop ran: the start never answers from within the click.
    EXPECT_TRUE(shell.calls.empty());
    ASSERT_TRUE(WaitFor([&] { return !shell.calls.empty(); }));

    EXPECT_TRUE(GameStarter::Instance().Controllers().empty());
    EXPECT_EQ(shell.Parameters(),
              std::vector<std::string>{"-new -k http://games.example/slots%20game"});
    EXPECT_EQ(traces.Texts(), (std::vector<std::string>{
                                  "GameStarter instantiated",
                                  "GameStarter: game http://games.example/slots game starting",
                                  "Start new IE with url: http://games.example/slots game",
                                  "Unable to start controlled Internet Explorer",
                                  "Start game with standard way http://games.example/slots game",
                                  "Link to http://games.example/slots game with parameters: "
                                  "NEW_WINDOW FULL_SCREEN ",
                              }));
    BrowserLayer::Shutdown();
}

TEST(GameStarter, BrowserThatNeverAnnouncesItselfIsEndedAndTheGameOpensPlainlyOnceUnlessGivenUp) {
    TempHome home;
    const std::string programs = home.Root() + "/programs";
    std::filesystem::create_directories(programs);
    WriteFile(programs + "/chromium", "#!/bin/sh\nexec /bin/sleep 60\n");
    std::filesystem::permissions(programs + "/chromium", std::filesystem::perms::owner_all);
    ScopedEnv path("PATH", programs);
    const std::string game = "http://games.example/slots";
    struct Case {
        const char* what;
        int startTimeoutMs;
        bool closeAll;  // the program exits while the browser starts
        bool shutdown;
        std::vector<std::string> shell;
    };
    for (const Case& c : {
             Case{"time-out", 300, false, false, {"-new -k " + game}},
             Case{"given up, then time-out", 300, true, false, {}},
             Case{"given up, layer shut down", 60000, true, true, {}},
         }) {
        SCOPED_TRACE(c.what);
        ShellRecorder shell;
        TraceRecorder traces;
        GameStarter& starter = GameStarter::Instance();
        const pid_t before = BrowserLayer::StartedBrowser();
        BrowserLayer::SetHostProgram(launch_testing::BuiltHost());
        BrowserLayer::SetStartTimeout(c.startTimeoutMs);
        BrowserLayer::Init();

        starter.StartGame(game);
        starter.StartGame(game);
        EXPECT_EQ(starter.StartsUnderWay(), 1u);
        EXPECT_TRUE(traces.Contains("GameStarter: game " + game + " is on its way already"));
        ASSERT_TRUE(WaitFor([&] { return BrowserLayer::StartedBrowser() != before; }));
        const pid_t stub = BrowserLayer::StartedBrowser();
        if (c.closeAll) {
            starter.CloseAll();
        }
        if (c.shutdown) {
            BrowserLayer::Shutdown();
        }
        // A browser started and never reached is not left behind.
        EXPECT_TRUE(WaitFor([&] { return kill(stub, 0) != 0; }));
        EXPECT_TRUE(WaitFor([&] { return starter.StartsUnderWay() == 0; }));
        EXPECT_EQ(shell.Parameters(), c.shell);
        EXPECT_TRUE(starter.Controllers().empty());
        BrowserLayer::Shutdown();
    }
}

TEST(GameStarter, BeforeTheLayerIsSetUpNoControlledWindowIsMade) {
    ShellRecorder shell;
    ASSERT_FALSE(BrowserLayer::IsInitialized());
    EXPECT_EQ(BrowserLayer::Connection(), nullptr);
    GameStarter::Instance().StartGame("http://games.example/poker");
    ASSERT_TRUE(WaitFor([&] { return !shell.calls.empty(); }));
    EXPECT_TRUE(GameStarter::Instance().Controllers().empty());
    EXPECT_EQ(shell.Parameters(), std::vector<std::string>{"-new -k http://games.example/poker"});
}

TEST(GameStarter, CloseAllAtExitMakesTheSingleInstanceWhenNoGameRan) {
    TraceRecorder traces;
    GameStarter::Instance().CloseAll();
    EXPECT_EQ(&GameStarter::Instance(), &GameStarter::Instance());
    EXPECT_EQ(traces.Texts(), std::vector<std::string>{"GameStarter instantiated"});
}

TEST(LaunchGame, PlainGamesOpenInANewWindowFullScreenWhenMarked) {
    ShellRecorder shell;
    TraceRecorder traces;
    const Game plain("Keno", "http://games.example/keno", "", 0, QImage());
    const Game fullScreen("Pinball", "http://games.example/pinball", "", Game::FLAG_FULL_SCREEN,
                          QImage());
    LaunchGame(GameLaunch::Of(plain));
    LaunchGame(GameLaunch::Of(fullScreen));
    EXPECT_EQ(shell.Parameters(),
              (std::vector<std::string>{"-new http://games.example/keno",
                                        "-new -k http://games.example/pinball"}));
    // Nothing went near the game starter.
    EXPECT_FALSE(traces.Contains("GameStarter instantiated"));
}

TEST(LaunchGame, ControlledGamesGoToTheGameStarter) {
    ShellRecorder shell;
    TraceRecorder traces;
    // Controlled wins over full screen; without the browser layer it falls back, full screen.
    const Game controlled("Checkers", "http://games.example/checkers", "",
                          Game::FLAG_CONTROLLED | Game::FLAG_FAVORITE, QImage());
    LaunchGame(GameLaunch::Of(controlled));
    ASSERT_TRUE(WaitFor([&] { return !shell.calls.empty(); }));
    EXPECT_TRUE(traces.Contains("GameStarter: game http://games.example/checkers starting"));
    EXPECT_EQ(shell.Parameters(),
              std::vector<std::string>{"-new -k http://games.example/checkers"});
}

TEST(LaunchGame, AnAddressThatIsNoWebAddressStartsNothingAndIsLogged) {
    TempHome home;
    ShellRecorder shell;
    TraceRecorder traces;
    for (const std::uint32_t flags : {0u, Game::FLAG_CONTROLLED}) {
        for (const char* url : {"file:///etc/passwd", "ftp://games.example/keno", "games/keno"}) {
            LaunchGame(GameLaunch::Of(Game("Keno", url, "", flags, QImage())));
            EXPECT_NE(ErrorLog().find(std::string("Game 'Keno' refused, not an http or https "
                                                  "address: '") +
                                      url + "'"),
                      std::string::npos)
                << url;
        }
    }
    EXPECT_TRUE(shell.calls.empty());
    for (const std::string& text : traces.Texts()) {
        EXPECT_EQ(text.find("GameStarter: game"), std::string::npos) << text;
    }
}

ScriptArguments Texts(std::initializer_list<const char*> texts) {
    ScriptArguments arguments;
    for (const char* text : texts) {
        arguments.push_back({true, text, {}});
    }
    return arguments;
}

TEST(CTvIeHelper, PlayForRealOnlyOpensAnHttpAddressFromThePage) {
    TempHome home;
    ShellRecorder shell;
    TraceRecorder traces;
    CTvIeHelper controller;
    ScriptResult result;

    controller.OnPlayForReal(0, {}, &result);
    controller.OnPlayForReal(0, {{false, {}, "number"}}, &result);
    controller.OnPlayForReal(0, Texts({"javascript:alert(1)"}), &result);
    controller.OnPlayForReal(0, Texts({"file:///etc/passwd"}), &result);
    controller.OnPlayForReal(0, Texts({"--kiosk-printing"}), &result);
    controller.OnPlayForReal(0, Texts({"ftp://c.example/\n[01:01:2000 00.00.00] ERROR: forged"}),
                             &result);
    // An address the launcher could not open would close the game for nothing.
    const std::string tooLong = "http://casino.example/" + std::string(2100, 'a');
    controller.OnPlayForReal(0, Texts({tooLong.c_str()}), &result);
    // The last of several arguments counts.
    controller.OnPlayForReal(0, Texts({"http://casino.example/", "ftp://casino.example/"}),
                             &result);
    // Not repaired into "http://x/".
    controller.OnPlayForReal(0, Texts({"http:/x"}), &result);
    controller.OnPlayForReal(0, {{false, {}, "string", true}}, &result);
    // Ten lines from the page at most, then one that says so: real errors stay in the log.
    for (int i = 0; i < 20; ++i) {
        controller.OnPlayForReal(0, Texts({"file:///again"}), &result);
    }

    EXPECT_TRUE(shell.calls.empty());
    const std::string log = ErrorLog();
    EXPECT_NE(log.find("ERROR: PlayForReal javascript was called without an address\n"),
              std::string::npos);
    EXPECT_NE(log.find("ERROR: PlayForReal javascript was called with a value that is not text "
                       "(number)\n"),
              std::string::npos);
    // The page's text is cut to a few hundred bytes.
    EXPECT_NE(log.find("address: '" + tooLong.substr(0, 100)), std::string::npos);
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 400u) << line.substr(0, 100);
    }
    EXPECT_NE(log.find("address: 'http:/x'"), std::string::npos);
    EXPECT_NE(log.find("address refused, longer than 4096 characters\n"), std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 11);
    EXPECT_NE(log.find("ERROR: Further errors of the game page are not logged\n"),
              std::string::npos);
    for (const char* refused : {"'javascript:alert(1)'", "'file:///etc/passwd'",
                                "'--kiosk-printing'", "'ftp://casino.example/'"}) {
        EXPECT_NE(log.find(std::string("PlayForReal address refused, not an http or https "
                                       "address: ") +
                           refused + "\n"),
                  std::string::npos)
            << refused;
    }
    // Nothing from the page starts a line of the log of its own.
    EXPECT_EQ(log.find("\n[01:01:2000"), std::string::npos);
    EXPECT_NE(log.find("'ftp://c.example/\\x0A[01:01:2000 00.00.00] ERROR: forged'"),
              std::string::npos);
    EXPECT_TRUE(controller.IsAlive());

    // A good address, but no window to close: nothing is opened either.
    controller.OnPlayForReal(0, Texts({"https://casino.example/real"}), &result);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(traces.Contains("failed: WebBrowser doesn't exist"));
}

TEST(CTvIeHelper, WithoutAWindowCallsAndDestructionDoNothing) {
    TraceRecorder traces;
    {
        CTvIeHelper controller;
        ScriptResult result;
        controller.OnCloseGame(0, {}, &result);
        EXPECT_TRUE(controller.WindowId().isEmpty());
    }
    EXPECT_EQ(traces.Texts(), (std::vector<std::string>{"Close javascript was called",
                                                        "failed: WebBrowser doesn't exist"}));
}

// The build puts the host beside the program; an installed program finds it in libexec.
TEST(BrowserLayer, HostIsLookedForBesideTheProgramThenInLibexec) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"/usr/bin", {"/usr/bin/tivora-browser-host", "/usr/libexec/tivora/tivora-browser-host"}},
        {"/opt/t/bin/",
         {"/opt/t/bin/tivora-browser-host", "/opt/t/libexec/tivora/tivora-browser-host"}},
        {"/", {"/tivora-browser-host", "/libexec/tivora/tivora-browser-host"}},
    };
    for (const auto& [folder, places] : cases) {
        EXPECT_EQ(BrowserLayer::HostPlaces(folder), places) << folder;
    }
}

}  // namespace
