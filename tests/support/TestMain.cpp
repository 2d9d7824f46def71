// Entry point for the widget tests: an application object on the offscreen platform.
#include <QApplication>

#include "support/TestMain.h"

int main(int argc, char** argv) {
    return testing_support::RunAllTests<QApplication>(argc, argv, "offscreen");
}
