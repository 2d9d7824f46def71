// The DevTools client against a WebSocket server of the test's own, and the automation
// browser's set-up that needs no browser.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QWebSocket>
#include <QWebSocketServer>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/net/AutomationBrowser.h"
#include "platform/net/DevToolsConnection.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::TempHome;
using testing_support::WriteFile;

// Answers commands the way the test tells it to; keeps what it received.
class FakeBrowser : public QObject {
public:
    FakeBrowser() : server_("fake", QWebSocketServer::NonSecureMode) {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QWebSocketServer::newConnection, this, [this] {
            // The server hands its connections over: this one lives as long as the browser.
            client_.reset(server_.nextPendingConnection());
            connect(client_.get(), &QWebSocket::textMessageReceived, this,
                    [this](const QString& text) {
                        received.push_back(QJsonDocument::fromJson(text.toUtf8()).object());
                    });
        });
    }
    QUrl Url() const {
        return QUrl(
            QStringLiteral("ws://127.0.0.1:%1/devtools/browser/x").arg(server_.serverPort()));
    }
    void SendJson(const QJsonObject& message) {
        client_->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson()));
    }
    void SendRaw(const QString& text) { client_->sendTextMessage(text); }
    void Drop() { client_->close(); }

    std::vector<QJsonObject> received;

private:
    QWebSocketServer server_;
    std::unique_ptr<QWebSocket> client_;
};

TEST(DevToolsConnection, MatchesRepliesToCommandsAndPassesEventsOn) {
    FakeBrowser browser;
    DevToolsConnection connection;
    ASSERT_TRUE(connection.Open(browser.Url(), 5000));

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
    // Out of order, an error, noise and an event.
    browser.SendJson({{"id", second}, {"result", QJsonObject{{"value", "two"}}}});
    browser.SendRaw("not json at all");
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
    ASSERT_TRUE(connection.Open(browser.Url(), 5000));
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
    ASSERT_TRUE(connection.Open(browser.Url(), 5000));
    DevToolsReply reply = connection.Call("Browser.getVersion", {}, {}, 100);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, "no reply to Browser.getVersion");

    DevToolsConnection nowhere;
    EXPECT_FALSE(nowhere.Open(QUrl("ws://127.0.0.1:1/devtools/browser/x"), 2000));
}

TEST(AutomationBrowser, ReadsOnlyAWellFormedAnnouncement) {
    TempHome home;
    const std::string folder = home.Root() + "/profile";
    std::filesystem::create_directories(folder);
    const std::string file = folder + "/DevToolsActivePort";
    EXPECT_EQ(AutomationBrowser::ReadEndpoint(folder), std::nullopt);

    WriteFile(file, "36711\n/devtools/browser/0b0b8f53-3c60-4a3c-9a43-52e2c4f4b5a1\n");
    auto endpoint = AutomationBrowser::ReadEndpoint(folder);
    ASSERT_TRUE(endpoint.has_value());
    EXPECT_EQ(endpoint->toString().toStdString(),
              "ws://127.0.0.1:36711/devtools/browser/0b0b8f53-3c60-4a3c-9a43-52e2c4f4b5a1");

    for (const char* broken :
         {"", "36711", "36711\n", "port\n/devtools/browser/0b0b8f53-3c60-4a3c-9a43-52e2c4f4b5a1\n",
          "0\n/devtools/browser/0b0b8f53-3c60-4a3c-9a43-52e2c4f4b5a1\n",
          "70000\n/devtools/browser/0b0b8f53-3c60-4a3c-9a43-52e2c4f4b5a1\n",
          "36711\n/devtools/page/0b0b8f53-3c60-4a3c-9a43-52e2c4f4b5a1\n",
          "36711\n/devtools/browser/0b0b8f53-3c60\n",  // written half-way
          "36711\n/devtools/browser/0b0b8f53-3c60-4a3c-9a43-52e2c4f4b5a1/../../x\n",
          "36711\n/devtools/browser/0b0b8f53?3c60-4a3c-9a43-52e2c4f4b5a1\n"}) {
        WriteFile(file, broken);
        EXPECT_EQ(AutomationBrowser::ReadEndpoint(folder), std::nullopt) << broken;
    }
}

TEST(AutomationBrowser, ProfileFolderIsPrivateEvenWithoutABrowser) {
    TempHome home;
    const std::string path = std::getenv("PATH");
    setenv("PATH", (home.Root() + "/empty").c_str(), 1);
    const std::string folder = home.DataHome() + "/Tivora/browser";
    std::filesystem::create_directories(folder);
    chmod(folder.c_str(), 0755);
    // A left-over announcement that nobody answers is dropped.
    WriteFile(folder + "/DevToolsActivePort",
              "1\n/devtools/browser/0b0b8f53-3c60-4a3c-9a43-52e2c4f4b5a1\n");

    DevToolsConnection connection;
    pid_t started = 123;
    AutomationBrowser::Options options;
    options.profileDir = folder;
    EXPECT_FALSE(AutomationBrowser::Connect(connection, options, &started));
    setenv("PATH", path.c_str(), 1);

    EXPECT_EQ(started, 0);
    EXPECT_EQ(testing_support::ModeOf(folder), 0700);
    EXPECT_FALSE(std::filesystem::exists(folder + "/DevToolsActivePort"));
}

TEST(AutomationBrowser, StartsOnItsProfileWithTheSandboxUnlessRoot) {
    AutomationBrowser::Options options;
    options.profileDir = "/home/u/.local/share/Tivora/browser";
    options.extraArguments = {"--headless=new"};
    auto arguments = AutomationBrowser::StartArguments(options);
    auto has = [&](const std::string& argument) {
        return std::find(arguments.begin(), arguments.end(), argument) != arguments.end();
    };
    EXPECT_EQ(arguments.front(), "--headless=new");
    EXPECT_TRUE(has("--remote-debugging-port=0"));
    EXPECT_TRUE(has("--user-data-dir=/home/u/.local/share/Tivora/browser"));
    EXPECT_EQ(has("--no-sandbox"), geteuid() == 0);
}

}  // namespace
