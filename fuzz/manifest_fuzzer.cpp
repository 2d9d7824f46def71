// The update manifest reader over arbitrary server replies.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "services/Manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text =
        Manifest::JoinLines(std::string(reinterpret_cast<const char*>(data), size));
    UpdateManifest manifest;
    if (Manifest::Parse(text, manifest)) {
        // Whatever parses has its three required values, without line feeds.
        if (manifest.productVersion.empty() || manifest.build.empty() || manifest.url.empty() ||
            manifest.url.find('\n') != std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
