// The real program in real processes: single instance, command line, missing display, signals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include "main/TivoraApp.h"
#include "platform/os/SingleInstance.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::TempHome;
using testing_support::WaitFor;

QProcessEnvironment ChildEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    return environment;
}

std::unique_ptr<QProcess> Start(const QStringList& arguments = {},
                                QProcessEnvironment environment = ChildEnvironment()) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    // The program keeps a termination signal its parent ignores ignored (nohup); the tests
    // send them, whatever the test runner ignores.
    process->setChildProcessModifier([] {
        for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
            std::signal(signal, SIG_DFL);
        }
    });
    process->start(QStringLiteral(TIVORA_EXECUTABLE), arguments);
    EXPECT_TRUE(process->waitForStarted(5000));
    return process;
}

// The first instance listens once it has its window.
bool Listening() {
    return std::filesystem::exists(InstanceChannel::PathFor(CTivoraApp::kMutexName));
}

TEST(Process, SecondStartAsksTheFirstToComeForwardAndEndsQuietly) {
    TempHome home;
    // This test process plays the first instance.
    NamedMutex marker;
    ASSERT_EQ(marker.Create(CTivoraApp::kMutexName), NamedMutex::Result::Created);
    InstanceChannel channel;
    int requests = 0;
    ASSERT_TRUE(channel.Listen(CTivoraApp::kMutexName, [&](const std::string&) { ++requests; }));

    auto second = Start();
    ASSERT_TRUE(WaitFor([&] { return second->state() == QProcess::NotRunning; }));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    ASSERT_TRUE(WaitFor([&] { return requests == 1; }));
    EXPECT_FALSE(std::filesystem::exists(home.ErrorLogPath()));
}

TEST(Process, SecondStartBeforeTheFirstHasItsWindowEndsSilently) {
    TempHome home;
    NamedMutex marker;  // held, but nobody listens yet
    ASSERT_EQ(marker.Create(CTivoraApp::kMutexName), NamedMutex::Result::Created);
    auto second = Start();
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardError().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(home.ErrorLogPath()));
}

TEST(Process, TwoRealInstancesAndAnOrderlyTerminate) {
    TempHome home;
    auto first = Start();
    ASSERT_TRUE(WaitFor([&] { return Listening(); }));
    // A first run finds no settings file: that is its only line.
    const std::string firstRunLog = testing_support::ReadFile(home.ErrorLogPath());
    EXPECT_NE(firstRunLog.find("ERROR: Unable to load settings file\n"), std::string::npos);
    auto second = Start();
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);

    first->terminate();  // SIGTERM
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    // Neither the second start nor the shutdown wrote anything.
    EXPECT_EQ(testing_support::ReadFile(home.ErrorLogPath()), firstRunLog);
    // The lock is gone with the process: a new start runs again.
    NamedMutex after;
    EXPECT_EQ(after.Create(CTivoraApp::kMutexName), NamedMutex::Result::Created);
}

// Without a runtime folder, with the name under the temporary folder taken by someone else, the
// two starts still find each other (in the cache home) and only one bar runs.
TEST(Process, TwoStartsMakeOneBarWithoutARuntimeFolderWhateverOthersMadeUnderTmp) {
    struct Case {
        const char* name;
        std::function<void(const std::string& entry)> make;
    };
    std::vector<Case> cases = {
        {"a link", [](const std::string& entry) { std::filesystem::create_symlink("/", entry); }}};
    if (geteuid() == 0) {  // only root can give a folder away
        cases.push_back({"another user's folder", [](const std::string& entry) {
                             std::filesystem::create_directory(entry);
                             ASSERT_EQ(chown(entry.c_str(), 65534, 65534), 0);
                         }});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        unsetenv("XDG_RUNTIME_DIR");
        testing_support::ScopedEnv tmp("TMPDIR", home.Root());
        c.make(home.Root() + "/tivora-" + std::to_string(geteuid()));
        auto first = Start();
        ASSERT_TRUE(WaitFor([&] { return Listening(); }));
        EXPECT_EQ(
            InstanceChannel::PathFor(CTivoraApp::kMutexName).rfind(home.Root() + "/cache/", 0), 0u);
        auto second = Start();
        ASSERT_TRUE(second->waitForFinished(10000));
        EXPECT_EQ(second->exitCode(), 0);
        EXPECT_EQ(first->state(), QProcess::Running);
        first->terminate();
        EXPECT_TRUE(first->waitForFinished(10000));
    }
}

TEST(Process, InterruptAndHangUpEndTheProgramInOrderWithTheExitSave) {
    for (int signal : {SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        TempHome home;
        auto first = Start();
        ASSERT_TRUE(WaitFor([&] { return Listening(); }));
        const std::string settings = home.AppDataFolder() + "/tivora.sts";
        std::filesystem::remove(settings);  // the start's own save, if any
        ::kill(static_cast<pid_t>(first->processId()), signal);
        ASSERT_TRUE(first->waitForFinished(10000));
        EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(first->exitCode(), 0);
        EXPECT_TRUE(std::filesystem::exists(settings));
    }
}

// The signal masks of a running process, from /proc: which it ignores and which it catches.
std::pair<unsigned long long, unsigned long long> IgnoredAndCaught(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    unsigned long long ignored = 0;
    unsigned long long caught = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigIgn:", 0) == 0) {
            ignored = std::stoull(line.substr(7), nullptr, 16);
        } else if (line.rfind("SigCgt:", 0) == 0) {
            caught = std::stoull(line.substr(7), nullptr, 16);
        }
    }
    return {ignored, caught};
}

TEST(Process, HangUpIgnoredByTheParentStaysIgnored) {
    TempHome home;
    QProcess process;
    process.setProcessEnvironment(ChildEnvironment());
    process.setChildProcessModifier([] {
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGHUP, SIG_IGN);  // as nohup leaves it
    });
    process.start(QStringLiteral(TIVORA_EXECUTABLE));
    ASSERT_TRUE(process.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return Listening(); }));
    const auto [ignored, caught] = IgnoredAndCaught(process.processId());
    const auto bit = [](int signal) { return 1ull << (signal - 1); };
    EXPECT_TRUE(ignored & bit(SIGHUP));
    EXPECT_TRUE(caught & bit(SIGTERM));
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
}

// A termination that comes before the program could have set anything up waits for it: sent
// while the program's parent still blocks it, it is let through first thing in main and ends
// the run in order.
TEST(Process, TerminationDuringStartUpEndsTheProgramInOrder) {
    TempHome home;
    QProcess process;
    process.setProcessEnvironment(ChildEnvironment());
    process.setChildProcessModifier([] {
        std::signal(SIGTERM, SIG_DFL);
        sigset_t blocked;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGTERM);
        sigprocmask(SIG_BLOCK, &blocked, nullptr);
    });
    process.start(QStringLiteral(TIVORA_EXECUTABLE));
    ASSERT_TRUE(process.waitForStarted(5000));
    process.terminate();
    const bool ended = process.waitForFinished(10000);
    if (!ended) {
        process.kill();
        process.waitForFinished(5000);
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(home.AppDataFolder() + "/tivora.sts"));
}

TEST(Process, FileArgumentIsLoggedAndTheStartRefused) {
    TempHome home;
    auto process = Start({"some-file"});
    ASSERT_TRUE(process->waitForFinished(10000));
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process->exitCode(), CTivoraApp::kBadCommandLineExitCode);
    std::string log = testing_support::ReadFile(home.ErrorLogPath());
    QRegularExpression line(
        R"((^|\n)\[\d\d:\d\d:\d{4} \d\d\.\d\d\.\d\d\] ERROR: Unable to process shell command\n$)");
    EXPECT_TRUE(line.match(QString::fromStdString(log)).hasMatch()) << log;
}

TEST(Process, NoDisplayGivesOneLineAndExitCode255) {
    TempHome home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    auto process = Start({}, environment);
    ASSERT_TRUE(process->waitForFinished(10000));
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process->exitCode(), 255);
    QByteArray error = process->readAllStandardError();
    EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
    EXPECT_TRUE(error.contains("cannot open a display"));
}

TEST(Process, UnreachableDisplayGivesOneLineAndExitCode255) {
    TempHome home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("DISPLAY", ":97");
    auto process = Start({}, environment);
    ASSERT_TRUE(process->waitForFinished(10000));
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);  // no abort, no core dump
    EXPECT_EQ(process->exitCode(), 255);
    QByteArray error = process->readAllStandardError();
    EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
}

TEST(Process, MissingPlatformPluginIsNamedOnStderrAndInTheLog) {
    TempHome home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A Wayland session where Qt lacks the plugin it is told to use.
    environment.remove("DISPLAY");
    environment.insert("WAYLAND_DISPLAY", "wayland-0");
    environment.insert("QT_QPA_PLATFORM", "wayland-tivora-test");
    auto process = Start({}, environment);
    ASSERT_TRUE(process->waitForFinished(10000));
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process->exitCode(), 255);
    const std::string why =
        "cannot open a display: the Qt platform plugin \"wayland-tivora-test\" is not installed "
        "(Debian package qt6-wayland)";
    EXPECT_EQ(process->readAllStandardError().toStdString(), "tivora: " + why + "\n");
    const std::string log = testing_support::ReadFile(home.ErrorLogPath());
    EXPECT_NE(log.find("ERROR: " + why + "\n"), std::string::npos) << log;
}

}  // namespace
