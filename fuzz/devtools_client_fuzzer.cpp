// What a browser host's client sends, as the host reads it: the pipe's framing, then each
// message's check.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "platform/net/BrowserHost.h"
#include "platform/net/DevToolsFrames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DevToolsFrames frames(4096);
    // In two cuts, as the bytes may come.
    const std::size_t half = size / 2;
    const char* bytes = reinterpret_cast<const char*>(data);
    for (auto [from, length] : {std::pair{std::size_t{0}, half}, std::pair{half, size - half}}) {
        frames.Append(bytes + from, static_cast<qsizetype>(length));
        while (auto message = frames.Next()) {
            if (message->contains('\0') || message->size() > 4096) {
                std::abort();
            }
            if (auto command = BrowserHost::ClientCommand(*message)) {
                // What goes on holds the four keys at most, and always an id and a method.
                if (!command->contains("id") || !command->value("method").isString() ||
                    command->size() > 4) {
                    std::abort();
                }
            }
        }
        if (frames.Pending() > 4096 + static_cast<qsizetype>(size)) {
            std::abort();
        }
    }
    frames.TakeOverflow();
    return 0;
}
