#include "platform/os/FileVersion.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace FileVersion {
namespace {

// Reads exactly size bytes at offset; false when the file is shorter.
bool ReadAt(std::ifstream& file, std::uint64_t offset, void* out, std::size_t size) {
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    if (!file) {
        return false;
    }
    file.read(static_cast<char*>(out), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(file.gcount()) == size;
}

}  // namespace

Status Read(const std::string& path, Record& record) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return Status::NoVersion;
    }
    Elf64_Ehdr header{};
    if (!ReadAt(file, 0, &header, sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
        header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shnum == 0 ||
        header.e_shstrndx >= header.e_shnum) {
        return Status::NoVersion;
    }

    std::vector<Elf64_Shdr> sections(header.e_shnum);
    if (!ReadAt(file, header.e_shoff, sections.data(), sections.size() * sizeof(Elf64_Shdr))) {
        return Status::NoVersion;
    }
    const Elf64_Shdr& names = sections[header.e_shstrndx];
    // Section names are short; a string table of absurd size is not one we made.
    if (names.sh_size == 0 || names.sh_size > (1u << 20)) {
        return Status::NoVersion;
    }
    std::vector<char> nameTable(names.sh_size + 1, '\0');
    if (!ReadAt(file, names.sh_offset, nameTable.data(), names.sh_size)) {
        return Status::NoVersion;
    }

    for (const Elf64_Shdr& section : sections) {
        if (section.sh_name >= names.sh_size ||
            std::strcmp(&nameTable[section.sh_name], kSectionName) != 0) {
            continue;
        }
        if (section.sh_type == SHT_NOBITS || section.sh_size == 0) {
            return Status::NoVersion;
        }
        if (section.sh_size < sizeof(Record)) {
            return Status::Malformed;
        }
        Record found{};
        if (!ReadAt(file, section.sh_offset, &found, sizeof found)) {
            return Status::Unreadable;
        }
        if (found.signature != kSignature) {
            return Status::Malformed;
        }
        record = found;
        return Status::Ok;
    }
    return Status::NoVersion;
}

}  // namespace FileVersion
