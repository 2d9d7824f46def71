// The desktop's association files and desktop entries, as the browser launcher reads them to
// find the user's browser, over arbitrary bytes: the input is split at its first NUL into a
// desktop entry and a mimeapps.list naming it.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/os/DesktopApplications.h"

namespace {

std::string g_root;

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/tivora-fuzz-desktop-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::abort();
    }
    g_root = pattern;
    for (const char* folder : {"/config", "/data", "/data/applications", "/system"}) {
        mkdir((g_root + folder).c_str(), 0700);
    }
    setenv("XDG_CONFIG_HOME", (g_root + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (g_root + "/data").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (g_root + "/system").c_str(), 1);
    setenv("XDG_DATA_DIRS", (g_root + "/system").c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string::size_type split = input.find('\0');
    Write(g_root + "/data/applications/web.desktop", input.substr(0, split));
    Write(g_root + "/config/mimeapps.list",
          split == std::string::npos ? std::string() : input.substr(split + 1));
    const auto entry = DesktopApplications::DefaultFor("x-scheme-handler/https");
    if (entry) {
        const auto command = DesktopApplications::CommandFor(*entry, "https://g/", {"https://g/"});
        // A command, when there is one, starts with a program.
        if (command && (command->empty() || command->front().empty())) {
            std::abort();
        }
    }
    return 0;
}
