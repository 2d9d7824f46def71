#include "cfg/CatalogueDescription.h"

#include <gtest/gtest.h>

#include <QDir>

#include "ConfigFixtures.h"
#include "config/GamesConfig.h"
#include "support/TestEnvironment.h"

namespace {

using config_fixtures::Png;
using testing_support::TempHome;
using testing_support::WriteFile;

// Line numbers of the faults below refer to this text.
const std::string kDescription = R"(<?xml version="1.0" encoding="UTF-8"?>
<catalogue>
  <texts>
    // comment
    ProductVersion = 1.0.10.0
    WebmasterVersion = 7
    ManifestUrl = http://m.invalid/manifest.xml
    RegistrationUrl = http://m.invalid/register
    DistributionId = d-1
  </texts>
  <game name="Chess" url="http://g.invalid/chess" picture="p.png" flags="favorite controlled"
        extra="kings &amp; queens"/>
  <game name="Go" url="http://g.invalid/go" picture="p.png"/>
</catalogue>
)";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at == std::string::npos) {
        throw std::logic_error("not in the description: " + from);
    }
    return text.replace(at, from.size(), to);
}

class Description : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(Folder() + "/p.png", Png());
        WriteFile(Folder() + "/big.png", Png(22, 21));
        WriteFile(Folder() + "/bad.png", "not a picture");
    }
    std::string Folder() const { return home.Root(); }
    std::optional<CfgPack::DescriptionError> Parse(const std::string& xml) {
        return CfgPack::ParseDescription(QByteArray::fromStdString(xml),
                                         QString::fromStdString(Folder()), catalogue);
    }
    TempHome home;
    CfgPack::Catalogue catalogue;
};

TEST_F(Description, AGoodDescriptionGivesTheTextsAndTheGamesInItsOrder) {
    ASSERT_FALSE(Parse(kDescription).has_value());
    EXPECT_EQ(catalogue.texts,
              "ProductVersion = 1.0.10.0\r\nWebmasterVersion = 7\r\n"
              "ManifestUrl = http://m.invalid/manifest.xml\r\n"
              "RegistrationUrl = http://m.invalid/register\r\nDistributionId = d-1\r\n");
    ASSERT_EQ(catalogue.games.size(), 2u);
    const CfgPack::GameEntry& chess = catalogue.games[0];
    EXPECT_EQ(chess.name, "Chess");
    EXPECT_EQ(chess.url, "http://g.invalid/chess");
    EXPECT_EQ(chess.extraText, "kings & queens");
    EXPECT_EQ(chess.flags, Game::FLAG_FAVORITE | Game::FLAG_CONTROLLED);
    EXPECT_EQ(chess.picture, Png());
    EXPECT_EQ(catalogue.games[1].name, "Go");
    EXPECT_EQ(catalogue.games[1].flags, 0u);
    EXPECT_EQ(catalogue.games[1].extraText, "");
}

TEST_F(Description, WhatIsPackedIsWhatTheProgramReads) {
    const std::string xml = Replaced(Replaced(kDescription, "name=\"Go\"",
                                              "name=\"\xc3\x89"
                                              "checs\""),
                                     "// comment", "Escaped = one\\r\\ntwo");
    ASSERT_FALSE(Parse(xml).has_value());
    GamesConfig config;
    config.LoadGamesConfigData(CfgPack::Encode(catalogue));
    EXPECT_EQ(config.GetText("DistributionId"), "d-1");
    EXPECT_EQ(config.GetText("Escaped"), "one\r\ntwo");
    EXPECT_EQ(GetWebmasterVersion(), 7);
    auto games = config.CreateFullIterator();
    ASSERT_TRUE(games->HasNext());
    const Game& chess = games->Next();
    EXPECT_EQ(chess.name, "Chess");
    EXPECT_TRUE(chess.isFavorite);
    EXPECT_TRUE(chess.isControlled);
    EXPECT_FALSE(chess.isFullScreen);
    ASSERT_TRUE(games->HasNext());
    EXPECT_EQ(games->Next().name,
              "\xc3\x89"
              "checs");  // UTF-8, after every ASCII name
}

TEST_F(Description, PicturesAreFoundBesideTheDescriptionFile) {
    QDir(QString::fromStdString(Folder())).mkdir("sub");
    WriteFile(Folder() + "/sub/p.png", Png(21, 21, QColor(1, 2, 3)));
    WriteFile(Folder() + "/sub/catalogue.xml", kDescription);
    ASSERT_FALSE(
        CfgPack::ReadDescription(QString::fromStdString(Folder() + "/sub/catalogue.xml"), catalogue)
            .has_value());
    EXPECT_EQ(catalogue.games[0].picture, Png(21, 21, QColor(1, 2, 3)));

    auto missing =
        CfgPack::ReadDescription(QString::fromStdString(Folder() + "/none.xml"), catalogue);
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->line, 0);
}

struct Fault {
    std::string from;
    std::string to;
    long long line;
    std::string reason;  // a part of the reason given
};

TEST_F(Description, EveryFaultIsReportedWithItsLine) {
    const Fault faults[] = {
        // XML itself
        {"</texts>", "</text>", 10, "mismatch"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE catalogue>", 2, "no document type declaration"},
        {"<catalogue>", "<catalog>", 2, "must start with <catalogue>"},
        {"<catalogue>", "<catalogue version=\"2\">", 2, "takes no attributes"},
        {"  <texts>", "  stray words\n  <texts>", 3, "unexpected text in <catalogue>"},
        {"<game name=\"Go\"", "<gme name=\"Go\"", 13, "unknown element <gme>"},
        // texts
        {"<texts>", "<texts lang=\"en\">", 3, "takes no attributes"},
        {"    ManifestUrl = http://m.invalid/manifest.xml", "    ManifestUrl", 7,
         "expected key = value"},
        {"DistributionId = d-1", "DistributionId =", 9, "'DistributionId' has no value"},
        {"DistributionId = d-1", "= d-1", 9, "no key before the ="},
        {"DistributionId = d-1", "ProductVersion = 1.0.10.0", 9, "already set on line 5"},
        {"    DistributionId = d-1\n", "", 3, "required text 'DistributionId' is missing"},
        {"ProductVersion = 1.0.10.0", "ProductVersion = 1.0.10.0.1", 5,
         "not a version such as 1.0.10.0"},
        {"WebmasterVersion = 7", "WebmasterVersion = 7a", 6, "'7a' is not a whole number"},
        {"WebmasterVersion = 7", "WebmasterVersion = 9999999999", 6, "is not a whole number"},
        {"    // comment", "    <!-- one\n         two -->\n    Broken line", 6,
         "expected key = value"},
        {"    // comment", "    <b>bold</b>", 4, "not <b>"},
        {"</catalogue>", "  <texts>\n  </texts>\n</catalogue>", 14,
         "a second <texts>; the first is on line 3"},
        // games
        {"flags=\"favorite controlled\"", "flags=\"favourite\"", 11, "unknown flag 'favourite'"},
        {"extra=\"kings", "extras=\"kings", 11, "unknown attribute 'extras'"},
        {"name=\"Go\"", "name=\"Chess\"", 13, "already defined on line 11"},
        {"name=\"Go\" ", "", 13, "needs a name"},
        {"url=\"http://g.invalid/go\"", "", 13, "'Go' needs a url"},
        {"url=\"http://g.invalid/go\"", "url=\"go.html\"", 13, "not an absolute address"},
        {"picture=\"p.png\"/>", "/>", 13, "'Go' needs a picture"},
        {"picture=\"p.png\"/>", "picture=\"missing.png\"/>", 13,
         "cannot read the picture 'missing.png'"},
        {"picture=\"p.png\"/>", "picture=\"bad.png\"/>", 13, "not an image that can be decoded"},
        {"picture=\"p.png\"/>", "picture=\"big.png\"/>", 13, "is 22 x 21 pixels"},
        {"picture=\"p.png\"/>", "picture=\"p.png\">text</game>", 13, "unexpected text in <game>"},
        {"picture=\"p.png\"/>", "picture=\"p.png\"><x/></game>", 13, "<game> holds nothing"},
        // the whole
        {"  <game name=\"Chess\" url=\"http://g.invalid/chess\" picture=\"p.png\" flags=\"favorite "
         "controlled\"\n        extra=\"kings &amp; queens\"/>\n  <game name=\"Go\" "
         "url=\"http://g.invalid/go\" picture=\"p.png\"/>\n",
         "", 11, "needs at least one <game>"},
        {"  <texts>\n", "  <text>\n", 3, "unknown element <text>"},
    };
    for (const Fault& fault : faults) {
        auto error = Parse(Replaced(kDescription, fault.from, fault.to));
        ASSERT_TRUE(error.has_value()) << fault.to;
        EXPECT_EQ(error->line, fault.line) << fault.to << ": " << error->reason;
        EXPECT_NE(error->reason.find(fault.reason), std::string::npos)
            << fault.to << ": " << error->reason;
    }
}

TEST_F(Description, TheCatalogueIsLeftAloneOnAFault) {
    catalogue.texts = "kept";
    ASSERT_TRUE(Parse(Replaced(kDescription, "flags=\"favorite", "flags=\"x")).has_value());
    EXPECT_EQ(catalogue.texts, "kept");
    EXPECT_TRUE(catalogue.games.empty());
    ASSERT_TRUE(Parse("").has_value());

    auto latin1 = Parse(Replaced(kDescription, "kings", "k\xf6nige"));
    ASSERT_TRUE(latin1.has_value());
    EXPECT_EQ(latin1->line, 12);
    EXPECT_EQ(latin1->reason, "the description is not UTF-8 text");
}

}  // namespace
