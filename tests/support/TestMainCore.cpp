// Entry point for the tests of the parts below the user interface: an event loop, no windows.
#include <QCoreApplication>

#include "support/TestMain.h"

int main(int argc, char** argv) {
    return testing_support::RunAllTests<QCoreApplication>(argc, argv, "offscreen");
}
