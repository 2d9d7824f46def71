#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include <memory>

class DevToolsConnection;
class DevToolsWindow;

// The browser automation layer: one connection to the automation browser, shared by every
// controlled window. Set up at start and torn down last at exit; controlled windows can only
// be made in between. The browser is started on the first controlled game, not before.
namespace BrowserLayer {

void Init();
// Lets what was sent reach the browser (a short wait at most), then closes the connection.
// The browser and its windows keep running.
void Shutdown();
bool IsInitialized();

// The connection to the automation browser, made (and the browser started) when there is
// none; nullptr when the layer is not set up or no browser can be reached.
DevToolsConnection* Connection();

// A new window of the automation browser, attached to; nullptr when none can be made. The
// first window after the browser was started takes the place of the browser's start-up window.
std::unique_ptr<DevToolsWindow> OpenWindow();

// The automation browser's profile folder, under the application data folder.
std::string ProfileFolder();

// Extra arguments for an automation browser started from now on (tests run it headless).
void SetBrowserArguments(std::vector<std::string> arguments);

// The automation browser started by this process, 0 when none was.
pid_t StartedBrowser();

// Time-outs of the set-up steps.
constexpr int kStepTimeoutMs = 5000;
constexpr int kShutdownWaitMs = 2000;

}  // namespace BrowserLayer
