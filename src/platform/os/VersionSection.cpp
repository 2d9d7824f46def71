// Linked into every executable of the project: the program's file version, where
// FileVersion::Read finds it.
#include "platform/os/FileVersion.h"

namespace {

constexpr std::uint32_t Pack(unsigned high, unsigned low) {
    return static_cast<std::uint32_t>((high & 0xFFFFu) << 16 | (low & 0xFFFFu));
}

[[gnu::used, gnu::section(".tivora_version")]] const FileVersion::Record kFileVersion = {
    FileVersion::kSignature,
    0x00010000,
    Pack(TIVORA_VERSION_MAJOR, TIVORA_VERSION_MINOR),
    Pack(TIVORA_VERSION_PATCH, TIVORA_VERSION_TWEAK),
};

}  // namespace
