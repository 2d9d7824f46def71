// The test programs' entry point. Before anything runs, HOME and the XDG folders point into a
// temporary folder, so that no test can reach the real home folder; widget tests get an
// offscreen application object.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>
#include <memory>

#include "support/TestEnvironment.h"

int main(int argc, char** argv) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        listing = listing || std::strncmp(argv[i], "--gtest_list_tests", 18) == 0;
    }
    testing_support::TempHome home;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QApplication> app;
    if (!listing) {
        app = std::make_unique<QApplication>(argc, argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
