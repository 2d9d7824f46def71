#include "config/FieldRecords.h"

#include <QByteArrayView>

#include "app/Exceptions.h"
#include "platform/os/Picture.h"

namespace FieldRecords {
namespace {

constexpr std::size_t kWordSize = 4;

std::size_t BytesLeft(const char* cursor, const char* end) {
    return cursor < end ? static_cast<std::size_t>(end - cursor) : 0;
}

std::uint32_t ReadWord(const char* at) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(at);
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

[[noreturn]] void Fail(const std::string& message) {
    throw ConfigurationException(message);
}

// Lengths are printed unsigned: a length word near 4 GiB is shown as the number it is.
std::string Number(std::uint32_t value) {
    return std::to_string(value);
}

// The length word of a string or picture field.
std::uint32_t ReadLength(const char*& cursor, const char* end, int id) {
    if (BytesLeft(cursor, end) < kWordSize) {
        Fail("Wrong field size (fieldId: " + std::to_string(id) + "; size: end of file)");
    }
    std::uint32_t length = ReadWord(cursor);
    cursor += kWordSize;
    return length;
}

}  // namespace

void ExpectFieldId(const char*& cursor, const char* end, int id) {
    if (BytesLeft(cursor, end) < 1) {
        Fail("Wrong field Id (wait: " + std::to_string(id) + "; real: end of file)");
    }
    const int real = static_cast<unsigned char>(*cursor);
    if (real != id) {
        Fail("Wrong field Id (wait: " + std::to_string(id) + "; real: " + std::to_string(real) +
             ")");
    }
    ++cursor;
}

std::string ReadStringField(const char*& cursor, const char* end, int id) {
    ExpectFieldId(cursor, end, id);
    const std::uint32_t length = ReadLength(cursor, end, id);
    // Compared with what is left, never by adding to the cursor, so no length can wrap.
    if (length >= BytesLeft(cursor, end)) {
        Fail("Wrong field size (fieldId: " + std::to_string(id) + "; size: " + Number(length) +
             ")");
    }
    std::string text(cursor, length);
    cursor += length;
    return text;
}

std::uint32_t ReadIntegerField(const char*& cursor, const char* end, int id) {
    ExpectFieldId(cursor, end, id);
    if (BytesLeft(cursor, end) < kWordSize) {
        Fail("Wrong field value (fieldId: " + std::to_string(id) + "; value: end of file)");
    }
    const std::uint32_t value = ReadWord(cursor);
    cursor += kWordSize;
    return value;
}

QImage ReadPictureField(const char*& cursor, const char* end, int id) {
    ExpectFieldId(cursor, end, id);
    const std::uint32_t length = ReadLength(cursor, end, id);
    if (length > BytesLeft(cursor, end)) {
        Fail("Wrong field zise (fieldId: " + std::to_string(id) + "; size: " + Number(length) +
             ")");
    }
    QImage picture = Picture::Decode(QByteArrayView(cursor, static_cast<qsizetype>(length)));
    if (picture.isNull()) {
        Fail("Wrong field picture (fieldId: " + std::to_string(id) + "; size: " + Number(length) +
             ")");
    }
    cursor += length;
    return picture;
}

}  // namespace FieldRecords
