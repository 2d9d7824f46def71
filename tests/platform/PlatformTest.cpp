#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "platform/FileVersion.h"
#include "platform/ProcessObjects.h"
#include "platform/SingleInstance.h"
#include "platform/SystemPaths.h"
#include "platform/UnixSignals.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::TempHome;

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

TEST(NamedMutex, SecondHolderSeesItExistsUntilTheFirstCloses) {
    TempHome home;
    NamedMutex first;
    NamedMutex second;
    EXPECT_EQ(first.Create("marker"), NamedMutex::Result::Created);
    EXPECT_EQ(second.Create("marker"), NamedMutex::Result::AlreadyExists);
    EXPECT_FALSE(second.IsHeld());
    EXPECT_EQ(second.Create("other-marker"), NamedMutex::Result::Created);
    first.Close();
    NamedMutex third;
    EXPECT_EQ(third.Create("marker"), NamedMutex::Result::Created);
}

TEST(NamedMutex, LivesInTheRuntimeDirectoryOrPerUserInTmp) {
    TempHome home;
    EXPECT_EQ(NamedMutex::PathFor("m"), home.RuntimeDir() + "/m.lock");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(NamedMutex::PathFor("m"), "/tmp/m-" + std::to_string(getuid()) + ".lock");
}

TEST(NamedMutex, UnusableRuntimeDirectoryFailsWithoutAHandle) {
    TempHome home;
    setenv("XDG_RUNTIME_DIR", (home.Root() + "/missing/run").c_str(), 1);
    NamedMutex marker;
    EXPECT_EQ(marker.Create("m"), NamedMutex::Result::Failed);
    EXPECT_FALSE(marker.IsHeld());
}

TEST(InstanceChannel, RequestReachesTheListenerOnlyAsAWholeLine) {
    TempHome home;
    InstanceChannel channel;
    int requests = 0;
    ASSERT_TRUE(channel.Listen("chan", [&] { ++requests; }));
    EXPECT_TRUE(InstanceChannel::AskToComeForward("chan"));
    EXPECT_TRUE(WaitFor([&] { return requests == 1; }));
    EXPECT_FALSE(InstanceChannel::AskToComeForward("nobody-listens", 200));
}

TEST(InstanceChannel, StaleSocketFileDoesNotBlockListening) {
    TempHome home;
    std::ofstream(InstanceChannel::PathFor("chan")) << "left over";
    InstanceChannel channel;
    EXPECT_TRUE(channel.Listen("chan", [] {}));
}

TEST(ProcessObjects, DestroyedInReverseOrderOfMaking) {
    static std::vector<std::string> log;
    struct A {
        ~A() { log.push_back("A"); }
    };
    struct B {
        ~B() { log.push_back("B"); }
    };
    struct C {
        // Made while B is being destroyed: destroyed right after.
        ~C() { log.push_back("C"); }
    };
    struct MakesCWhenDestroyed {
        ~MakesCWhenDestroyed() {
            ProcessWide<C>();
            log.push_back("D");
        }
    };
    ProcessWide<A>();
    ProcessWide<MakesCWhenDestroyed>();
    ProcessWide<B>();
    EXPECT_EQ(&ProcessWide<A>(), &ProcessWide<A>());
    ProcessObjects::DestroyAll();
    EXPECT_EQ(log, (std::vector<std::string>{"B", "D", "C", "A"}));
}

TEST(ProcessObjects, FailedConstructionIsTriedAgain) {
    static int attempts = 0;
    struct Flaky {
        Flaky() {
            if (++attempts == 1) {
                throw std::runtime_error("first");
            }
        }
    };
    EXPECT_THROW(ProcessWide<Flaky>(), std::runtime_error);
    EXPECT_NO_THROW(ProcessWide<Flaky>());
    EXPECT_EQ(attempts, 2);
    ProcessObjects::DestroyAll();
}

TEST(FileVersion, ThisProgramCarriesTheProjectVersion) {
    FileVersion::Record record{};
    ASSERT_EQ(FileVersion::Read("/proc/self/exe", record), FileVersion::Status::Ok);
    EXPECT_EQ(record.fileVersionMS, (1u << 16) | 0u);
    EXPECT_EQ(record.fileVersionLS, (10u << 16) | 0u);
}

TEST(FileVersion, FilesWithoutTheRecord) {
    TempHome home;
    FileVersion::Record record{};
    // An ELF file without our section, a text file, a missing file, an empty file.
    EXPECT_EQ(FileVersion::Read("/bin/sh", record), FileVersion::Status::NoVersion);
    testing_support::WriteFile(home.Root() + "/text", "not an executable");
    EXPECT_EQ(FileVersion::Read(home.Root() + "/text", record), FileVersion::Status::NoVersion);
    EXPECT_EQ(FileVersion::Read(home.Root() + "/missing", record), FileVersion::Status::NoVersion);
    testing_support::WriteFile(home.Root() + "/empty", "");
    EXPECT_EQ(FileVersion::Read(home.Root() + "/empty", record), FileVersion::Status::NoVersion);
}

// A copy of this program with its version record's signature broken, or cut short.
TEST(FileVersion, DamagedCopies) {
    TempHome home;
    std::string bytes = testing_support::ReadFile("/proc/self/exe");
    // The whole record as the file holds it. Debug information may hold a copy of it too, so
    // every copy is broken.
    FileVersion::Record own{};
    ASSERT_EQ(FileVersion::Read("/proc/self/exe", own), FileVersion::Status::Ok);
    const std::string record(reinterpret_cast<const char*>(&own), sizeof own);
    const std::size_t at = bytes.find(record);
    ASSERT_NE(at, std::string::npos);
    std::string broken = bytes;
    for (std::size_t copy = at; copy != std::string::npos; copy = broken.find(record, copy)) {
        broken[copy] = 'X';
    }
    testing_support::WriteFile(home.Root() + "/broken", broken);
    FileVersion::Record readBack{};
    EXPECT_EQ(FileVersion::Read(home.Root() + "/broken", readBack), FileVersion::Status::Malformed);

    // Cut short inside the record: the section table at the file's end goes with the tail;
    // the reader must neither find a version nor read past the end.
    testing_support::WriteFile(home.Root() + "/short", bytes.substr(0, at + 4));
    EXPECT_NE(FileVersion::Read(home.Root() + "/short", readBack), FileVersion::Status::Ok);
}

TEST(SystemPaths, XdgFoldersFollowTheEnvironment) {
    TempHome home;
    EXPECT_EQ(SystemPaths::DataHome(), home.DataHome());
    EXPECT_EQ(SystemPaths::ConfigHome(), home.ConfigHome());
    EXPECT_EQ(SystemPaths::RuntimeDir(), home.RuntimeDir());
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SystemPaths::DataHome(), home.Root() + "/.local/share");
    EXPECT_EQ(SystemPaths::ConfigHome(), home.Root() + "/.config");
    setenv("XDG_CONFIG_HOME", "not/absolute", 1);
    EXPECT_EQ(SystemPaths::ConfigHome(), home.Root() + "/.config");
}

TEST(SystemPaths, MakeDirectoriesMakesParentsAndReportsFailure) {
    TempHome home;
    EXPECT_TRUE(SystemPaths::MakeDirectories(home.Root() + "/a/b/c/", 0755));
    EXPECT_TRUE(SystemPaths::IsDirectory(home.Root() + "/a/b/c"));
    testing_support::WriteFile(home.Root() + "/file", "");
    EXPECT_FALSE(SystemPaths::MakeDirectories(home.Root() + "/file/sub", 0755));
}

TEST(TerminationSignals, SignalArrivesAsACallOnThisThread) {
    std::vector<int> received;
    TerminationSignals watcher([&](int signal) { received.push_back(signal); });
    ASSERT_TRUE(watcher.IsInstalled());
    std::raise(SIGTERM);
    std::raise(SIGINT);
    EXPECT_TRUE(WaitFor([&] { return received.size() == 2; }));
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT}));
}

}  // namespace
