// The browser host as a process of its own, with a browser stand-in on its pipe
// (FakePipeBrowser.cpp) and the program's DevTools client or raw sockets as its clients.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QLocalSocket>
#include <QProcess>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "platform/net/BrowserHost.h"
#include "platform/net/DevToolsConnection.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::TempHome;
using testing_support::WaitFor;

// A host serving socketPath, started through runAs (a command that runs what follows it as
// another user) when given.
class Host {
public:
    explicit Host(std::string socketPath, const QStringList& runAs = {})
        : socket(std::move(socketPath)) {
        QStringList arguments = runAs;
        arguments << BROWSER_HOST << "--socket" << QString::fromStdString(socket) << "--"
                  << FAKE_PIPE_BROWSER;
        process.start(arguments.takeFirst(), arguments);
        process.waitForStarted(5000);
    }
    ~Host() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    bool Listening() {
        return WaitFor([&] { return std::filesystem::exists(socket); }, 5000);
    }
    // The host's child: the browser (0 when there is none).
    pid_t Browser() const {
        const auto pid = std::to_string(process.processId());
        std::ifstream children("/proc/" + pid + "/task/" + pid + "/children");
        pid_t child = 0;
        children >> child;
        return child;
    }
    // Waits with the event loop running, so that what the test's clients sent goes out.
    bool Ended() {
        return WaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000);
    }
    bool Ends(int expectedStatus) {
        return Ended() && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == expectedStatus;
    }

    std::string socket;
    QProcess process;
};

QString Tag(const DevToolsReply& reply) {
    return reply.ok ? reply.result.value("tag").toString() : "error " + reply.error;
}

// Events as "method@session", as a connection receives them.
std::vector<std::string>& Record(DevToolsConnection& connection, std::vector<std::string>& events) {
    QObject::connect(&connection, &DevToolsConnection::eventReceived,
                     [&events](const QString& method, const QJsonObject&, const QString& session) {
                         events.push_back((method + "@" + session).toStdString());
                     });
    return events;
}

std::vector<std::string> Received(DevToolsConnection& connection) {
    std::vector<std::string> messages;
    for (const auto& message :
         connection.Call("Fake.received").result.value("messages").toArray()) {
        messages.push_back(message.toString().toStdString());
    }
    return messages;
}

TEST(BrowserHost, ServesSeveralClientsEachWithItsOwnIdsAndSessions) {
    TempHome home;
    Host host(home.RuntimeDir() + "/b.socket");
    ASSERT_TRUE(host.Listening());
    EXPECT_EQ(testing_support::ModeOf(host.socket), 0600);
    DevToolsConnection a;
    DevToolsConnection b;
    ASSERT_TRUE(a.Open(QString::fromStdString(host.socket), 5000));
    ASSERT_TRUE(b.Open(QString::fromStdString(host.socket), 5000));
    std::vector<std::string> eventsA;
    std::vector<std::string> eventsB;
    Record(a, eventsA);
    Record(b, eventsB);

    // Both count their ids from 1: each gets its own answers all the same.
    a.Send("Page.enable", {{"tag", "a1"}});
    EXPECT_EQ(Tag(b.Call("Page.enable", {{"tag", "b1"}})), "b1");
    EXPECT_EQ(Tag(a.Call("Page.enable", {{"tag", "a2"}})), "a2");

    // A session belongs to whoever attached it, and its children with it.
    const QString session =
        a.Call("Target.attachToTarget", {{"targetId", "T1"}}).result.value("sessionId").toString();
    ASSERT_EQ(session, "S1");
    const QString child = a.Call("Target.attachToTarget", {{"targetId", "T2"}}, session)
                              .result.value("sessionId")
                              .toString();
    EXPECT_EQ(b.Call("Runtime.enable", {}, session).error, "Session with given id not found.");
    EXPECT_EQ(b.Call("Target.detachFromTarget", {{"sessionId", session}}).error,
              "Session with given id not found.");
    a.Call("Fake.emit",
           {{"event", QJsonObject{{"method", "Page.loadEventFired"}, {"sessionId", child}}}});
    b.Call("Fake.emit", {{"event", QJsonObject{{"method", "Target.targetCreated"}}}});
    const std::vector<std::string> expectedA{"Target.attachedToTarget@",
                                             "Target.attachedToTarget@S1", "Page.loadEventFired@S2",
                                             "Target.targetCreated@"};
    EXPECT_TRUE(WaitFor([&] { return eventsA == expectedA; }, 5000)) << eventsA.size();
    EXPECT_EQ(eventsB, std::vector<std::string>{"Target.targetCreated@"});

    // A goes: its sessions are let run and detached, the child first; B goes on.
    const std::size_t before = Received(b).size();
    a.Close();
    const std::vector<std::string> cleanUp{
        "Runtime.runIfWaitingForDebugger@S2", "Target.detachFromTarget@S1",
        "Runtime.runIfWaitingForDebugger@S1", "Target.detachFromTarget@"};
    std::vector<std::string> after;
    EXPECT_TRUE(WaitFor(
        [&] {
            // What came since the first look, without the looks themselves.
            after = Received(b);
            after.erase(after.begin(), after.begin() + static_cast<std::ptrdiff_t>(before));
            std::erase(after, "Fake.received@");
            return after.size() >= cleanUp.size();
        },
        5000));
    EXPECT_EQ(after, cleanUp);
    // The browser's status is the host's.
    b.Send("Fake.exit", {{"code", 7}});
    EXPECT_TRUE(host.Ends(7));
    EXPECT_FALSE(std::filesystem::exists(host.socket));
}

// Each of these closes the client that sent it and nothing else: the browser never sees it (it
// would end with status 3) and another client is served on.
TEST(BrowserHost, GarbageAndFloodsAreRefusedWithoutHarm) {
    TempHome home;
    Host host(home.RuntimeDir() + "/b.socket");
    ASSERT_TRUE(host.Listening());
    DevToolsConnection good;
    ASSERT_TRUE(good.Open(QString::fromStdString(host.socket), 5000));

    const std::string tooLong(BrowserHost::kMaxClientMessage + 1, ' ');
    const std::vector<std::string> garbage = {
        "not json",
        "[1]",
        R"({"method":"Page.enable"})",
        R"({"id":-1,"method":"Page.enable"})",
        R"({"id":1.5,"method":"Page.enable"})",
        R"({"id":"1","method":"Page.enable"})",
        R"({"id":1})",
        R"({"id":1,"method":""})",
        R"({"id":1,"method":"Page.enable","params":[]})",
        R"({"id":1,"method":"Page.enable","sessionId":5})",
        "{\"id\":1,\"method\":\"Page.enable\"" + tooLong,  // never ended
        R"({"id":1,"method":"Page.enable"} {"id":2})",
    };
    for (const std::string& bytes : garbage) {
        SCOPED_TRACE(bytes.substr(0, 60));
        QLocalSocket sender;
        sender.connectToServer(QString::fromStdString(host.socket));
        ASSERT_TRUE(sender.waitForConnected(5000));
        sender.write(bytes.data(), static_cast<qint64>(bytes.size()));
        sender.write(QByteArray(1, '\0'));
        EXPECT_TRUE(
            WaitFor([&] { return sender.state() == QLocalSocket::UnconnectedState; }, 10000));
        EXPECT_EQ(Tag(good.Call("Page.enable", {{"tag", "still"}})), "still");
    }

    // A client that sends without end and never reads is held back, not served at the others'
    // cost.
    QLocalSocket flood;
    flood.connectToServer(QString::fromStdString(host.socket));
    ASSERT_TRUE(flood.waitForConnected(5000));
    QByteArray many;
    for (int i = 1; i <= 100000; ++i) {
        many += QStringLiteral(R"({"id":%1,"method":"Page.enable"})").arg(i).toUtf8() + '\0';
    }
    flood.write(many);
    flood.flush();
    EXPECT_EQ(Tag(good.Call("Page.enable", {{"tag", "served"}})), "served");

    // More clients than it serves: the ones over the limit are closed at once.
    std::vector<std::unique_ptr<QLocalSocket>> crowd(3 * BrowserHost::kMaxClients);
    for (auto& socket : crowd) {
        socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(QString::fromStdString(host.socket));
    }
    auto closed = [&] {
        return std::count_if(crowd.begin(), crowd.end(), [](const auto& socket) {
            return socket->state() == QLocalSocket::UnconnectedState;
        });
    };
    // Served: good, flood and the rest of the limit from the crowd.
    const auto overLimit =
        static_cast<std::ptrdiff_t>(crowd.size()) - (BrowserHost::kMaxClients - 2);
    EXPECT_TRUE(WaitFor([&] { return closed() == overLimit; }, 10000)) << closed();
    EXPECT_EQ(Tag(good.Call("Page.enable", {{"tag", "served"}})), "served");

    good.Send("Fake.exit", {{"code", 0}});
    EXPECT_TRUE(host.Ends(0));
}

TEST(BrowserHost, LivesExactlyAsLongAsTheBrowser) {
    struct Case {
        const char* name;
        std::function<void(Host&, DevToolsConnection&)> end;
        bool hostEndsInOrder;
    };
    const Case cases[] = {
        {"the browser ends",
         [](Host&, DevToolsConnection& client) {
             client.Send("Fake.exit", {{"code", 0}});
         },
         true},
        {"the host is asked to end",
         [](Host& host, DevToolsConnection&) { host.process.terminate(); }, true},
        {"the host is killed", [](Host& host, DevToolsConnection&) { host.process.kill(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        Host host(home.RuntimeDir() + "/b.socket");
        ASSERT_TRUE(host.Listening());
        DevToolsConnection client;
        ASSERT_TRUE(client.Open(QString::fromStdString(host.socket), 5000));
        // The host listens first and starts the browser right after.
        pid_t browser = 0;
        ASSERT_TRUE(WaitFor([&] { return (browser = host.Browser()) != 0; }, 5000));

        c.end(host, client);
        EXPECT_TRUE(WaitFor([&] { return !client.IsOpen(); }, 10000));
        ASSERT_TRUE(host.Ended());
        EXPECT_EQ(host.process.exitStatus() == QProcess::NormalExit, c.hostEndsInOrder);
        EXPECT_TRUE(WaitFor([&] { return testing_support::ProcessEnded(browser); }, 10000));
        EXPECT_EQ(std::filesystem::exists(host.socket), !c.hostEndsInOrder);
    }
}

TEST(BrowserHost, RefusesAFolderOthersCanEnterAndASocketAlreadyServed) {
    TempHome home;
    Host first(home.RuntimeDir() + "/b.socket");
    ASSERT_TRUE(first.Listening());
    Host second(home.RuntimeDir() + "/b.socket");
    EXPECT_TRUE(second.Ends(BrowserHost::kAlreadyServed));

    const std::string open = home.Root() + "/open";
    std::filesystem::create_directory(open);
    chmod(open.c_str(), 0711);
    Host unsafe(open + "/b.socket");
    EXPECT_TRUE(unsafe.Ends(BrowserHost::kUnsafeFolder));
    EXPECT_FALSE(std::filesystem::exists(open + "/b.socket"));

    // The first one was not disturbed.
    DevToolsConnection client;
    EXPECT_TRUE(client.Open(QString::fromStdString(first.socket), 5000));
}

// Run as root, which no file permission stops: another user is played by setpriv.
TEST(BrowserHost, AnotherUserCanNeitherConnectNorBeConnectedTo) {
    if (geteuid() != 0 || !std::filesystem::exists("/usr/bin/setpriv")) {
        GTEST_SKIP() << "needs root and setpriv";
    }
    const QStringList asNobody{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                               "--clear-groups"};
    TempHome home;
    // Only the runtime folder's own rights keep the other user out.
    chmod(home.Root().c_str(), 0711);
    Host ours(home.RuntimeDir() + "/b.socket");
    ASSERT_TRUE(ours.Listening());
    QProcess intruder;
    intruder.start(asNobody.front(), asNobody.mid(1) << FAKE_PIPE_BROWSER << "--connect"
                                                     << QString::fromStdString(ours.socket));
    ASSERT_TRUE(intruder.waitForFinished(10000));
    EXPECT_EQ(intruder.exitCode(), 1) << intruder.readAllStandardOutput().toStdString();

    // The other way round: a host of another user turns this user away, and the program's
    // client does not take a socket served by someone else.
    const std::string theirs = home.Root() + "/nobody";
    std::filesystem::create_directory(theirs);
    chmod(theirs.c_str(), 0700);
    ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
    Host other(theirs + "/b.socket", asNobody);
    ASSERT_TRUE(other.Listening());
    QLocalSocket raw;
    raw.connectToServer(QString::fromStdString(other.socket));
    ASSERT_TRUE(raw.waitForConnected(5000));
    EXPECT_TRUE(WaitFor([&] { return raw.state() == QLocalSocket::UnconnectedState; }, 5000));
    DevToolsConnection client;
    EXPECT_FALSE(client.Open(QString::fromStdString(other.socket), 5000));
}

}  // namespace
