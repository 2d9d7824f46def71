// Entry point for test programs that make their own application object.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include "support/TestEnvironment.h"

int main(int argc, char** argv) {
    testing_support::TempHome home;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
