#pragma once

// Opening the display. The bar has to place itself and stay on top, which a Wayland client
// cannot do, so under Wayland it runs through XWayland when that is there.
namespace DisplaySession {

// Picks the Qt platform before the application object is made; an explicit QT_QPA_PLATFORM
// is left alone.
void ChoosePlatform();

// Whether there is anything to open a window on: a platform named in QT_QPA_PLATFORM, or an
// X11 or Wayland display in the environment.
bool Configured();

// While alive, a failure of Qt to open its platform prints one line on stderr and ends the
// process with exit code 255 instead of aborting with a core dump.
class NoDisplayGuard {
public:
    NoDisplayGuard();
    ~NoDisplayGuard();
    NoDisplayGuard(const NoDisplayGuard&) = delete;
    NoDisplayGuard& operator=(const NoDisplayGuard&) = delete;
};

// The one line printed when no display can be opened.
constexpr const char* kNoDisplayMessage =
    "tivora: cannot open a display: no X11 or Wayland session is reachable";

// Exit code when the display cannot be opened (-1 as an exit status).
constexpr int kNoDisplayExitCode = 255;

}  // namespace DisplaySession
