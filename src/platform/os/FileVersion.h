#pragma once

#include <cstdint>
#include <string>

// The file version that an executable carries, in the manner of a version resource: a fixed
// record in an ELF section of its own, ".tivora_version".
namespace FileVersion {

constexpr const char* kSectionName = ".tivora_version";
constexpr std::uint32_t kSignature = 0xFEEF04BD;

// The record as it lies in the section; all fields little-endian.
struct Record {
    std::uint32_t signature;      // kSignature
    std::uint32_t structVersion;  // 0x00010000
    std::uint32_t fileVersionMS;  // major << 16 | minor
    std::uint32_t fileVersionLS;  // build << 16 | revision
};
static_assert(sizeof(Record) == 16);

enum class Status {
    Ok,
    NoVersion,   // not an ELF file we can read, or no version section in it
    Unreadable,  // the section is there but its bytes cannot be read
    Malformed,   // the section's bytes are not a version record
};

// Reads the record from the executable file at path.
Status Read(const std::string& path, Record& record);

}  // namespace FileVersion
