#include "support/TestDesktopServices.h"

#include <cstdlib>

namespace testing_support {

std::string DesktopMissing() {
    if (const char* missing = std::getenv("TIVORA_DESKTOP_MISSING")) {
        return std::string("not installed: ") + missing;
    }
    if (std::getenv("DISPLAY") == nullptr || std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
        return "no X server or session bus: run through tests/desktop-session.sh";
    }
    return {};
}

}  // namespace testing_support
