#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>

#include "DemoServer.h"
#include "config/UpdateManifest.h"
#include "services/Manifest.h"
#include "support/TestEnvironment.h"
#include "support/TestHttpServer.h"

namespace {

TEST(DemoServerPages, SlugIsTheGamePagesName) {
    EXPECT_EQ(DemoServer::SlugOf("http://127.0.0.1:47613/games/brick-breaker.html"),
              "brick-breaker");
    EXPECT_EQ(DemoServer::SlugOf("http://127.0.0.1:47613/games/a/b.html"), "");
    EXPECT_EQ(DemoServer::SlugOf("http://127.0.0.1:47613/games/.html"), "");
    EXPECT_EQ(DemoServer::SlugOf("http://127.0.0.1:47613/other/x.html"), "");
}

TEST(DemoServerPages, ControlledGamesHaveAFlashFrameWithTheTwoFunctions) {
    DemoServer server(
        {"1.0.10.0", "3", "", "", ""},
        {{"chess", {"Chess", "Kings & queens", false}}, {"checkers", {"Checkers", "<jump>", true}}},
        [](const std::string&) {});
    const std::string plain = server.GamePage("chess");
    EXPECT_EQ(plain.find("name=\"flash\""), std::string::npos);
    EXPECT_NE(plain.find("Kings &amp; queens"), std::string::npos);
    const std::string controlled = server.GamePage("checkers");
    EXPECT_NE(controlled.find("<iframe name=\"flash\" src=\"/games/checkers/flash.html\">"),
              std::string::npos);
    EXPECT_NE(controlled.find("&lt;jump&gt;"), std::string::npos);
    const std::string frame = server.FlashFrame("checkers");
    EXPECT_NE(frame.find("function CloseGame()"), std::string::npos);
    EXPECT_NE(frame.find("function goCasino(url)"), std::string::npos);
    EXPECT_NE(frame.find("onclick=\"CloseGame()\""), std::string::npos);
    EXPECT_NE(frame.find("/casino.html')\""), std::string::npos);
}

// The real server, on the build's sample catalogue.
TEST(DemoServerProcess, ServesNothingNewerAndPrintsEachRegistration) {
    testing_support::TempHome home;
    const int port = testing_support::UnusedPort();
    QProcess server;
    server.start(QStringLiteral(TIVORA_BINARY_DIR "/tivora-demo-server"),
                 {"--port", QString::number(port)});
    ASSERT_TRUE(server.waitForStarted(5000));
    ASSERT_TRUE(server.waitForReadyRead(10000));
    EXPECT_TRUE(server.readLine().contains("listening"));

    // A second server on the same port would take a share of the requests: it must not start.
    QProcess second;
    second.start(QStringLiteral(TIVORA_BINARY_DIR "/tivora-demo-server"),
                 {"--port", QString::number(port)});
    if (!second.waitForFinished(10000)) {
        second.kill();
        second.waitForFinished();
        FAIL() << "a second server started on the port already served";
    }
    EXPECT_NE(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains(
        QStringLiteral("cannot listen on 127.0.0.1:%1").arg(port).toUtf8()));

    httplib::Client client("127.0.0.1", port);
    auto manifest = client.Get("/manifest.xml");
    ASSERT_TRUE(manifest);
    UpdateManifest parsed;
    ASSERT_TRUE(Manifest::Parse(Manifest::JoinLines(manifest->body), parsed));
    EXPECT_EQ(parsed.productVersion, "1.0.10.0");
    EXPECT_EQ(parsed.build, "3");  // the sample's WebmasterVersion: not newer

    auto post = client.Post("/register", "action=reg&distribution=sample-1&unique_id=AB",
                            "application/x-www-form-urlencoded");
    ASSERT_TRUE(post);
    EXPECT_EQ(post->status, 200);
    auto page = client.Get("/games/checkers.html");
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find("name=\"flash\""), std::string::npos);
    auto frame = client.Get("/games/checkers/flash.html");
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->status, 200);
    EXPECT_EQ(client.Get("/games/no-such-game.html")->status, 404);
    EXPECT_EQ(client.Get("/games/chess/flash.html")->status, 404);  // chess is not controlled

    server.terminate();
    ASSERT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitCode(), 0);
    const QByteArray printed = server.readAllStandardOutput();
    EXPECT_TRUE(printed.contains("POST /register action=reg&distribution=sample-1&unique_id=AB\n"))
        << printed.toStdString();
}

TEST(DemoServerProcess, BadArgumentsAreRefused) {
    QProcess server;
    server.start(QStringLiteral(TIVORA_BINARY_DIR "/tivora-demo-server"), {"--port", "http"});
    ASSERT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitCode(), 2);
    server.start(QStringLiteral(TIVORA_BINARY_DIR "/tivora-demo-server"),
                 {"--catalogue", "/nonexistent/tivora.cfg"});
    ASSERT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitCode(), 1);
    EXPECT_TRUE(server.readAllStandardError().contains("Games configuration file doesn't exist"));
}

}  // namespace
