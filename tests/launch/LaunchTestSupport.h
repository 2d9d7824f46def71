#pragma once

#include <sys/types.h>

#include <httplib.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "launch/BrowserLayer.h"
#include "support/TestEnvironment.h"
#include "support/TestHttpServer.h"

class DevToolsConnection;
class DevToolsWindow;

namespace launch_testing {

// Game pages on 127.0.0.1 with an ephemeral port:
//   /game?flash=same|cross|none  a page with a plain frame "other" and a frame "flash" from
//                                this origin, from another site (localhost), or without one;
//                                &ad=1 adds a plain frame "ad" from another site
//   /flash?v=N                   the game: CloseGame() and goCasino(url), each marked with N
//   /plain                       a page without any of it
class GamePages {
public:
    GamePages();
    std::string Url(const std::string& path) const { return server_.Url(path); }
    int Port() const { return server_.Port(); }

private:
    testing_support::TestHttpServer server_;
};

// Contents of the errors.log of the current data home ("" when there is none).
std::string ErrorLog();

// The browser host of this build.
const char* BuiltHost();

// The automation browser for one test, headless and quiet (the machine has no network): set
// up on construction, closed and waited for on destruction.
class HeadlessBrowser {
public:
    HeadlessBrowser();
    ~HeadlessBrowser();
    // The layer's connection, starting the browser when needed.
    DevToolsConnection& Connection();
    // A second look at a controller's window (its frames, its scripts), as the test's own.
    std::unique_ptr<DevToolsWindow> Inspect(const std::string& windowId);
    // The ids of the browser's open page windows.
    std::vector<std::string> OpenWindows();

    static bool Available();
    static std::vector<std::string> Arguments();
};

using testing_support::WaitFor;

// The longest a game start may take before the program itself gives up on it: the browser's
// port, the connection, the look at its windows, and the new window's creation and attachment.
// A test that waits less than this for a start to end asserts a speed the program never
// promised, and fails on a cold browser start on a busy machine.
constexpr int kLongestStartMs =
    BrowserLayer::kStartTimeoutMs + 4 * BrowserLayer::kStepTimeoutMs + 1000;

}  // namespace launch_testing
