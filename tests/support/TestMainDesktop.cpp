// Entry point for the tests that need a real X server and session bus (tests/desktop-session.sh
// gives them both). Without them the application runs offscreen and the tests skip themselves.
#include <QApplication>

#include "support/TestDesktopServices.h"
#include "support/TestMain.h"

int main(int argc, char** argv) {
    const QByteArray platform = testing_support::DesktopMissing().empty() ? "xcb" : "offscreen";
    return testing_support::RunAllTests<QApplication>(argc, argv, platform);
}
