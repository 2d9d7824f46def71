// The field reader on buffers allocated to their exact size, so that a read past the end is a
// heap overflow that the sanitizer build reports.
#include "config/FieldRecords.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <vector>

#include "ConfigFixtures.h"
#include "app/Exceptions.h"
#include "cfg/CataloguePack.h"
#include "platform/os/Picture.h"

namespace {

using config_fixtures::Png;

// The bytes in a heap block of exactly their size.
struct Buffer {
    explicit Buffer(const std::string& bytes) : data(bytes.begin(), bytes.end()) {}
    const char* begin() const { return data.data(); }
    const char* end() const { return data.data() + data.size(); }
    std::vector<char> data;
};

template <class Read>
std::string MessageOf(Read read) {
    try {
        read();
    } catch (const ConfigurationException& error) {
        return error.GetMessage();
    }
    return "(no exception)";
}

std::string Word(std::uint32_t value) {
    return CfgPack::IntegerField(0, value).substr(1);
}

TEST(FieldRecords, WrongIdNamesTheExpectedAndTheRealIdAndLeavesTheCursor) {
    Buffer buffer(CfgPack::StringField(5, "text") + "x");
    const char* cursor = buffer.begin();
    EXPECT_EQ(MessageOf([&] { FieldRecords::ReadStringField(cursor, buffer.end(), 129); }),
              "Wrong field Id (wait: 129; real: 5)");
    EXPECT_EQ(cursor, buffer.begin());
    // Ids are bytes: 200 is not read as a negative number.
    Buffer high(std::string(1, static_cast<char>(200)));
    cursor = high.begin();
    EXPECT_EQ(MessageOf([&] { FieldRecords::ExpectFieldId(cursor, high.end(), 128); }),
              "Wrong field Id (wait: 128; real: 200)");
}

TEST(FieldRecords, StringMustEndBeforeTheEndOfTheBuffer) {
    // A string that ends exactly at the end is refused, with its id and length.
    Buffer alone(CfgPack::StringField(128, "abc"));
    const char* cursor = alone.begin();
    EXPECT_EQ(MessageOf([&] { FieldRecords::ReadStringField(cursor, alone.end(), 128); }),
              "Wrong field size (fieldId: 128; size: 3)");

    // One byte more and it is read, the cursor resting on that byte.
    Buffer followed(CfgPack::StringField(128, "abc") + "\x81");
    cursor = followed.begin();
    EXPECT_EQ(FieldRecords::ReadStringField(cursor, followed.end(), 128), "abc");
    EXPECT_EQ(cursor, followed.end() - 1);
}

TEST(FieldRecords, StringsHoldAnyBytesAndMayBeEmpty) {
    const std::string binary("a\0b\r\n\xff", 6);
    Buffer buffer(CfgPack::StringField(129, "") + CfgPack::StringField(130, binary) +
                  CfgPack::IntegerField(132, 1));
    const char* cursor = buffer.begin();
    EXPECT_EQ(FieldRecords::ReadStringField(cursor, buffer.end(), 129), "");
    EXPECT_EQ(FieldRecords::ReadStringField(cursor, buffer.end(), 130), binary);
    EXPECT_EQ(FieldRecords::ReadIntegerField(cursor, buffer.end(), 132), 1u);
    EXPECT_EQ(cursor, buffer.end());
}

TEST(FieldRecords, IntegersAreLittleEndianAndHaveNoLength) {
    Buffer buffer(std::string("\x84\x01\x02\x03\x84", 5) + "\x04\xfe\xff\xff\xff");
    const char* cursor = buffer.begin();
    EXPECT_EQ(FieldRecords::ReadIntegerField(cursor, buffer.end(), 132), 0x84030201u);
    EXPECT_EQ(FieldRecords::ReadIntegerField(cursor, buffer.end(), 4), 0xFFFFFFFEu);
    EXPECT_EQ(cursor, buffer.end());
}

TEST(FieldRecords, PictureMayEndExactlyAtTheEndAndIsDecoded) {
    const std::string png = Png(21, 21, QColor(1, 2, 3));
    Buffer buffer(CfgPack::PictureField(133, png));
    const char* cursor = buffer.begin();
    const QImage picture = FieldRecords::ReadPictureField(cursor, buffer.end(), 133);
    EXPECT_EQ(cursor, buffer.end());
    ASSERT_EQ(picture.size(), QSize(21, 21));
    EXPECT_EQ(picture.pixelColor(20, 20), QColor(1, 2, 3));
}

TEST(FieldRecords, PictureRunningPastTheEndIsRefusedWithItsIdAndLength) {
    // A length of 100 with 99 bytes left.
    Buffer buffer("\x85" + Word(100) + std::string(99, 'p'));
    const char* cursor = buffer.begin();
    EXPECT_EQ(MessageOf([&] { FieldRecords::ReadPictureField(cursor, buffer.end(), 133); }),
              "Wrong field zise (fieldId: 133; size: 100)");
}

TEST(FieldRecords, PictureThatDoesNotDecodeIsRefused) {
    for (const std::string& bytes :
         {std::string("not a picture"), std::string(), Png().substr(0, 30)}) {
        Buffer buffer(CfgPack::PictureField(133, bytes));
        const char* cursor = buffer.begin();
        EXPECT_EQ(MessageOf([&] { FieldRecords::ReadPictureField(cursor, buffer.end(), 133); }),
                  "Wrong field picture (fieldId: 133; size: " + std::to_string(bytes.size()) + ")");
    }
}

std::string Bmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

// A 2 x 2 run-length coded BMP: a blue top row over a red bottom row.
std::string Rle8Bmp() {
    const std::string pixels("\x02\x01\x00\x00\x02\x00\x00\x01", 8);
    const std::string palette("\xff\x00\x00\x00\x00\x00\xff\x00", 8);
    std::string header = std::string("BM") + Word(70) + Word(0) + Word(62) + Word(40) + Word(2) +
                         Word(2) + std::string("\x01\x00\x08\x00", 4) + Word(1) + Word(8) +
                         Word(0) + Word(0) + Word(2) + Word(0);
    return header + palette + pixels;
}

// The BMP decoder takes a picture whose pixel data ends early and leaves the missing rows as
// whatever memory held; such a picture is as wrong as one that does not decode at all.
TEST(FieldRecords, BmpWithItsPixelDataCutShortIsRefused) {
    QImage colours(3, 2, QImage::Format_RGB32);
    colours.fill(QColor(10, 20, 30));
    QImage indexed = colours.convertToFormat(QImage::Format_Indexed8);
    indexed.setColorCount(20);  // more than 16 colours: written with 8 bits a pixel
    QImage white = colours.copy();
    white.fill(Qt::white);
    const struct {
        const char* name;
        std::string whole;
        std::size_t cut;  // bytes taken off the end
        QColor topLeft;
    } cases[] = {
        {"24 bits", Bmp(colours), 1, QColor(10, 20, 30)},
        {"8 bits", Bmp(indexed), 1, QColor(10, 20, 30)},
        {"1 bit", Bmp(white.convertToFormat(QImage::Format_Mono)), 1, QColor(255, 255, 255)},
        {"run-length coded", Rle8Bmp(), 3, QColor(0, 0, 255)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Buffer whole(CfgPack::PictureField(133, c.whole));
        const char* cursor = whole.begin();
        const QImage picture = FieldRecords::ReadPictureField(cursor, whole.end(), 133);
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.pixelColor(0, 0), c.topLeft);

        const std::string cut = c.whole.substr(0, c.whole.size() - c.cut);
        Buffer buffer(CfgPack::PictureField(133, cut));
        cursor = buffer.begin();
        EXPECT_EQ(MessageOf([&] { FieldRecords::ReadPictureField(cursor, buffer.end(), 133); }),
                  "Wrong field picture (fieldId: 133; size: " + std::to_string(cut.size()) + ")");
    }
}

std::string Written(const QImage& image, const char* format, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << format;
    return bytes.toStdString();
}

// A GIF in four colours, its pixels written as plain codes: a clear code before every second
// pixel keeps the codes three bits wide. (Qt writes no GIF.)
std::string Gif(int width, int height) {
    auto word = [](int value) { return std::string{char(value & 0xFF), char(value >> 8)}; };
    std::string packed;
    unsigned bits = 0;
    int count = 0;
    auto put = [&](unsigned code) {
        bits |= code << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8) {
            packed += static_cast<char>(bits & 0xFF);
        }
    };
    for (int i = 0; i < width * height; ++i) {
        if (i % 2 == 0) {
            put(4);  // clear
        }
        put(static_cast<unsigned>((i % width + i / width) % 4));
    }
    put(5);  // end of information
    packed += static_cast<char>(bits);
    std::string blocks;
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::string block = packed.substr(at, 255);
        blocks += static_cast<char>(block.size()) + block;
    }
    return "GIF89a" + word(width) + word(height) + std::string("\x81\x00\x00", 3) +
           std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12) + "," + word(0) +
           word(0) + word(width) + word(height) + std::string("\x00\x02", 2) + blocks +
           std::string("\x00;", 2);
}

// Some decoders fill in what a cut picture lacks; a picture cut anywhere is refused, whatever
// its format.
TEST(Picture, CutAnywhereShortOfItsEndIsRefused) {
    QImage image(32, 16, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 8, y * 16, 128));
        }
    }
    const struct {
        const char* name;
        std::string whole;
    } cases[] = {
        {"BMP", Written(image, "BMP")},   {"GIF", Gif(32, 16)},
        {"JPEG", Written(image, "JPEG")}, {"progressive JPEG", Written(image, "JPEG", true)},
        {"PNG", Written(image, "PNG")},   {"ICO", Written(image, "ICO")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Picture::Decode(QByteArrayView(c.whole.data(), qsizetype(c.whole.size()))).size(),
                  QSize(32, 16));
        std::vector<std::size_t> decoded;
        for (std::size_t size = 1; size < c.whole.size(); ++size) {
            Buffer cut(c.whole.substr(0, size));
            if (!Picture::Decode(QByteArrayView(cut.begin(), cut.end())).isNull()) {
                decoded.push_back(size);
            }
        }
        EXPECT_TRUE(decoded.empty()) << decoded.size() << " cut sizes decode, the longest "
                                     << decoded.back() << " of " << c.whole.size() << " bytes";
    }
}

TEST(FieldRecords, HugeLengthsAreComparedWithWhatIsLeftAndNeverWrap) {
    // Added to a pointer, these lengths would wrap around to a position inside the buffer.
    for (std::uint32_t length : {0xFFFFFFFFu, 0xFFFFFFFBu, 0x80000000u}) {
        Buffer string("\x80" + Word(length) + "0123456789");
        const char* cursor = string.begin();
        EXPECT_EQ(MessageOf([&] { FieldRecords::ReadStringField(cursor, string.end(), 128); }),
                  "Wrong field size (fieldId: 128; size: " + std::to_string(length) + ")");
        Buffer picture("\x85" + Word(length) + Png());
        cursor = picture.begin();
        EXPECT_EQ(MessageOf([&] { FieldRecords::ReadPictureField(cursor, picture.end(), 133); }),
                  "Wrong field zise (fieldId: 133; size: " + std::to_string(length) + ")");
    }
}

// Every field cut at every byte: the reader reports the end of the file and reads nothing
// beyond it.
TEST(FieldRecords, FieldsCutShortAreRefusedWithoutReadingPastTheEnd) {
    const std::string string = CfgPack::StringField(130, "address") + "\x83";
    const std::string integer = CfgPack::IntegerField(132, 7);
    const std::string picture = CfgPack::PictureField(133, Png());
    for (std::size_t size = 0; size < 5; ++size) {
        const std::string expectedId = "Wrong field Id (wait: 130; real: end of file)";
        Buffer cut(string.substr(0, size));
        const char* cursor = cut.begin();
        const std::string message =
            MessageOf([&] { FieldRecords::ReadStringField(cursor, cut.end(), 130); });
        EXPECT_EQ(message,
                  size == 0 ? expectedId : "Wrong field size (fieldId: 130; size: end of file)")
            << size;

        Buffer cutInteger(integer.substr(0, size));
        cursor = cutInteger.begin();
        EXPECT_EQ(MessageOf([&] { FieldRecords::ReadIntegerField(cursor, cutInteger.end(), 132); }),
                  size == 0 ? "Wrong field Id (wait: 132; real: end of file)"
                            : "Wrong field value (fieldId: 132; value: end of file)")
            << size;
    }
    for (std::size_t size = 5; size < string.size(); ++size) {
        Buffer cut(string.substr(0, size));
        const char* cursor = cut.begin();
        EXPECT_EQ(MessageOf([&] { FieldRecords::ReadStringField(cursor, cut.end(), 130); }),
                  "Wrong field size (fieldId: 130; size: 7)")
            << size;
    }
    for (std::size_t size = 0; size < picture.size(); ++size) {
        Buffer cut(picture.substr(0, size));
        const char* cursor = cut.begin();
        const std::string message =
            MessageOf([&] { FieldRecords::ReadPictureField(cursor, cut.end(), 133); });
        if (size == 0) {
            EXPECT_EQ(message, "Wrong field Id (wait: 133; real: end of file)");
        } else if (size < 5) {
            EXPECT_EQ(message, "Wrong field size (fieldId: 133; size: end of file)") << size;
        } else {
            EXPECT_EQ(message, "Wrong field zise (fieldId: 133; size: " +
                                   std::to_string(picture.size() - 5) + ")")
                << size;
        }
    }
}

}  // namespace
