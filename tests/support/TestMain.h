#pragma once

// The test programs' entry point. Before anything runs, HOME and the XDG folders point into a
// temporary folder, so that no test can reach the real home folder; then the program's
// application object (none while the tests are only listed) on the given Qt platform. HTTP
// transfers go to the build's transfer process, which lies beside the program rather than
// beside the test programs (a test may name another one).
#include <gtest/gtest.h>

#include <QByteArray>
#include <cstring>
#include <memory>

#include "support/TestEnvironment.h"

namespace testing_support {

// For the programs whose tests make their own application object.
struct NoApplication {
    NoApplication(int&, char**) {}
};

template <class Application>
int RunAllTests(int argc, char** argv, const QByteArray& platform) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        listing = listing || std::strncmp(argv[i], "--gtest_list_tests", 18) == 0;
    }
    TempHome home;
    qputenv("QT_QPA_PLATFORM", platform);
    if (!qEnvironmentVariableIsSet("TIVORA_TRANSFER_PROGRAM")) {
        qputenv("TIVORA_TRANSFER_PROGRAM", TIVORA_BINARY_DIR "/tivora-transfer");
    }
    std::unique_ptr<Application> app;
    if (!listing) {
        app = std::make_unique<Application>(argc, argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace testing_support
