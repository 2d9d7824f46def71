// The sections that need a games catalogue: the favourites, and the update decision that
// compares with the installation's build.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "ConfigFixtures.h"
#include "config/GamesConfig.h"
#include "config/RegistrationSection.h"
#include "config/UpdateSection.h"
#include "config/WindowSection.h"
#include "support/TestEnvironment.h"

namespace {

using namespace config_fixtures;
using testing_support::ReadFile;
using testing_support::TempHome;

class TopmostLog : public TopmostListener {
public:
    void TopmostChanged(bool alwaysOnTop) override {
        calls.push_back(alwaysOnTop);
        if (onCall) {
            onCall();
        }
    }
    std::vector<bool> calls;
    std::function<void()> onCall;
};

// Unhooking during a notification, and a registration that outlives its section.
TEST(TopmostListeners, AnUnhookedListenerIsNeverToldAgain) {
    TopmostLog first;
    TopmostLog second;
    auto window = std::make_unique<WindowSection>();
    WindowSection::TopmostRegistration firstRegistration = window->AddTopmostListener(first);
    WindowSection::TopmostRegistration secondRegistration = window->AddTopmostListener(second);
    first.onCall = [&] { secondRegistration.Reset(); };
    window->SetAlwaysOnTop(0);
    window->SetAlwaysOnTop(1);
    EXPECT_EQ(first.calls, (std::vector<bool>{false, true}));
    EXPECT_TRUE(second.calls.empty());
    window.reset();
    firstRegistration.Reset();  // nothing left to unhook from
    EXPECT_FALSE(firstRegistration.Active());
}

TEST(FavouritesSection, StoredByNameInCatalogueOrder) {
    GamesConfig config;
    config.LoadGamesConfigData(File({MakeGame("alpha", Game::FLAG_FAVORITE), MakeGame("Keno"),
                                     MakeGame("Zeta", Game::FLAG_FAVORITE)}));
    ArchiveWriter data;
    config.Store(data);
    ArchiveReader reader(data.Bytes());
    EXPECT_EQ(reader.ReadStringList(), (std::vector<std::string>{"Zeta", "alpha"}));
}

TEST(FavouritesSection, StoredListReplacesTheCataloguesMarksEvenWhenEmpty) {
    GamesConfig config;
    config.LoadGamesConfigData(File({MakeGame("Chess", Game::FLAG_FAVORITE), MakeGame("Keno")}));
    ArchiveWriter keno;
    keno.WriteStringList({"Keno", "Unknown"});
    ArchiveReader kenoReader(keno.Bytes());
    config.Load(0, kenoReader);
    EXPECT_EQ(FavoriteNames(config), std::vector<std::string>{"Keno"});

    ArchiveWriter none;
    none.WriteStringList({});
    ArchiveReader noneReader(none.Bytes());
    config.Load(0, noneReader);
    EXPECT_TRUE(FavoriteNames(config).empty());

    // A block of another version changes nothing.
    ArchiveReader other(keno.Bytes());
    config.Load(1, other);
    EXPECT_TRUE(FavoriteNames(config).empty());
}

TEST(FavouritesSection, SetFavoritesAndSaveWritesTheFile) {
    TempHome home;
    GamesConfig config;
    config.LoadGamesConfigData(File({MakeGame("Chess"), MakeGame("Keno")}));
    WindowSection window;
    UpdateSection update;
    RegistrationSection registration;
    SettingsStorage storage({&config, &window, &update, &registration});
    config.SetFavoritesAndSave({"Keno"});
    const std::string file = ReadFile(home.AppDataFolder() + "/tivora.sts");
    EXPECT_EQ(file.substr(16, 7), std::string("\x00\x00\x00\x00\x01\x00\x04", 7));
    EXPECT_EQ(file.substr(23, 4), "Keno");
}

TEST(FavouritesSection, WithoutFavouritesTheFileIsNinetyFiveBytes) {
    TempHome home;
    GamesConfig config;
    config.LoadGamesConfigData(File({MakeGame("Chess")}));
    WindowSection window;
    UpdateSection update;
    RegistrationSection registration;
    SettingsStorage({&config, &window, &update, &registration}).SaveAll();
    EXPECT_EQ(ReadFile(home.AppDataFolder() + "/tivora.sts").size(), 95u);
}

// The installation runs 1.0.10.0 with build 7 (the fixtures' WebmasterVersion).
class UpdateDecision : public ::testing::Test {
protected:
    void SetUp() override { config.LoadGamesConfigData(File({MakeGame("Chess")})); }

    // A stored block: updateAvailable as given, then the release.
    bool AvailableAfterLoad(int storedFlag, const std::string& version, const std::string& build,
                            bool loaded = true) {
        ArchiveWriter data;
        data.WriteInt32(storedFlag);
        for (const std::string& text : {version, build, std::string("2030-01-01"),
                                        std::string("notes"), std::string("http://get.example/")}) {
            data.WriteString(text);
        }
        UpdateSection section;
        ArchiveReader reader(data.Bytes());
        section.Load(0, reader);
        EXPECT_TRUE(section.IsUpdateAvailable());  // loading marks it, whatever was stored
        section.AfterLoad(loaded);
        return section.IsUpdateAvailable();
    }
    GamesConfig config;
};

TEST_F(UpdateDecision, NewerVersionStaysAnnouncedWhateverWasStored) {
    EXPECT_TRUE(AvailableAfterLoad(0, "1.0.11.0", "0"));
    EXPECT_TRUE(AvailableAfterLoad(1, "2.0", "0"));
}

TEST_F(UpdateDecision, OlderVersionIsNoUpdate) {
    EXPECT_FALSE(AvailableAfterLoad(1, "1.0.9.0", "100"));
    EXPECT_FALSE(AvailableAfterLoad(1, "", ""));  // nothing was ever announced
}

TEST_F(UpdateDecision, SameVersionDependsOnTheBuild) {
    EXPECT_FALSE(AvailableAfterLoad(1, "1.0.10.0", "7"));
    EXPECT_FALSE(AvailableAfterLoad(1, "1.0.10", "6"));
    EXPECT_TRUE(AvailableAfterLoad(0, "1.0.10.0", "8"));
    EXPECT_TRUE(AvailableAfterLoad(0, "1.0.10.0", "2147483648"));  // saturates, never wraps
}

TEST_F(UpdateDecision, NothingIsDecidedWithoutALoadedFile) {
    EXPECT_TRUE(AvailableAfterLoad(0, "1.0.9.0", "0", false));
    UpdateSection fresh;
    fresh.AfterLoad(false);
    EXPECT_FALSE(fresh.IsUpdateAvailable());
}

}  // namespace
