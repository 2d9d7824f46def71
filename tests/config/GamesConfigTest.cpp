#include "config/GamesConfig.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "ConfigFixtures.h"
#include "app/Exceptions.h"
#include "support/TestEnvironment.h"

namespace {

using config_fixtures::AllNames;
using config_fixtures::FavoriteNames;
using config_fixtures::FavoritesLog;
using config_fixtures::File;
using config_fixtures::MakeGame;
using config_fixtures::Png;
using config_fixtures::Texts;
using testing_support::TempHome;
using testing_support::TraceRecorder;

const Game& Find(const GamesConfig& config, const std::string& name) {
    auto games = config.CreateFullIterator();
    while (games->HasNext()) {
        const Game& game = games->Next();
        if (game.name == name) {
            return game;
        }
    }
    throw std::runtime_error("no game " + name);
}

std::string LoadError(const std::string& bytes) {
    GamesConfig config;
    try {
        config.LoadGamesConfigData(bytes);
    } catch (const ConfigurationException& error) {
        return error.GetMessage();
    }
    return "(loaded)";
}

TEST(GamesCatalogue, GamesAreInByteWiseNameOrder) {
    GamesConfig config;
    config.LoadGamesConfigData(
        File({MakeGame("alpha"), MakeGame("Zeta"), MakeGame("Mid"), MakeGame("_under")}));
    EXPECT_EQ(AllNames(config), (std::vector<std::string>{"Mid", "Zeta", "_under", "alpha"}));
    EXPECT_EQ(config.GetGamesCount(), 4u);
}

TEST(GamesCatalogue, RecordsKeepEveryFieldOfTheFile) {
    CfgPack::GameEntry entry{"Chess", "http://games.invalid/chess?x=1", "any\r\ntext",
                             Game::FLAG_FULL_SCREEN, Png(21, 21, QColor(9, 8, 7))};
    GamesConfig config;
    config.LoadGamesConfigData(File({entry}));
    const Game& game = Find(config, "Chess");
    EXPECT_EQ(game.url, entry.url);
    EXPECT_EQ(game.extraText, entry.extraText);
    EXPECT_EQ(game.bitmap.pixelColor(0, 0), QColor(9, 8, 7));
    // The caller's copy of the picture is its own.
    QImage copy = game.CopyBitmap();
    copy.fill(Qt::white);
    EXPECT_EQ(game.bitmap.pixelColor(0, 0), QColor(9, 8, 7));
}

TEST(GamesCatalogue, FirstOfTwoRecordsWithOneNameStaysAndTheCounterStillAdvances) {
    CfgPack::GameEntry second = MakeGame("Chess", Game::FLAG_CONTROLLED);
    second.url = "http://games.invalid/second";
    GamesConfig config;
    config.LoadGamesConfigData(
        File({MakeGame("Chess", Game::FLAG_FAVORITE), second, MakeGame("Go")}));
    EXPECT_EQ(AllNames(config), (std::vector<std::string>{"Chess", "Go"}));
    const Game& chess = Find(config, "Chess");
    EXPECT_EQ(chess.url, "http://games.invalid/Chess");
    EXPECT_TRUE(chess.isFavorite);
    EXPECT_FALSE(chess.isControlled);
    EXPECT_EQ(Find(config, "Go").sequenceNumber, chess.sequenceNumber + 2);
    EXPECT_EQ(config.GetImageIndex(chess), 0);
    EXPECT_EQ(config.GetImageIndex(Find(config, "Go")), 1);
}

TEST(GamesCatalogue, SequenceNumbersAreNeverReusedByALaterLoad) {
    GamesConfig first;
    first.LoadGamesConfigData(File({MakeGame("A")}));
    GamesConfig second;
    second.LoadGamesConfigData(File({MakeGame("A")}));
    EXPECT_GT(Find(second, "A").sequenceNumber, Find(first, "A").sequenceNumber);
}

TEST(GamesCatalogue, OnlyTheThreeLowBitsOfTheFlagWordCount) {
    GamesConfig config;
    config.LoadGamesConfigData(
        File({MakeGame("None", 0xFFFFFFF8), MakeGame("Fav", 1), MakeGame("Full", 2),
              MakeGame("Ctl", 4), MakeGame("All", 0xFFFFFFFF)}));
    auto flags = [&](const std::string& name) {
        const Game& game = Find(config, name);
        return std::vector<bool>{game.isFavorite, game.isFavoriteByDefault, game.isFullScreen,
                                 game.isControlled};
    };
    EXPECT_EQ(flags("None"), (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(flags("Fav"), (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(flags("Full"), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(flags("Ctl"), (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(flags("All"), (std::vector<bool>{true, true, true, true}));
}

TEST(GamesCatalogue, ReloadingReplacesTheGames) {
    GamesConfig config;
    config.LoadGamesConfigData(File({MakeGame("Old"), MakeGame("Both")}));
    config.LoadGamesConfigData(File({MakeGame("Both"), MakeGame("New")}));
    EXPECT_EQ(AllNames(config), (std::vector<std::string>{"Both", "New"}));
    EXPECT_EQ(config.GetGameImages().Count(), 2);
}

TEST(GamesCatalogueTexts, RequiredTextsMustBeThereAndNotEmpty) {
    for (const char* key : {"ProductVersion", "WebmasterVersion", "ManifestUrl", "RegistrationUrl",
                            "DistributionId"}) {
        EXPECT_EQ(LoadError(File({MakeGame("A")}, Texts({{key, std::nullopt}}))),
                  "Wrong strings format in configuration file")
            << key;
        // A line with nothing after the "=" is no text at all.
        EXPECT_EQ(LoadError(File({MakeGame("A")}, Texts({{key, ""}}))),
                  "Wrong strings format in configuration file")
            << key;
    }
}

TEST(GamesCatalogueTexts, TextsAreLookedUpAndOptionalOnesMayBeMissing) {
    GamesConfig config;
    config.LoadGamesConfigData(File({MakeGame("A")}, Texts({{"Custom", "a = b"}})));
    EXPECT_EQ(config.GetText("ManifestUrl"), "http://updates.invalid/manifest.xml");
    EXPECT_EQ(config.GetText("Custom"), "a = b");
    EXPECT_EQ(config.GetText("NuvexaCode"), "");
    EXPECT_EQ(config.GetText("manifesturl"), "");
}

TEST(GamesCatalogueTexts, WebmasterVersionIsReadLikeAtoi) {
    const std::pair<std::string, int> cases[] = {
        {"12abc", 12}, {"abc", 0}, {" \t42", 42}, {"-3", -3}, {"+5x", 5}, {"99999999999", INT_MAX}};
    for (const auto& [text, expected] : cases) {
        GamesConfig config;
        config.LoadGamesConfigData(File({MakeGame("A")}, Texts({{"WebmasterVersion", text}})));
        EXPECT_EQ(GetWebmasterVersion(), expected) << text;
    }
}

TEST(GamesCatalogueVersion, ProductVersionMustBeThisProgramsVersion) {
    EXPECT_EQ(LoadError(File({MakeGame("A")}, Texts({{"ProductVersion", "1.0.10"}}))), "(loaded)");
    EXPECT_EQ(LoadError(File({MakeGame("A")}, Texts({{"ProductVersion", "1.0.11"}}))),
              "Wrong version in config: 1.0.11.0");
    EXPECT_EQ(LoadError(File({MakeGame("A")}, Texts({{"ProductVersion", "1.0.9"}}))),
              "Wrong version in config: 1.0.9.0");
    EXPECT_EQ(LoadError(File({MakeGame("A")}, Texts({{"ProductVersion", "1.0.x.0"}}))),
              "Wrong version in config: 1.0.0.0");
}

TEST(GamesCatalogueStructure, BrokenFilesAreRefusedWithTheReadersMessage) {
    const std::string good = File({MakeGame("A"), MakeGame("B")});
    const std::size_t lastPicture = Png().size();
    // The file ends inside the last game's picture.
    EXPECT_EQ(LoadError(good.substr(0, good.size() - 1)),
              "Wrong field zise (fieldId: 133; size: " + std::to_string(lastPicture) + ")");
    // Only the texts: a string may not end at the end of the file.
    const std::string texts = Texts();
    EXPECT_EQ(LoadError(File({})),
              "Wrong field size (fieldId: 128; size: " + std::to_string(texts.size()) + ")");
    EXPECT_EQ(LoadError(""), "Wrong field Id (wait: 128; real: end of file)");
    // A game record cut after its name and the next field's id.
    EXPECT_EQ(LoadError(File({}) + CfgPack::StringField(GamesConfig::GAME_NAME, "A") + "\x82"),
              "Wrong field size (fieldId: 130; size: end of file)");
    // Fields out of order.
    EXPECT_EQ(LoadError(File({}) + CfgPack::StringField(GamesConfig::GAME_URL, "u") + "x"),
              "Wrong field Id (wait: 129; real: 130)");
}

// A picture that does not decode fails the whole file: a catalogue is made and checked by its
// maker, and a game without a picture has no good place on the toolbar.
TEST(GamesCatalogueStructure, UndecodablePictureFailsTheFile) {
    CfgPack::GameEntry broken = MakeGame("Broken");
    broken.picture = "GIF89a but not really";
    EXPECT_EQ(
        LoadError(File({MakeGame("A"), broken})),
        "Wrong field picture (fieldId: 133; size: " + std::to_string(broken.picture.size()) + ")");
}

TEST(GamesCataloguePictures, EachGameHasItsPictureInTheListWithTheKeyColourTransparent) {
    CfgPack::GameEntry wide = MakeGame("B-wide");
    wide.picture = Png(42, 21, QColor(0, 255, 0));
    CfgPack::GameEntry small = MakeGame("C-small");
    small.picture = Png(10, 10);
    CfgPack::GameEntry keyed = MakeGame("A-keyed");
    keyed.picture = Png(21, 21, QColor(0, 255, 0));
    GamesConfig config;
    config.LoadGamesConfigData(File({small, wide, MakeGame("D-plain"), keyed}));

    const ImageList& images = config.GetGameImages();
    EXPECT_EQ(images.Width(), 21);
    EXPECT_EQ(images.Height(), 21);
    // A wide picture is cut in two; the game gets the first, the next game the one after.
    EXPECT_EQ(config.GetImageIndex(Find(config, "A-keyed")), 0);
    EXPECT_EQ(config.GetImageIndex(Find(config, "B-wide")), 1);
    EXPECT_EQ(config.GetImageIndex(Find(config, "D-plain")), 3);
    EXPECT_EQ(images.Count(), 4);
    // Too small for the list: the game stays, without a list picture.
    EXPECT_EQ(config.GetImageIndex(Find(config, "C-small")), -1);
    EXPECT_EQ(AllNames(config).size(), 4u);

    EXPECT_EQ(qAlpha(images.Image(0).pixel(10, 10)), 0);
    EXPECT_EQ(images.Image(3).pixelColor(10, 10), QColor(200, 30, 30));
    // The game keeps its picture as it was; only the list's copy is keyed.
    EXPECT_EQ(Find(config, "A-keyed").bitmap.pixelColor(10, 10), QColor(0, 255, 0));
}

TEST(GamesCatalogueFile, MissingFileFolderAndHugeFile) {
    TempHome home;
    GamesConfig config;
    try {
        config.LoadGamesConfig(home.Root() + "/tivora.cfg");
        ADD_FAILURE() << "a missing file loaded";
    } catch (const ConfigurationException& error) {
        EXPECT_EQ(error.GetMessage(), "Games configuration file doesn't exist");
    }

    std::filesystem::create_directory(home.Root() + "/folder.cfg");
    EXPECT_THROW(config.LoadGamesConfig(home.Root() + "/folder.cfg"), FrameworkException);

    // 4 GiB, sparse: refused from its length, before anything is read or allocated.
    const std::string huge = home.Root() + "/huge.cfg";
    testing_support::WriteFile(huge, File({MakeGame("A")}));
    std::filesystem::resize_file(huge, std::uintmax_t{1} << 32);
    try {
        config.LoadGamesConfig(huge);
        ADD_FAILURE() << "a 4 GiB file loaded";
    } catch (const ConfigurationException& error) {
        EXPECT_EQ(error.GetMessage(), "Unable to read games configuration file");
    }
}

TEST(GamesCatalogueFile, FoundBesideTheExecutableElseInTheInstalledDataFolder) {
    TempHome home;
    const std::string prefix = home.Root() + "/prefix";
    const std::string bin = prefix + "/bin";
    const std::string installed = prefix + "/share/tivora/tivora.cfg";
    std::filesystem::create_directories(prefix + "/share/tivora");
    std::filesystem::create_directories(bin);

    GamesConfig config;
    try {
        config.LoadGamesConfigFor(bin);
        ADD_FAILURE() << "loaded without a catalogue";
    } catch (const ConfigurationException& error) {
        EXPECT_EQ(error.GetMessage(), "Games configuration file doesn't exist");
    }
    const std::string log = testing_support::ReadFile(home.ErrorLogPath());
    EXPECT_NE(log.find("ERROR: Looked for the games configuration file at " + bin +
                       "/tivora.cfg and at " + installed + "\n"),
              std::string::npos)
        << log;

    testing_support::WriteFile(installed, File({MakeGame("Installed")}));
    config.LoadGamesConfigFor(bin + "/");
    EXPECT_EQ(AllNames(config), std::vector<std::string>{"Installed"});
    // A catalogue beside the executable (a build folder) comes first.
    testing_support::WriteFile(bin + "/tivora.cfg", File({MakeGame("Beside")}));
    config.LoadGamesConfigFor(bin);
    EXPECT_EQ(AllNames(config), std::vector<std::string>{"Beside"});

    EXPECT_EQ(GamesConfig::CataloguePlaces("/"),
              (std::vector<std::string>{"/tivora.cfg", "/share/tivora/tivora.cfg"}));
}

TEST(GamesCatalogueFile, UnreadableFileIsAFrameworkError) {
    TempHome home;
    const std::string path = home.Root() + "/tivora.cfg";
    testing_support::WriteFile(path, File({MakeGame("A")}));
    std::filesystem::permissions(path, std::filesystem::perms::none);
    // Root reads every file, so as root the load runs as an unprivileged user, who may pass
    // through the folder but not read the file. In a child made afresh: the program's threads
    // do not survive a fork.
    std::filesystem::permissions(home.Root(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            constexpr uid_t kNobody = 65534;
            if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
                std::_Exit(2);
            }
            GamesConfig config;
            try {
                config.LoadGamesConfig(path);
            } catch (const FrameworkException&) {
                std::_Exit(0);
            } catch (...) {
                std::_Exit(3);
            }
            std::_Exit(4);
        },
        testing::ExitedWithCode(0), "");
}

TEST(GamesCatalogueFile, LoadingAFileTracesItsSteps) {
    TempHome home;
    const std::string path = home.Root() + "/tivora.cfg";
    const std::string texts = Texts();
    testing_support::WriteFile(path, File({MakeGame("Chess")}, texts));
    TraceRecorder traces;
    {
        GamesConfig config;
        config.LoadGamesConfig(path);
        EXPECT_EQ(AllNames(config), std::vector<std::string>{"Chess"});
    }
    std::vector<std::string> expected = {
        "Config section instantiate",
        "Load games config from file " + path,
        "Start parsing config file",
        "Clear games config list",
        "Texts = \r\n" + texts,
        "Game Chess Created",
        "End of parsing config file",
        "GamesConfig::FullIterator instantiated",  // building the picture list
        "GamesConfig::FullIterator deleted",
        "GamesConfig::FullIterator instantiated",  // the test's own walk
        "GamesConfig::FullIterator deleted",
        "Config section deleted",
    };
    EXPECT_EQ(traces.Texts(), expected);
}

class Favorites : public ::testing::Test {
protected:
    void SetUp() override {
        config.LoadGamesConfigData(
            File({MakeGame("Chess", Game::FLAG_FAVORITE), MakeGame("Go"),
                  MakeGame("Poker", Game::FLAG_FAVORITE), MakeGame("Snake")}));
        registration = config.AddFavoritesListener(log);
    }
    GamesConfig config;
    FavoritesLog log;
    GamesConfig::FavoritesRegistration registration;
};

TEST_F(Favorites, TheFilesMarksComeFirst) {
    EXPECT_EQ(FavoriteNames(config), (std::vector<std::string>{"Chess", "Poker"}));
}

TEST_F(Favorites, AnEmptyListClearsThemAll) {
    config.SetFavorites({});
    EXPECT_TRUE(FavoriteNames(config).empty());
    EXPECT_TRUE(Find(config, "Chess").isFavoriteByDefault);
    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_TRUE(log.calls[0].empty());
}

TEST_F(Favorites, UnknownAndRepeatedNamesAndAnyOrder) {
    const std::vector<std::string> names = {"Snake", "Nope", "Go", "snake", "Snake", ""};
    config.SetFavorites(names);
    // Catalogue order, whatever the order of the list; only exact names count.
    EXPECT_EQ(FavoriteNames(config), (std::vector<std::string>{"Go", "Snake"}));
    // The listener hears the list as given.
    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.calls[0], names);
}

TEST_F(Favorites, EveryListenerHearsUntilItsRegistrationEnds) {
    {
        FavoritesLog other;
        GamesConfig::FavoritesRegistration second = config.AddFavoritesListener(other);
        config.SetFavorites({"Go"});
        EXPECT_EQ(other.calls, (std::vector<std::vector<std::string>>{{"Go"}}));
    }  // gone, and unhooked with it: telling it now would use freed memory
    config.SetFavorites({"Chess"});
    EXPECT_EQ(log.calls, (std::vector<std::vector<std::string>>{{"Go"}, {"Chess"}}));
    registration.Reset();
    config.SetFavorites({});
    EXPECT_EQ(log.calls.size(), 2u);
}

TEST_F(Favorites, SetFavoritesAndSaveSetsThem) {
    config.SetFavoritesAndSave({"Snake"});
    EXPECT_EQ(FavoriteNames(config), std::vector<std::string>{"Snake"});
    EXPECT_EQ(log.calls.size(), 1u);
}

TEST(GamesIterators, EmptyCatalogueAndOneWithoutFavorites) {
    TraceRecorder traces;
    GamesConfig empty;
    EXPECT_FALSE(empty.CreateFullIterator()->HasNext());
    EXPECT_FALSE(empty.CreateFavoritesIterator()->HasNext());
    EXPECT_THROW(empty.CreateFullIterator()->Next(), std::logic_error);
    EXPECT_THROW(empty.CreateFavoritesIterator()->Next(), std::logic_error);
    EXPECT_TRUE(traces.Contains("GamesConfig::FavoritesIterator instantiated"));
    EXPECT_TRUE(traces.Contains("GamesConfig::FavoritesIterator deleted"));

    GamesConfig none;
    none.LoadGamesConfigData(File({MakeGame("A"), MakeGame("B")}));
    EXPECT_TRUE(FavoriteNames(none).empty());
    EXPECT_EQ(AllNames(none).size(), 2u);
}

TEST(GamesIterators, FavoritesNextSkipsWithoutHasNext) {
    GamesConfig config;
    config.LoadGamesConfigData(File({MakeGame("A"), MakeGame("B", Game::FLAG_FAVORITE),
                                     MakeGame("C"), MakeGame("D", Game::FLAG_FAVORITE)}));
    auto favorites = config.CreateFavoritesIterator();
    EXPECT_EQ(favorites->Next().name, "B");
    EXPECT_EQ(favorites->Next().name, "D");
    EXPECT_FALSE(favorites->HasNext());
    EXPECT_FALSE(favorites->HasNext());
}

}  // namespace
