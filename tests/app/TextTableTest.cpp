#include "app/TextTable.h"

#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>

#include "ResourceIds.h"
#include "app/Resources.h"
#include "support/TestEnvironment.h"

namespace {

TextTable::Map ParseText(std::string_view text) {
    TextTable::Map map;
    TextTable::Parse(text, map);
    return map;
}

TEST(TextTableGrammar, BlanksAndTabsAroundKeyEqualsAndValueAreTrimmed) {
    auto map = ParseText("key=value\r\n \t key2 \t=\t value two \t\r\n");
    EXPECT_EQ(map.at("key"), "value");
    EXPECT_EQ(map.at("key2"), "value two");
    EXPECT_EQ(map.size(), 2u);
}

TEST(TextTableGrammar, FirstEqualsSplitsAndTheRestBelongsToTheValue) {
    auto map = ParseText("a = b = c\r\n");
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map.at("a"), "b = c");
}

TEST(TextTableGrammar, FirstDefinitionOfAKeyWins) {
    auto map = ParseText("k = first\r\nk = second\r\n");
    EXPECT_EQ(map.at("k"), "first");
}

TEST(TextTableGrammar, EmptyKeyOrValueDropsTheLine) {
    auto map =
        ParseText("empty =\r\nblank =   \t\r\n= value\r\n  = value\r\nonly-cr =\r\nok = 1\r\n");
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map.at("ok"), "1");
}

TEST(TextTableGrammar, LinesWithoutEqualsAreIgnored) {
    auto map = ParseText("//Main window\r\n\r\njust words\r\nk = v\r\n");
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map.at("k"), "v");
}

TEST(TextTableGrammar, TypedCrLfEscapeBecomesALineBreakInTheValueOnly) {
    auto map = ParseText("k\\r\\nx = one\\r\\ntwo\\r\\nthree\r\nplain = a\\nb\r\n");
    EXPECT_EQ(map.at("k\\r\\nx"), "one\r\ntwo\r\nthree");
    // A backslash and n alone is no escape.
    EXPECT_EQ(map.at("plain"), "a\\nb");
}

TEST(TextTableGrammar, EscapeNeedsAllFourCharacters) {
    // The escape's last character would lie beyond the text: no escape.
    auto map = ParseText("k = a\\r\\");
    EXPECT_EQ(map.at("k"), "a\\r\\");
}

TEST(TextTableGrammar, CommentLineHoldingEqualsIsAnEntry) {
    auto map = ParseText("//a = b\r\n");
    EXPECT_EQ(map.at("//a"), "b");
}

TEST(TextTableGrammar, LastLineWithoutLineEndKeepsItsLastByte) {
    auto map = ParseText("a = 1\r\nlast = xyz");
    EXPECT_EQ(map.at("last"), "xyz");
    // A single-byte value at the very end.
    EXPECT_EQ(ParseText("k=v").at("k"), "v");
}

TEST(TextTableGrammar, LineFeedOnlyLinesReadLikeCrLfLines) {
    auto lf = ParseText("a = 1\nb = 2\n");
    auto crlf = ParseText("a = 1\r\nb = 2\r\n");
    EXPECT_EQ(lf, crlf);
    EXPECT_EQ(lf.at("b"), "2");
}

TEST(TextTableGrammar, KeysAreOrderedBytewiseAndCaseSensitive) {
    auto map = ParseText("b = 1\r\nB = 2\r\na = 3\r\n");
    std::vector<std::string> keys;
    for (const auto& [key, value] : map) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"B", "a", "b"}));
}

TEST(TextTableGrammar, ParseClearsWhatTheMapHeld) {
    TextTable::Map map{{"old", "value"}};
    TextTable::Parse("new = value\r\n", map);
    EXPECT_EQ(map.count("old"), 0u);
    EXPECT_EQ(map.count("new"), 1u);
}

TEST(TextTableGrammar, BytesBeyondAsciiAndEmbeddedZerosAreKept) {
    std::string text("k = caf\xC3\xA9\0x\r\n", 13);
    auto map = ParseText(text);
    EXPECT_EQ(map.at("k"), std::string("caf\xC3\xA9\0x", 7));
}

TEST(ProgramTexts, ShippedTableHasEveryKeyWithItsText) {
    EXPECT_EQ(GetText("main.buttons.tray.tooltip"), "Minimize to tray");
    EXPECT_EQ(GetText("update.avaliable.balloon.title"), "Tivora update is available");
    EXPECT_EQ(GetText("favorites.buttons.remove.tooltip"),
              "Click this button to remove game from favorites");
    EXPECT_EQ(GetText("error.configuration"),
              "Configuration file doesn't exist or has an invalid format. Try to reinstall the "
              "application.");
    EXPECT_EQ(GetText("no.such.key"), "");
}

TEST(ProgramTexts, ShippedResourceHasCrLfLineEndsAndEndsWithOne) {
    QFile file(QStringLiteral(":/strings/1042.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    TextTable::Map map;
    TextTable::Parse(std::string_view(bytes.constData(), bytes.size()), map);
    EXPECT_EQ(map.size(), 17u);
}

TEST(ProgramTexts, MissingResourceWritesOneLineAndLeavesTheTableEmpty) {
    testing_support::TempHome home;
    TextTable table;
    EXPECT_FALSE(table.LoadResource(":/strings/no-such-resource.txt"));
    EXPECT_TRUE(table.Entries().empty());
    EXPECT_EQ(table.Get("main.buttons.tray.tooltip"), "");
    std::string log = testing_support::ReadFile(home.ErrorLogPath());
    EXPECT_NE(log.find("] ERROR: Unable to find strings in resources\n"), std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
}

TEST(ProgramTexts, LoadingIsTracedOnce) {
    testing_support::TraceRecorder traces;
    GetText("a");
    GetText("b");
    auto texts = traces.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Strings resource initialisation"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "End of strings resource initialisation"), 1);
}

TEST(StringTable, WindowClassNameComesFromItsEntry) {
    EXPECT_EQ(Resources::LoadString(Res::IDS_WINDOW_CLASS),
              "TIVORA_85680421-BCB9-4dce-8533-E7EB64C554D5");
    EXPECT_EQ(Resources::LoadString(99999), "");
}

}  // namespace
