#pragma once

#include <string>

#include "DesktopStandins.h"

namespace testing_support {

// Why the tests that need a real X server and session bus cannot run here; empty when they can.
// tests/desktop-session.sh gives them both.
std::string DesktopMissing();

// The tray host, notification server and XEmbed tray the desktop tests run against are the
// ones tivora-desktop-standin serves to a bar on a virtual display.
using desktop_standin::TestNotificationServer;
using desktop_standin::TestStatusNotifierWatcher;
using desktop_standin::TestXEmbedTray;

}  // namespace testing_support
