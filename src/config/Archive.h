#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The binary encodings of the settings file: little-endian integers, length-prefixed texts and
// counted text lists, in the layout of the serialisation archive the file format came from.

// Reading past the end of the data, or a length the format forbids.
class ArchiveException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ArchiveWriter {
public:
    void WriteInt32(std::int32_t value);
    void WriteUInt8(std::uint8_t value);
    void WriteUInt16(std::uint16_t value);
    void WriteUInt32(std::uint32_t value);
    void WriteUInt64(std::uint64_t value);
    void WriteBytes(std::string_view bytes);
    // Length prefix (one byte below 255; 0xFF and a 16-bit length below 65534; else 0xFF,
    // 0xFFFF and a 32-bit length), then the bytes.
    void WriteString(std::string_view text);
    // A count (16 bits below 65535, else 0xFFFF and 32 bits), then the texts.
    void WriteStringList(const std::vector<std::string>& texts);

    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

class ArchiveReader {
public:
    explicit ArchiveReader(std::string_view data) : data_(data) {}
    // The reader only looks at the bytes: they must outlive it.
    explicit ArchiveReader(std::string&&) = delete;

    std::int32_t ReadInt32();
    std::uint8_t ReadUInt8();
    std::uint16_t ReadUInt16();
    std::uint32_t ReadUInt32();
    std::uint64_t ReadUInt64();
    std::string_view ReadBytes(std::size_t count);
    // A text as WriteString writes it; also a wide text (0xFF, 0xFFFE, then a length in
    // 16-bit characters and UTF-16LE bytes), which comes back as UTF-8.
    std::string ReadString();
    std::vector<std::string> ReadStringList();

    std::size_t Remaining() const { return data_.size() - position_; }

private:
    std::uint64_t ReadLength(bool& wide);

    std::string_view data_;
    std::size_t position_ = 0;
};
