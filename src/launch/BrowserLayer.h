#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class DevToolsConnection;
class DevToolsWindow;
class QObject;

// The browser automation layer: one connection to the automation browser, shared by every
// controlled window. Set up at start and torn down last at exit; controlled windows can only
// be made in between. The browser is started on the first controlled game, not before, and
// nothing here waits for it: requests are answered from the event loop once it is there.
namespace BrowserLayer {

using ConnectionDone = std::function<void(DevToolsConnection*)>;
using WindowDone = std::function<void(std::unique_ptr<DevToolsWindow>)>;

void Init();
// Gives up a browser start under way (a browser started and not reached yet is ended; one
// reached but never given a window is closed), answers what still waits with nothing, lets
// what was sent reach the browser (a short wait at most) and closes the connection. The
// browser and its windows keep running.
void Shutdown();
bool IsInitialized();

// Asks for the connection to the automation browser, the browser started when none runs:
// done gets it, or nullptr when the layer is not set up or no browser can be reached. done
// runs from the event loop, never from within this call, and only while context (when given)
// exists. Requests made while the browser starts share that one start.
void RequestConnection(QObject* context, ConnectionDone done);

// Asks for a new window of the automation browser, attached to; done as for
// RequestConnection, with nullptr when none can be made. A window made for a context that is
// gone by then is closed again. The first window after the browser was started takes the
// place of the browser's start-up window.
void RequestWindow(QObject* context, WindowDone done);

// The connection, waited for (RequestConnection run to its end); for programs and tests that
// have nothing else to do meanwhile.
DevToolsConnection* Connection();

// The automation browser's profile folder, under the application data folder.
std::string ProfileFolder();

// The browser host program: the one set with SetHostProgram, else the first of HostPlaces for
// the running executable that is there (else the first place).
std::string HostProgram();
// Where the host of an executable in executableFolder may lie, in the order looked at: beside
// it (a build folder), then in the installed ../libexec/tivora/.
std::vector<std::string> HostPlaces(const std::string& executableFolder);
// The host program to start from now on (tests start the one of their build).
void SetHostProgram(std::string path);
constexpr const char* kHostName = "tivora-browser-host";

// Extra arguments for an automation browser started from now on (tests run it headless).
void SetBrowserArguments(std::vector<std::string> arguments);
// How long a browser started from now on may take to answer.
void SetStartTimeout(int timeoutMs);

// The browser host (and with it the automation browser) started by this process, 0 when none
// was.
pid_t StartedBrowser();

// Time-outs of the set-up steps.
constexpr int kStartTimeoutMs = 15000;
constexpr int kStepTimeoutMs = 5000;
constexpr int kShutdownWaitMs = 2000;

}  // namespace BrowserLayer
