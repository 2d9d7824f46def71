#pragma once

#include <functional>
#include <string>

// Opening the display. The bar has to place itself and stay on top, which a Wayland client
// cannot do, so under Wayland it runs through XWayland when that is there.
namespace DisplaySession {

// Picks the Qt platform before the application object is made; an explicit QT_QPA_PLATFORM
// is left alone.
void ChoosePlatform();

// Whether there is anything to open a window on: a platform named in QT_QPA_PLATFORM, or an
// X11 or Wayland display in the environment.
bool Configured();

// While alive, a failure of Qt to open its platform prints one line on stderr, hands the same
// text (without the program's name) to report, and ends the process with exit code 255 instead
// of aborting with a core dump. The line names a platform plugin that is not installed.
class NoDisplayGuard {
public:
    explicit NoDisplayGuard(std::function<void(const std::string&)> report = {});
    ~NoDisplayGuard();
    NoDisplayGuard(const NoDisplayGuard&) = delete;
    NoDisplayGuard& operator=(const NoDisplayGuard&) = delete;
};

// The one line printed when no display can be opened.
constexpr const char* kNoDisplayMessage =
    "tivora: cannot open a display: no X11 or Wayland session is reachable";

// The line for a platform plugin that Qt cannot find, naming the Debian package that has it
// where that is known.
std::string MissingPluginMessage(const std::string& plugin);

// Exit code when the display cannot be opened (-1 as an exit status).
constexpr int kNoDisplayExitCode = 255;

}  // namespace DisplaySession
