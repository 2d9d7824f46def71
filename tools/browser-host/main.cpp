// tivora-browser-host --socket PATH -- PROGRAM [ARGUMENT...]
//
// Starts PROGRAM (the automation browser, asked for its DevTools pipe) and offers its DevTools
// connection on the UNIX socket PATH to the user's own processes; ends when the browser ends.
// The bar starts it; see platform/BrowserHost.h for what it does.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/net/BrowserHost.h"

int main(int argc, char** argv) {
    if (argc < 5 || std::strcmp(argv[1], "--socket") != 0 || std::strcmp(argv[3], "--") != 0) {
        std::fprintf(stderr, "usage: tivora-browser-host --socket PATH -- PROGRAM [ARGUMENT...]\n");
        return BrowserHost::kUsage;
    }
    return BrowserHost::Run(argv[2], argv[4], std::vector<std::string>(argv + 5, argv + argc));
}
