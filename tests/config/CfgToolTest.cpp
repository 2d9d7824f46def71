// tivora-cfg as its users run it, and the sample catalogue that the build packs with it.
#include <gtest/gtest.h>

#include <QProcess>
#include <set>

#include "ConfigFixtures.h"
#include "config/GamesConfig.h"
#include "support/TestEnvironment.h"

namespace {

using config_fixtures::File;
using config_fixtures::MakeGame;
using config_fixtures::Png;
using testing_support::FileExists;
using testing_support::ReadFile;
using testing_support::TempHome;
using testing_support::WriteFile;

struct ToolRun {
    int exitCode;
    std::string out;
    std::string err;
};

ToolRun Tool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(TIVORA_CFG_TOOL), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

const char* const kDescription = R"(<catalogue>
  <texts>
    ProductVersion = 1.0.10
    WebmasterVersion = 12
    ManifestUrl = http://m.invalid/manifest.xml
    RegistrationUrl = http://m.invalid/register
    DistributionId = d-1
  </texts>
  <game name="alpha" url="http://g.invalid/alpha" picture="p.png" flags="full-screen"/>
  <game name="Zeta" url="http://g.invalid/zeta" picture="p.png" flags="controlled favorite"
        extra="last letter"/>
</catalogue>
)";

class CfgTool : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(home.Root() + "/p.png", Png());
        WriteFile(Description(), kDescription);
    }
    std::string Description() const { return home.Root() + "/catalogue.xml"; }
    std::string Output() const { return home.Root() + "/tivora.cfg"; }
    TempHome home;
};

TEST_F(CfgTool, PackThenDumpShowsTheGamesInCatalogueOrder) {
    const ToolRun pack = Tool({"pack", Q(Description()), Q(Output())});
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(pack.err, "");

    const ToolRun dump = Tool({"dump", Q(Output())});
    EXPECT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_EQ(dump.out,
              "Texts:\n"
              "  DistributionId = d-1\n"
              "  ManifestUrl = http://m.invalid/manifest.xml\n"
              "  ProductVersion = 1.0.10\n"
              "  RegistrationUrl = http://m.invalid/register\n"
              "  WebmasterVersion = 12\n"
              "WebmasterVersion as a number: 12\n"
              "Games (2, in catalogue order):\n"
              "  Zeta\n"
              "    url:     http://g.invalid/zeta\n"
              "    flags:   favorite controlled\n"
              "    picture: 21 x 21, image 0\n"
              "    extra:   last letter\n"
              "  alpha\n"
              "    url:     http://g.invalid/alpha\n"
              "    flags:   full-screen\n"
              "    picture: 21 x 21, image 1\n");
}

TEST_F(CfgTool, DumpPrintsTheReadersErrorForABrokenFile) {
    ASSERT_EQ(Tool({"pack", Q(Description()), Q(Output())}).exitCode, 0);
    const std::string packed = ReadFile(Output());
    WriteFile(Output(), packed.substr(0, packed.size() - 10));
    const ToolRun truncated = Tool({"dump", Q(Output())});
    EXPECT_EQ(truncated.exitCode, 1);
    EXPECT_EQ(truncated.out, "");
    EXPECT_EQ(truncated.err, "Configuration error: Wrong field zise (fieldId: 133; size: " +
                                 std::to_string(Png().size()) + ")\n");

    WriteFile(Output(), File({MakeGame("A")}, config_fixtures::Texts({{"ProductVersion", "2"}})));
    EXPECT_EQ(Tool({"dump", Q(Output())}).err,
              "Configuration error: Wrong version in config: 2.0.0.0\n");

    const ToolRun missing = Tool({"dump", Q(home.Root() + "/none.cfg")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "Configuration error: Games configuration file doesn't exist\n");
}

TEST_F(CfgTool, DumpEscapesControlCharacters) {
    WriteFile(Output(), File({MakeGame("Red\x1b[31m\\")}));
    const ToolRun dump = Tool({"dump", Q(Output())});
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_NE(dump.out.find("  Red\\x1b[31m\\\\\n"), std::string::npos) << dump.out;
    EXPECT_EQ(dump.out.find('\x1b'), std::string::npos);
}

TEST_F(CfgTool, PackRefusesABadDescriptionAndLeavesTheOutputAlone) {
    WriteFile(Output(), "previous");
    std::string bad = kDescription;
    bad.replace(bad.find("controlled favorite"), 19, "controlled fav");
    WriteFile(Description(), bad);
    const ToolRun pack = Tool({"pack", Q(Description()), Q(Output())});
    EXPECT_EQ(pack.exitCode, 1);
    EXPECT_EQ(pack.err, Description() +
                            ":10: error: unknown flag 'fav'; known: favorite, full-screen, "
                            "controlled\n");
    EXPECT_EQ(ReadFile(Output()), "previous");

    const ToolRun unreadable = Tool({"pack", Q(home.Root() + "/none.xml"), Q(Output())});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_NE(unreadable.err.find("none.xml: error: cannot read the description"),
              std::string::npos)
        << unreadable.err;

    const ToolRun unwritable =
        Tool({"pack", Q(Description()), Q(home.Root() + "/no/such/out.cfg")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_FALSE(FileExists(home.Root() + "/no/such/out.cfg"));
}

TEST(CfgToolUsage, WrongArgumentsShowTheUsage) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"dump"}, QStringList{"pack", "a"}, QStringList{"list", "x"}}) {
        const ToolRun run = Tool(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("usage: tivora-cfg pack DESCRIPTION OUTPUT"), std::string::npos);
    }
}

// The catalogue that the build puts beside the program: games of every kind at the demo
// server's addresses.
TEST(SampleCatalogue, LoadsWithGamesOfEveryKindAtTheDemoServer) {
    GamesConfig config;
    config.LoadGamesConfig(TIVORA_SAMPLE_CATALOGUE);
    EXPECT_EQ(config.GetText("ManifestUrl"), "http://127.0.0.1:47613/manifest.xml");
    EXPECT_EQ(config.GetText("RegistrationUrl"), "http://127.0.0.1:47613/register");
    EXPECT_FALSE(config.GetText("DistributionId").empty());
    EXPECT_GT(GetWebmasterVersion(), 0);

    std::size_t favorites = 0;
    std::size_t fullScreen = 0;
    std::size_t controlled = 0;
    std::set<int> images;
    auto games = config.CreateFullIterator();
    while (games->HasNext()) {
        const Game& game = games->Next();
        std::string slug;
        for (char c : game.name) {
            slug += c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(game.url, "http://127.0.0.1:47613/games/" + slug + ".html");
        EXPECT_EQ(game.bitmap.size(), QSize(21, 21)) << game.name;
        images.insert(config.GetImageIndex(game));
        favorites += game.isFavorite ? 1 : 0;
        fullScreen += game.isFullScreen ? 1 : 0;
        controlled += game.isControlled ? 1 : 0;
    }
    EXPECT_GE(config.GetGamesCount(), 10u);
    EXPECT_EQ(images.size(), config.GetGamesCount());
    EXPECT_EQ(images.count(-1), 0u);
    // The toolbar shows up to four favourites.
    EXPECT_GE(favorites, 1u);
    EXPECT_LE(favorites, 4u);
    EXPECT_GE(fullScreen, 1u);
    EXPECT_GE(controlled, 1u);
}

}  // namespace
