#include "config/Archive.h"

#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

namespace {

using testing_support::Bytes;

TEST(ArchiveText, LengthPrefixFormsAtTheirBoundaries) {
    struct Case {
        std::size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        ArchiveWriter writer;
        const std::string text(c.length, 'x');
        writer.WriteString(text);
        EXPECT_EQ(writer.Bytes().substr(0, c.prefix.size()), c.prefix) << c.length;
        EXPECT_EQ(writer.Bytes().size(), c.prefix.size() + c.length);
        ArchiveReader reader(writer.Bytes());
        EXPECT_EQ(reader.ReadString(), text);
        EXPECT_EQ(reader.Remaining(), 0u);
    }
}

TEST(ArchiveText, WideTextComesBackAsUtf8) {
    // 0xFF 0xFFFE marks a wide text; then a length of 3 characters in UTF-16LE.
    std::string data = Bytes({0xFF, 0xFE, 0xFF, 0x03, 'T', 0x00, 0xE9, 0x00, 0xAC, 0x20});
    ArchiveReader reader(data);
    EXPECT_EQ(reader.ReadString(), "T\xC3\xA9\xE2\x82\xAC");  // "Té€"
    // A long wide length uses the 16-bit form after the marker.
    std::string longer = Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01});
    longer += std::string(512, '\0');
    ArchiveReader longReader(longer);
    EXPECT_EQ(longReader.ReadString().size(), 256u);
}

TEST(ArchiveText, SixtyFourBitLengthAndTheLimit) {
    // 0xFFFFFFFF announces a 64-bit length.
    std::string data = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0, 0, 0});
    data += "ab";
    ArchiveReader reader(data);
    EXPECT_EQ(reader.ReadString(), "ab");

    std::string tooLong =
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0});
    ArchiveReader tooLongReader(tooLong);
    EXPECT_THROW(tooLongReader.ReadString(), ArchiveException);
}

TEST(ArchiveText, LengthBeyondTheDataIsAnError) {
    for (const std::string& data :
         {Bytes({0x05, 'a', 'b'}), Bytes({0xFF, 0x00}), Bytes({0xFF, 0xFE, 0xFF, 0x02, 'a', 0}),
          Bytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x10})}) {
        ArchiveReader reader(data);
        EXPECT_THROW(reader.ReadString(), ArchiveException);
    }
}

TEST(ArchiveList, CountFormsAndRoundTrip) {
    ArchiveWriter writer;
    writer.WriteStringList({"Blackjack", "", "Zeta"});
    EXPECT_EQ(writer.Bytes().substr(0, 2), Bytes({0x03, 0x00}));
    ArchiveReader reader(writer.Bytes());
    EXPECT_EQ(reader.ReadStringList(), (std::vector<std::string>{"Blackjack", "", "Zeta"}));

    ArchiveWriter big;
    big.WriteStringList(std::vector<std::string>(70000, ""));
    EXPECT_EQ(big.Bytes().substr(0, 6), Bytes({0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    ArchiveReader bigReader(big.Bytes());
    EXPECT_EQ(bigReader.ReadStringList().size(), 70000u);
}

TEST(ArchiveList, HugeCountIsRefusedBeforeAnythingIsMade) {
    std::string data = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00});
    ArchiveReader reader(data);
    EXPECT_THROW(reader.ReadStringList(), ArchiveException);
}

TEST(ArchiveIntegers, LittleEndianBothWays) {
    ArchiveWriter writer;
    writer.WriteInt32(-2);
    writer.WriteUInt16(0x1234);
    writer.WriteUInt64(0x0102030405060708ull);
    EXPECT_EQ(writer.Bytes(), Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 8, 7, 6, 5, 4, 3, 2, 1}));
    ArchiveReader reader(writer.Bytes());
    EXPECT_EQ(reader.ReadInt32(), -2);
    EXPECT_EQ(reader.ReadUInt16(), 0x1234);
    EXPECT_EQ(reader.ReadUInt64(), 0x0102030405060708ull);
    EXPECT_THROW(reader.ReadUInt8(), ArchiveException);
}

}  // namespace
