#include "platform/os/Picture.h"

#include "platform/os/ImageFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace Picture {
namespace {

constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
// The decoder's own limit on a picture's pixels.
constexpr std::int64_t kMaxPixels = std::int64_t{16384} * 16384;

class Bytes {
public:
    explicit Bytes(QByteArrayView bytes) : bytes_(bytes) {}
    std::int64_t Size() const { return bytes_.size(); }
    bool Has(std::int64_t at, std::int64_t count) const {
        return at >= 0 && count >= 0 && at + count <= Size();
    }
    std::uint32_t U8(std::int64_t at) const { return static_cast<std::uint8_t>(bytes_[at]); }
    std::uint32_t U16(std::int64_t at) const { return U8(at) | U8(at + 1) << 8; }
    std::uint32_t U32(std::int64_t at) const { return U16(at) | U16(at + 2) << 16; }
    std::uint32_t U16Be(std::int64_t at) const { return U8(at) << 8 | U8(at + 1); }
    std::uint32_t U32Be(std::int64_t at) const { return U16Be(at) << 16 | U16Be(at + 2); }
    bool StartsWith(std::int64_t at, const char* text) const {
        const auto length = static_cast<std::int64_t>(std::strlen(text));
        return Has(at, length) && std::memcmp(bytes_.data() + at, text, std::size_t(length)) == 0;
    }

private:
    QByteArrayView bytes_;
};

// Follows a run-length coded pixel stream from at, the way the decoder consumes it; whether
// it reaches its end-of-picture mark, or fills every row, before the bytes run out.
bool RleStreamComplete(const Bytes& bytes, std::int64_t at, std::int64_t rows, bool fourBits) {
    std::int64_t row = 0;
    while (row < rows) {
        if (!bytes.Has(at, 2)) {
            return false;
        }
        const std::uint32_t count = bytes.U8(at);
        const std::uint32_t code = bytes.U8(at + 1);
        at += 2;
        if (count != 0) {
            continue;  // a run: one pixel value repeated
        }
        if (code == 0) {
            ++row;  // end of line
        } else if (code == 1) {
            return true;  // end of picture
        } else if (code == 2) {
            if (!bytes.Has(at, 2)) {
                return false;
            }
            // The decoder keeps a jump inside the picture: only an end mark or the last row's
            // end finishes it.
            row = std::min(row + bytes.U8(at + 1), rows - 1);
            at += 2;
        } else {
            // Literal pixels, padded to a whole number of 16-bit words.
            std::int64_t length = fourBits ? (code + 1) / 2 : code;
            length += length & 1;
            if (!bytes.Has(at, length)) {
                return false;
            }
            at += length;
        }
    }
    return true;
}

// Whether a BMP file holds all the pixel data its headers announce. Anything that is not a
// BMP, or a BMP the decoder refuses from its headers anyway, passes through.
bool BmpComplete(const Bytes& bytes) {
    if (!bytes.Has(0, 2) || bytes.U8(0) != 'B' || bytes.U8(1) != 'M') {
        return true;
    }
    if (!bytes.Has(0, kFileHeaderSize + 4)) {
        return false;
    }
    const auto dataOffset = static_cast<std::int32_t>(bytes.U32(10));
    const std::uint32_t headerSize = bytes.U32(kFileHeaderSize);
    const bool core =
        headerSize != 40 && headerSize != 64 && headerSize != 108 && headerSize != 124;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t colorsUsed = 0;
    if (core) {
        if (!bytes.Has(kFileHeaderSize, 12)) {
            return false;
        }
        width = static_cast<std::int16_t>(bytes.U16(18));
        height = static_cast<std::int16_t>(bytes.U16(20));
        bits = bytes.U16(24);
    } else {
        if (!bytes.Has(kFileHeaderSize, 40)) {
            return false;
        }
        width = static_cast<std::int32_t>(bytes.U32(18));
        height = static_cast<std::int32_t>(bytes.U32(22));
        bits = bytes.U16(28);
        compression = bytes.U32(30);
        colorsUsed = bytes.U32(46);
    }
    const std::int64_t rows = height < 0 ? -height : height;
    if (width <= 0 || rows == 0 || bits == 0 || bits > 32 || width * rows > kMaxPixels) {
        return true;  // refused by the decoder's own header checks
    }

    // The pixels start after the headers, the colour masks and the colour table, or at the
    // file's data offset when that lies further on.
    std::int64_t start = kFileHeaderSize + headerSize;
    if (compression == kBitFields && headerSize < 108) {
        start += 12;
    }
    if (bits <= 8) {
        const std::int64_t colors = colorsUsed != 0 ? colorsUsed : std::int64_t{1} << bits;
        start += colors * (headerSize == kCoreHeaderSize ? 3 : 4);
    }
    start = std::max<std::int64_t>(start, dataOffset);

    if (compression == kRle8 || compression == kRle4) {
        return RleStreamComplete(bytes, start, rows, compression == kRle4);
    }
    const std::int64_t rowBytes = (width * bits + 31) / 32 * 4;
    return bytes.Has(start, rowBytes * rows);
}

// Whether a JPEG file reaches its end-of-image mark through whole segments and scans; the
// decoder makes up the rest of a cut one. Anything that is not a JPEG passes through.
bool JpegComplete(const Bytes& bytes) {
    if (!bytes.StartsWith(0, "\xFF\xD8\xFF")) {
        return true;
    }
    std::int64_t at = 2;
    for (;;) {
        // Stray bytes before a marker are skipped, as the decoder does; then the marker's 0xFF
        // and any fill bytes.
        while (bytes.Has(at, 1) && bytes.U8(at) != 0xFF) {
            ++at;
        }
        while (bytes.Has(at, 1) && bytes.U8(at) == 0xFF) {
            ++at;
        }
        if (!bytes.Has(at, 1)) {
            return false;
        }
        const std::uint32_t code = bytes.U8(at++);
        if (code == 0xD9) {
            return true;  // end of image
        }
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD8)) {
            continue;  // markers without a segment
        }
        if (!bytes.Has(at, 2) || bytes.U16Be(at) < 2 || !bytes.Has(at, bytes.U16Be(at))) {
            return false;
        }
        at += bytes.U16Be(at);
        if (code != 0xDA) {
            continue;
        }
        // A scan's coded data runs to the next marker: a 0xFF followed by neither a stuffed
        // zero nor a restart code.
        for (;;) {
            if (!bytes.Has(at, 2)) {
                return false;
            }
            const std::uint32_t next = bytes.U8(at + 1);
            if (bytes.U8(at) != 0xFF) {
                ++at;
            } else if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                at += 2;
            } else {
                break;
            }
        }
    }
}

// Whether a GIF file reaches its trailer through whole blocks; the decoder fills the rest of a
// cut picture with the background. Anything that is not a GIF passes through.
bool GifComplete(const Bytes& bytes) {
    if (!bytes.StartsWith(0, "GIF87a") && !bytes.StartsWith(0, "GIF89a")) {
        return true;
    }
    const auto colourTable = [](std::uint32_t flags) -> std::int64_t {
        return (flags & 0x80) != 0 ? 3 << ((flags & 7) + 1) : 0;
    };
    std::int64_t at = 6;
    // Data sub-blocks: each a length byte and that many bytes, up to an empty one.
    const auto skipSubBlocks = [&]() {
        while (bytes.Has(at, 1)) {
            const std::uint32_t length = bytes.U8(at++);
            if (length == 0) {
                return true;
            }
            at += length;
        }
        return false;
    };
    if (!bytes.Has(at, 7)) {
        return false;
    }
    at += 7 + colourTable(bytes.U8(at + 4));
    for (;;) {
        if (!bytes.Has(at, 1)) {
            return false;
        }
        const std::uint32_t block = bytes.U8(at++);
        if (block == 0x3B) {
            return true;  // trailer
        }
        if (block == 0x21) {  // extension: a label, then sub-blocks
            ++at;
        } else if (block == 0x2C) {  // image: descriptor, colour table, code size, sub-blocks
            if (!bytes.Has(at, 9)) {
                return false;
            }
            at += 9 + colourTable(bytes.U8(at + 8)) + 1;
        } else {
            return true;  // not a block the decoder knows: its own checks decide
        }
        if (!skipSubBlocks()) {
            return false;
        }
    }
}

// Whether a PNG file reaches its end chunk through whole chunks. Anything that is not a PNG
// passes through.
bool PngComplete(const Bytes& bytes) {
    if (!bytes.StartsWith(0, "\x89PNG\r\n\x1A\n")) {
        return true;
    }
    // Each chunk: its data's length, its type, the data and a check sum.
    for (std::int64_t at = 8; bytes.Has(at, 12); at += 12 + std::int64_t{bytes.U32Be(at)}) {
        if (!bytes.Has(at, 12 + std::int64_t{bytes.U32Be(at)})) {
            return false;
        }
        if (bytes.StartsWith(at + 4, "IEND")) {
            return true;
        }
    }
    return false;
}

}  // namespace

QImage Decode(QByteArrayView bytes) {
    const Bytes view(bytes);
    if (!BmpComplete(view) || !JpegComplete(view) || !GifComplete(view) || !PngComplete(view)) {
        return {};
    }
    return ImageFormat::Decode(bytes);
}

}  // namespace Picture
