// The DevTools client against a browser host of the test's own (a local socket speaking the
// pipe's NUL-framed messages), and the automation browser's set-up that needs no browser.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTcpServer>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/net/AutomationBrowser.h"
#include "platform/net/DevToolsConnection.h"
#include "platform/net/DevToolsFrames.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::TempHome;
using testing_support::WriteFile;

// Answers commands the way the test tells it to; keeps what it received.
class FakeBrowser : public QObject {
public:
    FakeBrowser() : path_(home_.RuntimeDir() + "/fake.socket") {
        server_.listen(QString::fromStdString(path_));
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            // The server hands its connections over: this one lives as long as the browser.
            client_.reset(server_.nextPendingConnection());
            connect(client_.get(), &QLocalSocket::readyRead, this, [this] {
                const QByteArray bytes = client_->readAll();
                frames_.Append(bytes.constData(), bytes.size());
                while (auto message = frames_.Next()) {
                    received.push_back(QJsonDocument::fromJson(*message).object());
                }
            });
        });
    }
    QString Path() const { return QString::fromStdString(path_); }
    void SendJson(const QJsonObject& message) {
        SendRaw(QJsonDocument(message).toJson(QJsonDocument::Compact));
    }
    void SendRaw(const QByteArray& bytes) { Write(DevToolsFrames::Frame(bytes)); }
    void Write(const QByteArray& bytes) { client_->write(bytes); }
    void Drop() { client_->close(); }

    std::vector<QJsonObject> received;

private:
    TempHome home_;
    std::string path_;
    DevToolsFrames frames_{1 << 20};
    QLocalServer server_;
    std::unique_ptr<QLocalSocket> client_;
};

TEST(DevToolsConnection, MatchesRepliesToCommandsAndPassesEventsOn) {
    FakeBrowser browser;
    DevToolsConnection connection;
    ASSERT_TRUE(connection.Open(browser.Path(), 5000));

    std::vector<std::string> answers;
    auto record = [&answers](const char* what) {
        return [&answers, what](const DevToolsReply& reply) {
            answers.push_back(std::string(what) + ":" + (reply.ok ? "ok " : "error ") +
                              reply.result.value("value").toString().toStdString() +
                              reply.error.toStdString());
        };
    };
    const qint64 first = connection.Send("Page.enable", {}, "S1", nullptr, record("first"));
    const qint64 second =
        connection.Send("Runtime.evaluate", {{"expression", "1"}}, {}, nullptr, record("second"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser.received.size() == 2; }, 5000));
    EXPECT_NE(first, second);
    EXPECT_EQ(browser.received[0].value("sessionId").toString(), "S1");
    EXPECT_FALSE(browser.received[1].contains("sessionId"));
    EXPECT_EQ(browser.received[1].value("params").toObject().value("expression").toString(), "1");

    std::vector<std::string> events;
    QObject::connect(&connection, &DevToolsConnection::eventReceived,
                     [&](const QString& method, const QJsonObject&, const QString& session) {
                         events.push_back(method.toStdString() + "@" + session.toStdString());
                     });
    // Out of order, an error, noise and an event; the first two in one write.
    browser.Write(
        QJsonDocument(QJsonObject{{"id", second}, {"result", QJsonObject{{"value", "two"}}}})
            .toJson(QJsonDocument::Compact) +
        '\0' + "not json at all" + '\0');
    browser.SendJson({{"id", 9999}, {"result", QJsonObject{}}});
    browser.SendJson(
        {{"method", "Page.frameStoppedLoading"}, {"sessionId", "S1"}, {"params", QJsonObject{}}});
    browser.SendJson({{"id", first}, {"error", QJsonObject{{"message", "No such session"}}}});
    ASSERT_TRUE(connection.WaitForReplies(5000));
    EXPECT_EQ(answers, (std::vector<std::string>{"second:ok two", "first:error No such session"}));
    EXPECT_EQ(events, std::vector<std::string>{"Page.frameStoppedLoading@S1"});
}

TEST(DevToolsConnection, ClosingAnswersWhatIsOutstandingAndSkipsGoneListeners) {
    FakeBrowser browser;
    DevToolsConnection connection;
    ASSERT_TRUE(connection.Open(browser.Path(), 5000));
    bool closed = false;
    QObject::connect(&connection, &DevToolsConnection::closed, [&] { closed = true; });

    std::string answer;
    connection.Send("Target.createTarget", {}, {}, nullptr,
                    [&](const DevToolsReply& reply) { answer = reply.error.toStdString(); });
    bool goneListenerCalled = false;
    auto listener = std::make_unique<QObject>();
    connection.Send("Target.attachToTarget", {}, {}, listener.get(),
                    [&](const DevToolsReply&) { goneListenerCalled = true; });
    listener.reset();

    ASSERT_TRUE(QTest::qWaitFor([&] { return browser.received.size() == 2; }, 5000));
    browser.Drop();
    EXPECT_TRUE(connection.WaitUntil([&] { return closed; }, 5000));
    EXPECT_EQ(answer, "connection closed");
    EXPECT_FALSE(goneListenerCalled);
    EXPECT_FALSE(connection.IsOpen());

    DevToolsReply late = connection.Call("Browser.getVersion");
    EXPECT_FALSE(late.ok);
}

TEST(DevToolsConnection, CallGivesUpAtItsDeadline) {
    FakeBrowser browser;
    DevToolsConnection connection;
    ASSERT_TRUE(connection.Open(browser.Path(), 5000));
    DevToolsReply reply = connection.Call("Browser.getVersion", {}, {}, 100);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, "no reply to Browser.getVersion");

    DevToolsConnection nowhere;
    EXPECT_FALSE(nowhere.Open(browser.Path() + ".missing", 2000));
}

TEST(DevToolsConnection, MessageOverTheCapClosesTheConnection) {
    FakeBrowser browser;
    DevToolsConnection connection;
    ASSERT_TRUE(connection.Open(browser.Path(), 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return connection.Send("Browser.getVersion") != 0; }, 5000));
    browser.Write(QByteArray(DevToolsConnection::kMaxMessageSize + 1, ' '));
    EXPECT_TRUE(connection.WaitUntil([&] { return !connection.IsOpen(); }, 10000));
}

// Messages come out whole however the bytes are cut, and one over the cap is dropped whole
// without taking its neighbours along.
TEST(DevToolsFrames, CutsMessagesAtTheirEndsAndDropsOverlongOnesWhole) {
    struct Case {
        const char* name;
        std::vector<QByteArray> chunks;
        std::vector<QByteArray> messages;
        bool overflow;
    };
    using namespace std::string_literals;
    const QByteArray nul(1, '\0');
    const std::vector<Case> cases = {
        {"two in one", {"ab" + nul + "cd" + nul}, {"ab", "cd"}, false},
        {"one in three", {"a", "b", "c" + nul}, {"abc"}, false},
        {"end in the next chunk", {"ab", nul + "c" + nul}, {"ab", "c"}, false},
        {"empty ones", {nul + nul}, {"", ""}, false},
        {"at the cap", {"12345678" + nul}, {"12345678"}, false},
        {"over the cap in one chunk",
         {"x" + nul + "123456789" + nul + "y" + nul},
         {"x", "y"},
         true},
        {"over the cap before its end", {"1234", "56789", "0000", nul + "y" + nul}, {"y"}, true},
        {"over the cap, its end with the next", {"123456789", "0" + nul + "y" + nul}, {"y"}, true},
        {"unended", {"abc"}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DevToolsFrames frames(8);
        std::vector<QByteArray> got;
        for (const QByteArray& chunk : c.chunks) {
            frames.Append(chunk.constData(), chunk.size());
            while (auto message = frames.Next()) {
                got.push_back(*message);
            }
        }
        EXPECT_EQ(got, c.messages);
        EXPECT_EQ(frames.TakeOverflow(), c.overflow);
        EXPECT_FALSE(frames.TakeOverflow());
        EXPECT_LE(frames.Pending(), 8 + 5);
    }
}

// A port file of an earlier browser is what another user could squat: nothing reads it, and
// without a browser to start nothing is reached.
TEST(AutomationBrowser, ProfileFolderIsPrivateAndAStalePortIsNeverTried) {
    TempHome home;
    const std::string path = std::getenv("PATH");
    setenv("PATH", (home.Root() + "/empty").c_str(), 1);
    const std::string folder = home.DataHome() + "/Tivora/browser";
    std::filesystem::create_directories(folder);
    chmod(folder.c_str(), 0755);
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::LocalHost, 0));
    WriteFile(folder + "/DevToolsActivePort",
              std::to_string(squatter.serverPort()) +
                  "\n/devtools/browser/0b0b8f53-3c60-4a3c-9a43-52e2c4f4b5a1\n");

    DevToolsConnection connection;
    pid_t started = 123;
    AutomationBrowser::Options options;
    options.profileDir = folder;
    options.hostProgram = "/bin/true";
    EXPECT_FALSE(AutomationBrowser::Connect(connection, options, &started));
    setenv("PATH", path.c_str(), 1);

    EXPECT_EQ(started, 0);
    EXPECT_EQ(testing_support::ModeOf(folder), 0700);
    QCoreApplication::processEvents();
    EXPECT_FALSE(squatter.hasPendingConnections());
}

TEST(AutomationBrowser, BrowserHasAPipeAndNoPortAndTheSandboxUnlessRoot) {
    AutomationBrowser::Options options;
    options.profileDir = "/home/u/.local/share/Tivora/browser";
    options.extraArguments = {"--headless=new"};
    auto arguments = AutomationBrowser::StartArguments(options);
    auto has = [&](const std::string& argument) {
        return std::find(arguments.begin(), arguments.end(), argument) != arguments.end();
    };
    EXPECT_EQ(arguments.front(), "--headless=new");
    EXPECT_TRUE(has("--remote-debugging-pipe"));
    EXPECT_EQ(std::count_if(
                  arguments.begin(), arguments.end(),
                  [](const std::string& a) { return a.starts_with("--remote-debugging-port"); }),
              0);
    EXPECT_TRUE(has("--user-data-dir=/home/u/.local/share/Tivora/browser"));
    EXPECT_EQ(has("--no-sandbox"), geteuid() == 0);

    // The host gets its socket, then the browser's own command line whole.
    auto host = AutomationBrowser::HostArguments(options, "/run/s", "/usr/bin/chromium");
    std::vector<std::string> expected{"--socket", "/run/s", "--", "/usr/bin/chromium"};
    expected.insert(expected.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(host, expected);
}

// One socket per profile, in the user's runtime folder, and none that a socket cannot have.
TEST(AutomationBrowser, SocketIsThePrivateOneOfItsProfile) {
    TempHome home;
    const auto first = AutomationBrowser::SocketPath(home.DataHome() + "/Tivora/browser");
    const auto again = AutomationBrowser::SocketPath(home.DataHome() + "/Tivora/browser");
    const auto other = AutomationBrowser::SocketPath(home.DataHome() + "/Other/browser");
    ASSERT_TRUE(first && other);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    EXPECT_EQ(std::filesystem::path(*first).parent_path(), home.RuntimeDir());

    setenv("XDG_RUNTIME_DIR", (home.Root() + "/" + std::string(100, 'r')).c_str(), 1);
    std::filesystem::create_directory(getenv("XDG_RUNTIME_DIR"));
    chmod(getenv("XDG_RUNTIME_DIR"), 0700);
    std::string why;
    EXPECT_FALSE(AutomationBrowser::SocketPath(home.DataHome() + "/Tivora/browser", &why));
    EXPECT_NE(why.find("too long"), std::string::npos) << why;
}

}  // namespace
