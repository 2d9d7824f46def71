#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QPainter>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <vector>

#include "platform/desktop/WindowHints.h"
#include "platform/os/FileVersion.h"
#include "platform/os/ImageFormat.h"
#include "platform/os/ImageList.h"
#include "platform/os/Picture.h"
#include "platform/os/ProcessObjects.h"
#include "platform/os/SingleInstance.h"
#include "platform/os/SystemPaths.h"
#include "platform/os/UnixSignals.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::TempHome;
using testing_support::WaitFor;

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

// Sets an environment variable for the life of the object.
using testing_support::ScopedEnv;

TEST(NamedMutex, LivesInTheRuntimeDirectoryOrInAPrivateFolderUnderTmp) {
    TempHome home;
    EXPECT_EQ(NamedMutex::PathFor("m"), home.RuntimeDir() + "/m.lock");
    unsetenv("XDG_RUNTIME_DIR");
    {
        ScopedEnv relative("TMPDIR", "relative/tmp");  // ignored, as a relative XDG path is
        EXPECT_EQ(NamedMutex::PathFor("m"), "/tmp/tivora-" + std::to_string(geteuid()) + "/m.lock");
    }
    ScopedEnv tmp("TMPDIR", home.Root());
    const std::string folder = home.Root() + "/tivora-" + std::to_string(geteuid());
    NamedMutex marker;
    ASSERT_EQ(marker.Create("m"), NamedMutex::Result::Created);
    EXPECT_EQ(NamedMutex::PathFor("m"), folder + "/m.lock");
    EXPECT_EQ(InstanceChannel::PathFor("m"), folder + "/m.socket");
    EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all);
}

// Anyone can make names under /tmp: whatever is not a private folder of this user there is
// passed over for one in the cache home, so that nobody can hold the lock for us or make us
// share it, and the program never runs unguarded for it.
TEST(NamedMutex, FolderIsTheFirstPrivateOneOfRuntimeTmpAndCache) {
    using std::filesystem::perms;
    enum Chosen { kRuntime, kTmp, kCache, kNone };
    struct Case {
        const char* name;
        std::function<void(const std::string& root, const std::string& tmpEntry)> make;
        Chosen chosen;
        const char* failure;  // why the lock cannot be had there; nullptr when it can
    };
    auto privateFolder = [](const std::string& path) {
        std::filesystem::create_directories(path);
        std::filesystem::permissions(path, perms::owner_all);
    };
    std::vector<Case> cases = {
        {"runtime folder",
         [&](const std::string& r, const std::string&) {
             privateFolder(r + "/run");
             setenv("XDG_RUNTIME_DIR", (r + "/run").c_str(), 1);
         },
         kRuntime, nullptr},
        {"runtime folder missing",
         [](const std::string& r, const std::string&) {
             setenv("XDG_RUNTIME_DIR", (r + "/run").c_str(), 1);
         },
         kTmp, nullptr},
        {"runtime folder open to others",
         [](const std::string& r, const std::string&) {
             std::filesystem::create_directory(r + "/run");
             std::filesystem::permissions(r + "/run", perms::all);
             setenv("XDG_RUNTIME_DIR", (r + "/run").c_str(), 1);
         },
         kTmp, nullptr},
        {"no runtime folder", [](const std::string&, const std::string&) {}, kTmp, nullptr},
        {"tmp folder open to others",
         [](const std::string&, const std::string& t) {
             std::filesystem::create_directory(t);
             std::filesystem::permissions(t, perms::all);
         },
         kCache, nullptr},
        {"tmp entry a link to a private folder",
         [&](const std::string& r, const std::string& t) {
             privateFolder(r + "/elsewhere");
             std::filesystem::create_symlink(r + "/elsewhere", t);
         },
         kCache, nullptr},
        {"tmp entry a file",
         [](const std::string&, const std::string& t) { testing_support::WriteFile(t, ""); },
         kCache, nullptr},
        {"tmp entry a FIFO",
         [](const std::string&, const std::string& t) { ASSERT_EQ(mkfifo(t.c_str(), 0600), 0); },
         kCache, nullptr},
        {"lock file a link",
         [&](const std::string& r, const std::string& t) {
             privateFolder(t);
             testing_support::WriteFile(r + "/elsewhere", "");
             std::filesystem::create_symlink(r + "/elsewhere", t + "/m.lock");
         },
         kTmp, "cannot open"},
        {"tmp entry a file and no cache home",
         [](const std::string& r, const std::string& t) {
             testing_support::WriteFile(t, "");
             testing_support::WriteFile(r + "/cache", "");
         },
         kNone, "is not a folder"},
    };
    if (geteuid() == 0) {  // only root can give a folder away
        cases.push_back({"tmp folder another user's",
                         [&](const std::string&, const std::string& t) {
                             privateFolder(t);
                             ASSERT_EQ(chown(t.c_str(), 65534, 65534), 0);
                         },
                         kCache, nullptr});
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        unsetenv("XDG_RUNTIME_DIR");
        ScopedEnv tmp("TMPDIR", home.Root());
        const std::string tmpEntry = home.Root() + "/tivora-" + std::to_string(geteuid());
        c.make(home.Root(), tmpEntry);
        const std::string expected[] = {home.Root() + "/run", tmpEntry,
                                        home.Root() + "/cache/tivora/runtime", ""};
        EXPECT_EQ(SystemPaths::UserRuntimeFolder().value_or(""), expected[c.chosen]);

        NamedMutex first;
        NamedMutex second;
        if (c.failure == nullptr) {
            EXPECT_EQ(SystemPaths::PrivateFolderProblem(expected[c.chosen]), "");
            EXPECT_EQ(NamedMutex::PathFor("m"), expected[c.chosen] + "/m.lock");
            EXPECT_EQ(first.Create("m"), NamedMutex::Result::Created) << first.Error();
            EXPECT_EQ(second.Create("m"), NamedMutex::Result::AlreadyExists);
        } else {
            EXPECT_EQ(first.Create("m"), NamedMutex::Result::Failed);
            EXPECT_FALSE(first.IsHeld());
            EXPECT_NE(first.Error().find(c.failure), std::string::npos) << first.Error();
        }
    }
}

TEST(InstanceChannel, RequestReachesTheListenerOnlyAsAWholeLine) {
    TempHome home;
    InstanceChannel channel;
    int requests = 0;
    ASSERT_TRUE(channel.Listen("chan", [&](const std::string&) { ++requests; }));
    EXPECT_TRUE(InstanceChannel::AskToComeForward("chan"));
    EXPECT_TRUE(WaitFor([&] { return requests == 1; }));
    EXPECT_FALSE(InstanceChannel::AskToComeForward("nobody-listens", {}, 200));
}

// The startup token crosses over as it was given; what a stranger sends over the socket never
// reaches the handler, and a caller that floods or stalls holds nobody up.
TEST(InstanceChannel, TokenReachesTheListenerAndGarbageIsDroppedWithoutBlocking) {
    TempHome home;
    InstanceChannel channel;
    std::vector<std::string> tokens;
    ASSERT_TRUE(channel.Listen("chan", [&](const std::string& token) { tokens.push_back(token); }));

    std::mt19937 random(13);
    QByteArray binary(1 << 20, '\0');
    for (char& byte : binary) {
        byte = static_cast<char>(random());
    }
    // A request hidden at the end of an over-long line is still part of that line.
    const QByteArray longLine = QByteArray(63 * 80, 'x') + "come-forward\n";
    const QByteArray stalled = "come-forward partial";  // no line end, sender stays
    const QByteArray controlInToken = "come-forward a\tb\n";
    std::vector<std::unique_ptr<QLocalSocket>> strangers;
    for (const QByteArray& bytes : {binary, longLine, stalled, controlInToken}) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(QString::fromStdString(InstanceChannel::PathFor("chan")));
        ASSERT_TRUE(socket->waitForConnected(1000));
        socket->write(bytes);
        strangers.push_back(std::move(socket));
    }

    const std::string token = "host-4711-tivora_TIME123456";
    EXPECT_TRUE(InstanceChannel::AskToComeForward("chan", token));
    // One printable character too many is not a token: the request comes without it.
    EXPECT_TRUE(InstanceChannel::AskToComeForward(
        "chan", std::string(InstanceChannel::kMaxTokenLength + 1, 'a')));
    ASSERT_TRUE(WaitFor([&] { return tokens.size() == 2; }));
    std::sort(tokens.begin(), tokens.end());
    EXPECT_EQ(tokens, (std::vector<std::string>{"", token}));
    // The strangers with a whole line or a flood are cut off; the one that stalls is not
    // waited for.
    EXPECT_TRUE(WaitFor([&] {
        return strangers[0]->state() == QLocalSocket::UnconnectedState &&
               strangers[1]->state() == QLocalSocket::UnconnectedState &&
               strangers[3]->state() == QLocalSocket::UnconnectedState;
    }));
    EXPECT_EQ(tokens.size(), 2u);
}

// Run as root, which no file permission stops: the caller is a child process that became
// another user. The socket's mode keeps it out; with the socket opened up, the check of the
// caller's user still turns it away unread.
TEST(InstanceChannel, AnotherUsersCallerIsTurnedAway) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to play another user";
    }
    TempHome home;
    InstanceChannel channel;
    int requests = 0;
    ASSERT_TRUE(channel.Listen("chan", [&](const std::string&) { ++requests; }));
    const std::string path = InstanceChannel::PathFor("chan");
    EXPECT_EQ(testing_support::ModeOf(path), 0600);
    chmod(home.Root().c_str(), 0711);
    chmod(home.RuntimeDir().c_str(), 0711);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    enum Outcome { kRefusedAtConnect = 1, kClosedUnread = 2 };
    for (auto [socketMode, expected] :
         {std::pair{0600, kRefusedAtConnect}, std::pair{0666, kClosedUnread}}) {
        SCOPED_TRACE(socketMode);
        chmod(path.c_str(), static_cast<mode_t>(socketMode));
        const pid_t caller = fork();
        if (caller == 0) {  // only async-signal-safe calls from here
            if (setgid(65534) != 0 || setuid(65534) != 0) {
                _exit(10);
            }
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
                _exit(kRefusedAtConnect);
            }
            static const char kLine[] = "come-forward\n";
            char byte = 0;
            _exit(write(fd, kLine, sizeof kLine - 1) > 0 && read(fd, &byte, 1) <= 0 ? kClosedUnread
                                                                                    : 11);
        }
        ASSERT_GT(caller, 0);
        int status = -1;
        EXPECT_TRUE(WaitFor([&] { return waitpid(caller, &status, WNOHANG) == caller; }));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == expected) << status;
    }
    // The channel was listening all along: this user's request arrives.
    EXPECT_EQ(requests, 0);
    chmod(home.RuntimeDir().c_str(), 0700);  // else it is no runtime folder
    EXPECT_TRUE(InstanceChannel::AskToComeForward("chan"));
    EXPECT_TRUE(WaitFor([&] { return requests == 1; }));
}

TEST(InstanceChannel, StaleSocketFileDoesNotBlockListening) {
    TempHome home;
    std::ofstream(InstanceChannel::PathFor("chan")) << "left over";
    InstanceChannel channel;
    EXPECT_TRUE(channel.Listen("chan", [](const std::string&) {}));
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
    EXPECT_EQ(SystemPaths::UserRuntimeFolder(), home.RuntimeDir());
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
    std::raise(SIGHUP);
    EXPECT_TRUE(WaitFor([&] { return received.size() == 3; }));
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
}

// The image plug-ins this process has loaded, by file.
std::set<std::string> LoadedImagePlugins() {
    std::ifstream maps("/proc/self/maps");
    std::set<std::string> plugins;
    for (std::string line; std::getline(maps, line);) {
        if (const auto at = line.find("/imageformats/"); at != std::string::npos) {
            plugins.insert(line.substr(line.rfind('/') + 1));
        }
    }
    return plugins;
}

TEST(Picture, QtLoadsOnlyThePlugInThePicturesFormatNeeds) {
    // Made by hand: Qt's writers load every plug-in themselves.
    const QByteArray png(
        "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00"
        "\x00\x02"
        "\x08\x02\x00\x00\x00\xfd\xd4\x9a\x73\x00\x00\x00\x09\x70\x48\x59\x73\x00\x00\x0f\x61\x00"
        "\x00\x0f"
        "\x61\x01\xa8\x3f\xa7\x69\x00\x00\x00\x16\x49\x44\x41\x54\x08\x99\x63\x64\x68\x68\x60\x60"
        "\x60\x60"
        "\x62\x60\x60\x60\x60\x60\x00\x00\x0b\xaa\x01\x04\x81\x38\x6f\xfe\x00\x00\x00\x00\x49\x45"
        "\x4e\x44"
        "\xae\x42\x60\x82",
        100);
    const QByteArray gif(
        "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
        "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
        43);
    TempHome home;
    const QString pngFile = QString::fromStdString(home.Root() + "/p.png");
    testing_support::WriteFile(pngFile.toStdString(), png.toStdString());
    struct Case {
        std::function<QImage()> decode;
        QSize size;
        std::set<std::string> mayLoad;  // PNG is Qt's own
    };
    const Case cases[] = {
        {[&] { return Picture::Decode(png); }, QSize(2, 2), {}},
        {[&] { return ImageFormat::Read(pngFile); }, QSize(2, 2), {}},
        {[&] { return Picture::Decode(gif); }, QSize(1, 1), {"libqgif.so"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        const std::set<std::string> before = LoadedImagePlugins();
        EXPECT_EQ(c.decode().size(), c.size);
        for (const std::string& plugin : LoadedImagePlugins()) {
            EXPECT_TRUE(before.count(plugin) != 0 || c.mayLoad.count(plugin) != 0) << plugin;
        }
    }
}

TEST(ImageList, KeyColourTurnsTransparentAndWideImagesAreCut) {
    ImageList list(21, 21);
    QImage strip(63, 21, QImage::Format_RGB32);
    strip.fill(QColor(0, 255, 0));
    strip.setPixelColor(0, 0, QColor(10, 20, 30));
    strip.setPixelColor(21, 0, QColor(40, 50, 60));
    strip.setPixelColor(62, 20, QColor(70, 80, 90));
    EXPECT_EQ(list.AddMasked(strip, qRgb(0, 255, 0)), 0);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Image(0).pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(qAlpha(list.Image(0).pixel(5, 5)), 0);
    EXPECT_EQ(list.Image(1).pixel(0, 0), qRgb(40, 50, 60));
    EXPECT_EQ(list.Image(2).pixel(20, 20), qRgb(70, 80, 90));
    // The next image's index follows.
    QImage one(21, 21, QImage::Format_RGB32);
    one.fill(Qt::red);
    EXPECT_EQ(list.AddMasked(one, qRgb(0, 255, 0)), 3);
    EXPECT_EQ(list.Image(3).pixel(10, 10), qRgb(255, 0, 0));
}

TEST(ImageList, RefusesWhatItCannotHold) {
    ImageList list(21, 21);
    EXPECT_EQ(list.AddMasked(QImage(), qRgb(0, 255, 0)), -1);
    QImage small(20, 21, QImage::Format_RGB32);
    small.fill(Qt::blue);
    EXPECT_EQ(list.AddMasked(small, qRgb(0, 255, 0)), -1);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.Image(0).isNull());
    EXPECT_TRUE(list.Image(-1).isNull());
}

TEST(ImageList, DrawLeavesKeyPixelsShowingTheBackground) {
    ImageList list(2, 1);
    QImage source(2, 1, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(0, 255, 0));
    source.setPixel(1, 0, qRgb(200, 0, 0));
    list.AddMasked(source, qRgb(0, 255, 0));
    QImage target(4, 1, QImage::Format_RGB32);
    target.fill(qRgb(1, 2, 3));
    QPainter painter(&target);
    list.Draw(painter, 0, 1, 0);
    list.Draw(painter, 7, 0, 0);  // out of range: nothing
    painter.end();
    EXPECT_EQ(target.pixel(1, 0), qRgb(1, 2, 3));
    EXPECT_EQ(target.pixel(2, 0), qRgb(200, 0, 0));
    EXPECT_EQ(target.pixel(0, 0), qRgb(1, 2, 3));
}

}  // namespace
