#include "config/Archive.h"

#include <QString>

namespace {

constexpr std::uint64_t kMaxLength = 0x7FFFFFFF;

template <class T>
void AppendLittleEndian(std::string& bytes, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        bytes += static_cast<char>(static_cast<std::uint64_t>(value) >> (8 * i) & 0xFF);
    }
}

}  // namespace

void ArchiveWriter::WriteInt32(std::int32_t value) {
    AppendLittleEndian(bytes_, static_cast<std::uint32_t>(value));
}
void ArchiveWriter::WriteUInt8(std::uint8_t value) {
    AppendLittleEndian(bytes_, value);
}
void ArchiveWriter::WriteUInt16(std::uint16_t value) {
    AppendLittleEndian(bytes_, value);
}
void ArchiveWriter::WriteUInt32(std::uint32_t value) {
    AppendLittleEndian(bytes_, value);
}
void ArchiveWriter::WriteUInt64(std::uint64_t value) {
    AppendLittleEndian(bytes_, value);
}
void ArchiveWriter::WriteBytes(std::string_view bytes) {
    bytes_.append(bytes);
}

void ArchiveWriter::WriteString(std::string_view text) {
    const std::size_t length = text.size();
    if (length < 0xFF) {
        WriteUInt8(static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteUInt8(0xFF);
        WriteUInt16(static_cast<std::uint16_t>(length));
    } else {
        WriteUInt8(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(static_cast<std::uint32_t>(length));
    }
    WriteBytes(text);
}

void ArchiveWriter::WriteStringList(const std::vector<std::string>& texts) {
    if (texts.size() < 0xFFFF) {
        WriteUInt16(static_cast<std::uint16_t>(texts.size()));
    } else {
        WriteUInt16(0xFFFF);
        WriteUInt32(static_cast<std::uint32_t>(texts.size()));
    }
    for (const std::string& text : texts) {
        WriteString(text);
    }
}

std::string_view ArchiveReader::ReadBytes(std::size_t count) {
    if (count > Remaining()) {
        throw ArchiveException("Unexpected end of settings data");
    }
    std::string_view bytes = data_.substr(position_, count);
    position_ += count;
    return bytes;
}

namespace {
template <class T>
T FromLittleEndian(std::string_view bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return static_cast<T>(value);
}
}  // namespace

std::uint8_t ArchiveReader::ReadUInt8() {
    return FromLittleEndian<std::uint8_t>(ReadBytes(1));
}
std::uint16_t ArchiveReader::ReadUInt16() {
    return FromLittleEndian<std::uint16_t>(ReadBytes(2));
}
std::uint32_t ArchiveReader::ReadUInt32() {
    return FromLittleEndian<std::uint32_t>(ReadBytes(4));
}
std::uint64_t ArchiveReader::ReadUInt64() {
    return FromLittleEndian<std::uint64_t>(ReadBytes(8));
}
std::int32_t ArchiveReader::ReadInt32() {
    return static_cast<std::int32_t>(ReadUInt32());
}

std::uint64_t ArchiveReader::ReadLength(bool& wide) {
    wide = false;
    std::uint8_t byteLength = ReadUInt8();
    if (byteLength < 0xFF) {
        return byteLength;
    }
    std::uint16_t wordLength = ReadUInt16();
    if (wordLength == 0xFFFE) {
        // A wide text: its length follows in the same forms.
        wide = true;
        byteLength = ReadUInt8();
        if (byteLength < 0xFF) {
            return byteLength;
        }
        wordLength = ReadUInt16();
    }
    if (wordLength < 0xFFFF) {
        return wordLength;
    }
    std::uint32_t longLength = ReadUInt32();
    if (longLength < 0xFFFFFFFF) {
        return longLength;
    }
    return ReadUInt64();
}

std::string ArchiveReader::ReadString() {
    bool wide = false;
    std::uint64_t length = ReadLength(wide);
    if (length > kMaxLength) {
        throw ArchiveException("Text length out of range in settings data");
    }
    if (!wide) {
        return std::string(ReadBytes(static_cast<std::size_t>(length)));
    }
    if (length > Remaining() / 2) {
        throw ArchiveException("Unexpected end of settings data");
    }
    std::string_view bytes = ReadBytes(static_cast<std::size_t>(length) * 2);
    std::u16string units(static_cast<std::size_t>(length), u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = FromLittleEndian<char16_t>(bytes.substr(2 * i, 2));
    }
    return QString::fromStdU16String(units).toStdString();
}

std::vector<std::string> ArchiveReader::ReadStringList() {
    std::uint64_t count = ReadUInt16();
    if (count == 0xFFFF) {
        count = ReadUInt32();
    }
    // Every text takes at least its one length byte: a count beyond that is no list.
    if (count > Remaining()) {
        throw ArchiveException("Unexpected end of settings data");
    }
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        texts.push_back(ReadString());
    }
    return texts;
}
