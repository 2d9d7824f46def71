// Entry point for test programs that make their own application object.
#include "support/TestMain.h"

int main(int argc, char** argv) {
    return testing_support::RunAllTests<testing_support::NoApplication>(argc, argv, "offscreen");
}
