#include <gtest/gtest.h>

#include <QTest>

#include "LaunchTestSupport.h"
#include "launch/OpenLink.h"
#include "support/ShellRecorder.h"
#include "support/TestEnvironment.h"

namespace {

using launch_testing::ErrorLog;
using testing_support::ShellRecorder;
using testing_support::TempHome;
using testing_support::TraceRecorder;

TEST(OpenLink, SwitchesComeBeforeTheCanonicalAddressInTheirOrder) {
    ShellRecorder shell;
    TraceRecorder traces;
    OpenLink("http://games.example/play?id=1", 0);
    OpenLink("http://games.example/play?id=1", NEW_WINDOW);
    OpenLink("HTTP://games.example/a b/../c", NEW_WINDOW | FULL_SCREEN);
    OpenLink("http://games.example/k", FULL_SCREEN);

    EXPECT_EQ(shell.Parameters(), (std::vector<std::string>{
                                      "http://games.example/play?id=1",
                                      "-new http://games.example/play?id=1",
                                      "-new -k http://games.example/c",
                                      "-k http://games.example/k",
                                  }));
    for (const auto& call : shell.calls) {
        EXPECT_EQ(call.operation, "open");
        EXPECT_EQ(call.file, "iexplore");
        EXPECT_EQ(call.directory, "");
        EXPECT_EQ(call.showCommand, 5);
    }
    // The trace names the address as given.
    EXPECT_EQ(traces.Texts(), (std::vector<std::string>{
                                  "Link to http://games.example/play?id=1 with parameters: ",
                                  "Link to http://games.example/play?id=1 with parameters: "
                                  "NEW_WINDOW ",
                                  "Link to HTTP://games.example/a b/../c with parameters: "
                                  "NEW_WINDOW FULL_SCREEN ",
                                  "Link to http://games.example/k with parameters: FULL_SCREEN ",
                              }));
}

TEST(OpenLink, AddressTooLongOnceCanonicalStartsNothing) {
    TempHome home;
    ShellRecorder shell;
    // 1990 bytes as given; every blank becomes three.
    const std::string address = "http://games.example/" + std::string(1969, ' ');
    OpenLink(address, NEW_WINDOW);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_NE(ErrorLog().find("ERROR: Unable to canonicalize URL '" + address + "'\n"),
              std::string::npos);
}

TEST(OpenLink, TextThatIsNoAddressNeverReachesTheBrowser) {
    TempHome home;
    ShellRecorder shell;
    for (const char* text : {"", "-new", "--kiosk http://x.example/", "'; rm -rf ~ #",
                             "x.example/play", "javascript:alert(1)"}) {
        OpenLink(text, NEW_WINDOW);
        EXPECT_NE(ErrorLog().find(std::string("Unable to canonicalize URL '") + text + "'"),
                  std::string::npos)
            << text;
    }
    EXPECT_TRUE(shell.calls.empty());

    // Quotes and semicolons are part of an address and travel in it, to one argument.
    OpenLink("http://x.example/a'b;c\"d", 0);
    EXPECT_EQ(shell.Parameters(), std::vector<std::string>{"http://x.example/a'b;c%22d"});
}

TEST(OpenLink, AddressFromTheNetworkOpensOnlyAsAWebAddressAsTyped) {
    TempHome home;
    ShellRecorder shell;
    for (const char* refused : {"file:///etc/passwd", "javascript://x.example/%0Aalert(1)",
                                "data://text/html,x", "http:/x", "-new"}) {
        EXPECT_FALSE(OpenNetworkLink(refused, NEW_WINDOW)) << refused;
        EXPECT_NE(ErrorLog().find(std::string("Address refused, not an http or https address: '") +
                                  refused + "'"),
                  std::string::npos)
            << refused;
    }
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(OpenNetworkLink("https://www.tivora.example/get", NEW_WINDOW));
    EXPECT_EQ(shell.Parameters(), std::vector<std::string>{"-new https://www.tivora.example/get"});
}

}  // namespace
