#include "main/TivoraApp.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/ComeForwardEvent.h"
#include "app/Exceptions.h"
#include "platform/os/ProcessObjects.h"
#include "platform/os/SingleInstance.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::ScopedEnv;
using testing_support::TempHome;
using testing_support::WaitFor;

// Records the calls of the application object, and what the single-instance marker looks like
// from outside at each of them.
class RecordingParts : public AppParts {
public:
    std::vector<std::string> calls;
    bool makeWindow = true;
    std::function<std::unique_ptr<QWidget>()> windowMaker;
    std::function<void()> duringCreate;

    void InitBrowserLayer() override { calls.push_back("InitBrowserLayer"); }
    void ShutdownBrowserLayer() override { calls.push_back("ShutdownBrowserLayer"); }
    std::unique_ptr<QWidget> CreateMainWindow() override {
        calls.push_back("CreateMainWindow");
        if (duringCreate) {
            duringCreate();
        }
        if (windowMaker) {
            return windowMaker();
        }
        return makeWindow ? std::make_unique<QWidget>() : nullptr;
    }
    void StartServices() override { calls.push_back("StartServices"); }
    void StopServices() override { calls.push_back("StopServices" + MarkerState()); }
    void CloseGames() override { calls.push_back("CloseGames" + MarkerState()); }

    static std::string MarkerState() {
        NamedMutex probe;
        return probe.Create(CTivoraApp::kMutexName) == NamedMutex::Result::AlreadyExists
                   ? "(marker held)"
                   : "(marker free)";
    }
};

struct AppRun {
    explicit AppRun(std::vector<std::string> extraArgs = {}) {
        args = {"tivora"};
        for (auto& arg : extraArgs) {
            args.push_back(arg);
        }
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        argc = static_cast<int>(args.size());
    }
    std::vector<std::string> args;
    std::vector<char*> argv;
    int argc;
};

std::string ErrorLog(const TempHome& home) {
    return testing_support::ReadFile(home.ErrorLogPath());
}

TEST(TivoraApp, StartsAndStopsItsPartsInTheFixedOrder) {
    TempHome home;
    RecordingParts parts;
    AppRun run;
    CTivoraApp app(run.argc, run.argv.data(), parts);
    QTimer::singleShot(0, &app, [&app] { app.RequestExit(); });
    EXPECT_EQ(app.RunSequence(), 0);
    EXPECT_EQ(parts.calls,
              (std::vector<std::string>{"InitBrowserLayer", "CreateMainWindow", "StartServices",
                                        "CloseGames(marker held)", "StopServices(marker held)",
                                        "ShutdownBrowserLayer"}));
    EXPECT_EQ(app.MainWindow(), nullptr);
    // The profile is named after the executable file, whatever argv[0] says.
    EXPECT_EQ(app.ProfileKey(), "Software\\Nuvexa\\program_lifecycle_tests");
    EXPECT_EQ(app.GetWindowClass().name, "TIVORA_85680421-BCB9-4dce-8533-E7EB64C554D5");
    EXPECT_EQ(app.GetWindowClass().background, QColor(81, 81, 81));
    EXPECT_FALSE(testing_support::FileExists(home.ErrorLogPath()));
}

// Stands for the settings, whose destruction at exit is the final save.
struct FinalSave {
    static inline std::string markerAtSave;
    ~FinalSave() { markerAtSave = RecordingParts::MarkerState(); }
};

class NoPresenter : public ErrorPresenter {
public:
    void ShowInternalError(const std::string&) override { ADD_FAILURE(); }
    void ShowConfigurationError(const std::string&) override { ADD_FAILURE(); }
};

// A new instance started while this one stops must wait until its exit save is written, or
// that save would land last and overwrite what the new one saved.
TEST(TivoraApp, MarkerIsHeldUntilAfterTheFinalSave) {
    TempHome home;
    RecordingParts parts;
    parts.duringCreate = [] {
        ProcessWide<FinalSave>();
        QTimer::singleShot(0, [] { CTivoraApp::Instance()->RequestExit(); });
    };
    NoPresenter presenter;
    AppRun run;
    EXPECT_EQ(RunTivora(run.argc, run.argv.data(), parts, presenter), 0);
    EXPECT_EQ(FinalSave::markerAtSave, "(marker held)");
    NamedMutex after;
    EXPECT_EQ(after.Create(CTivoraApp::kMutexName), NamedMutex::Result::Created);
}

TEST(TivoraApp, MarkerThatCannotBeMadeIsOneLogLineAndTheProgramRuns) {
    TempHome home;
    unsetenv("XDG_RUNTIME_DIR");
    const char* tmp = std::getenv("TMPDIR");
    const std::optional<std::string> oldTmp = tmp ? std::optional<std::string>(tmp) : std::nullopt;
    setenv("TMPDIR", home.Root().c_str(), 1);
    // A folder under the temporary folder in the user's name, open to everyone, and a cache
    // home that cannot hold a folder.
    const std::string folder = home.Root() + "/tivora-" + std::to_string(geteuid());
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::all);
    testing_support::WriteFile(home.Root() + "/cache", "");
    RecordingParts parts;
    AppRun run;
    {
        CTivoraApp app(run.argc, run.argv.data(), parts);
        QTimer::singleShot(0, &app, [&app] { app.RequestExit(); });
        EXPECT_EQ(app.RunSequence(), 0);
    }
    oldTmp ? setenv("TMPDIR", oldTmp->c_str(), 1) : unsetenv("TMPDIR");
    EXPECT_EQ(std::count(parts.calls.begin(), parts.calls.end(), "StartServices"), 1);
    const std::string log = ErrorLog(home);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("] ERROR: Unable to create single instance lock: no private runtime "
                       "folder: " +
                       folder + " is open to other users; "),
              std::string::npos)
        << log;
}

TEST(TivoraApp, AnotherInstanceRefusesTheStartSilently) {
    TempHome home;
    NamedMutex first;
    ASSERT_EQ(first.Create(CTivoraApp::kMutexName), NamedMutex::Result::Created);
    RecordingParts parts;
    AppRun run;
    CTivoraApp app(run.argc, run.argv.data(), parts);
    EXPECT_EQ(app.RunSequence(), 0);
    // No window and no worker; the exit sequence still runs.
    EXPECT_EQ(parts.calls,
              (std::vector<std::string>{"InitBrowserLayer", "CloseGames(marker held)",
                                        "StopServices(marker held)", "ShutdownBrowserLayer"}));
    EXPECT_FALSE(testing_support::FileExists(home.ErrorLogPath()));
}

TEST(TivoraApp, MissingMainWindowIsLoggedAndRefusesTheStart) {
    TempHome home;
    RecordingParts parts;
    parts.makeWindow = false;
    AppRun run;
    CTivoraApp app(run.argc, run.argv.data(), parts);
    EXPECT_EQ(app.RunSequence(), 0);
    EXPECT_NE(ErrorLog(home).find("] ERROR: Unable to create main window\n"), std::string::npos);
    EXPECT_EQ(std::count(parts.calls.begin(), parts.calls.end(), "StartServices"), 0);
    EXPECT_EQ(parts.calls.back(), "ShutdownBrowserLayer");
}

TEST(TivoraApp, FileArgumentIsRefusedAfterTheWindowWasMade) {
    TempHome home;
    RecordingParts parts;
    AppRun run({"some-file.txt"});
    CTivoraApp app(run.argc, run.argv.data(), parts);
    EXPECT_EQ(app.RunSequence(), CTivoraApp::kBadCommandLineExitCode);
    EXPECT_NE(ErrorLog(home).find("] ERROR: Unable to process shell command\n"), std::string::npos);
    EXPECT_EQ(parts.calls[1], "CreateMainWindow");
    EXPECT_EQ(std::count(parts.calls.begin(), parts.calls.end(), "StartServices"), 0);
}

TEST(TivoraApp, QtsOwnArgumentsAreNotTheProgramsConcern) {
    TempHome home;
    RecordingParts parts;
    AppRun run({"-style", "fusion"});
    CTivoraApp app(run.argc, run.argv.data(), parts);
    QTimer::singleShot(0, &app, [&app] { app.RequestExit(); });
    EXPECT_EQ(app.RunSequence(), 0);
    EXPECT_FALSE(testing_support::FileExists(home.ErrorLogPath()));
}

TEST(TivoraApp, LaterInstancesReachItOnlyOnceItHasItsWindow) {
    TempHome home;
    RecordingParts parts;
    bool reachableDuringCreate = true;
    parts.duringCreate = [&] {
        reachableDuringCreate = InstanceChannel::AskToComeForward(CTivoraApp::kMutexName, {}, 200);
    };
    AppRun run;
    CTivoraApp app(run.argc, run.argv.data(), parts);
    bool reachableWhenRunning = false;
    QTimer::singleShot(0, &app, [&] {
        reachableWhenRunning = InstanceChannel::AskToComeForward(CTivoraApp::kMutexName, {}, 1000);
        app.RequestExit();
    });
    app.RunSequence();
    EXPECT_FALSE(reachableDuringCreate);
    EXPECT_TRUE(reachableWhenRunning);
}

// Brings itself forward, as the bar does (from the tray), and keeps the tokens it was given.
class ComesForwardItself : public QWidget {
public:
    std::vector<std::string> tokens;

    bool event(QEvent* event) override {
        if (event->type() == ComeForwardEvent::kType) {
            tokens.push_back(static_cast<ComeForwardEvent*>(event)->Token());
            event->accept();
            return true;
        }
        return QWidget::event(event);
    }
};

// A later start always leaves a window on screen: one that does not come forward itself is
// shown for it, even when it was hidden.
TEST(TivoraApp, LaterStartBringsTheWindowOnScreenOrLetsItComeForwardItself) {
    for (const bool itself : {false, true}) {
        SCOPED_TRACE(itself);
        TempHome home;
        RecordingParts parts;
        ComesForwardItself* own = nullptr;
        if (itself) {
            parts.windowMaker = [&own] {
                auto window = std::make_unique<ComesForwardItself>();
                own = window.get();
                return window;
            };
        }
        AppRun run;
        CTivoraApp app(run.argc, run.argv.data(), parts);
        ASSERT_TRUE(app.InitInstance());
        ASSERT_FALSE(app.MainWindow()->isVisible());
        EXPECT_TRUE(InstanceChannel::AskToComeForward(CTivoraApp::kMutexName, "launch_TIME42"));
        if (itself) {
            EXPECT_TRUE(WaitFor([&] { return !own->tokens.empty(); }));
            EXPECT_EQ(own->tokens, std::vector<std::string>{"launch_TIME42"});
        } else {
            EXPECT_TRUE(WaitFor([&] { return app.MainWindow()->isVisible(); }));
        }
        EXPECT_EQ(app.MainWindow()->isVisible(), !itself);
        app.ExitInstance();
    }
}

// The token a later start hands over is the one it was started with, taken before Qt's own
// start-up can remove it from the environment.
TEST(TivoraApp, LaterStartHandsOverItsStartupToken) {
    struct Case {
        const char* startupId;
        const char* activationToken;
        const char* handedOver;
    };
    for (const Case& c : {Case{"x11-id_TIME7", "wayland-token", "x11-id_TIME7"},
                          Case{"", "wayland-token", "wayland-token"}}) {
        SCOPED_TRACE(c.handedOver);
        TempHome home;
        ScopedEnv startupId("DESKTOP_STARTUP_ID", c.startupId);
        ScopedEnv activationToken("XDG_ACTIVATION_TOKEN", c.activationToken);
        RecordingParts parts;
        AppRun run;
        CTivoraApp app(run.argc, run.argv.data(), parts);
        // This test plays the first instance.
        NamedMutex marker;
        ASSERT_EQ(marker.Create(CTivoraApp::kMutexName), NamedMutex::Result::Created);
        InstanceChannel channel;
        std::vector<std::string> tokens;
        ASSERT_TRUE(channel.Listen(CTivoraApp::kMutexName,
                                   [&](const std::string& token) { tokens.push_back(token); }));
        EXPECT_FALSE(app.InitInstance());
        EXPECT_TRUE(WaitFor([&] { return !tokens.empty(); }));
        EXPECT_EQ(tokens, std::vector<std::string>{c.handedOver});
        app.ExitInstance();
    }
}

TEST(TivoraApp, ExceptionFromTheMainWindowLeavesTheSequence) {
    TempHome home;
    RecordingParts parts;
    parts.duringCreate = [] {
        throw ConfigurationException("Games configuration file doesn't exist");
    };
    AppRun run;
    CTivoraApp app(run.argc, run.argv.data(), parts);
    EXPECT_THROW(app.RunSequence(), ConfigurationException);
    // The handler ends the process: no exit sequence.
    EXPECT_EQ(std::count(parts.calls.begin(), parts.calls.end(), "ShutdownBrowserLayer"), 0);
}

TEST(TivoraApp, ExceptionInAnEventHandlerReachesTheTopLevel) {
    TempHome home;
    RecordingParts parts;
    AppRun run;
    CTivoraApp app(run.argc, run.argv.data(), parts);
    QTimer::singleShot(0, &app, [] { throw AppException("from a handler"); });
    try {
        app.RunSequence();
        ADD_FAILURE() << "no exception";
    } catch (const AppException& error) {
        EXPECT_EQ(error.GetMessage(), "from a handler");
    }
}

TEST(TivoraApp, TerminationSignalEndsTheRunInOrder) {
    TempHome home;
    RecordingParts parts;
    AppRun run;
    CTivoraApp app(run.argc, run.argv.data(), parts);
    QTimer::singleShot(0, &app, [] { std::raise(SIGTERM); });
    EXPECT_EQ(app.RunSequence(), 0);
    EXPECT_EQ(parts.calls.back(), "ShutdownBrowserLayer");
    EXPECT_EQ(parts.calls[3], "CloseGames(marker held)");
}

}  // namespace
