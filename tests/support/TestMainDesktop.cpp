// Entry point for the tests that need a real X server and session bus (tests/desktop-session.sh
// gives them both). Without them the application runs offscreen and the tests skip themselves.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>
#include <memory>

#include "support/TestDesktopServices.h"
#include "support/TestEnvironment.h"

int main(int argc, char** argv) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        listing = listing || std::strncmp(argv[i], "--gtest_list_tests", 18) == 0;
    }
    testing_support::TempHome home;
    qputenv("QT_QPA_PLATFORM", testing_support::DesktopMissing().empty() ? QByteArray("xcb")
                                                                         : QByteArray("offscreen"));
    std::unique_ptr<QApplication> app;
    if (!listing) {
        app = std::make_unique<QApplication>(argc, argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
