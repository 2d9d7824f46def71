#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/TextTable.h"
#include "config/Game.h"
#include "config/ListenerList.h"
#include "config/SettingsSection.h"
#include "platform/os/ImageList.h"

// Told when the user's favourite games change.
class FavoritesListener {
public:
    virtual ~FavoritesListener() = default;
    virtual void FavoritesChanged(const std::vector<std::string>& names) = 0;
};

// Walks games of the catalogue. Next may only be called after HasNext said true.
class GamesIterator {
public:
    virtual bool HasNext() = 0;
    virtual const Game& Next() = 0;
    virtual ~GamesIterator() = default;
};

// The catalogue of games and the installation's configuration texts, read from "tivora.cfg"
// beside the executable or in the installed data folder. The file is laid out as one string field
// of texts (id 128) followed by game records of five fields each (ids 129 to 133) up to the end of
// the file.
class GamesConfig : public SettingsSection {
public:
    enum FieldId : std::uint8_t {
        TEXTS = 128,
        GAME_NAME = 129,
        GAME_URL = 130,
        GAME_EXTRA = 131,
        GAME_FLAGS = 132,
        GAME_IMAGE = 133,
    };
    static constexpr const char* kFileName = "tivora.cfg";
    static constexpr int kImageSize = 21;
    static constexpr QRgb kKeyColor = 0xFF00FF00;  // pure green turns transparent

    class FullIterator;
    class FavoritesIterator;

    GamesConfig();
    virtual ~GamesConfig();
    GamesConfig(const GamesConfig&) = delete;
    GamesConfig& operator=(const GamesConfig&) = delete;

    // Loads "tivora.cfg" for the running executable (see LoadGamesConfigFor).
    void LoadGamesConfig();
    // Loads "tivora.cfg" for an executable in executableFolder: the first of CataloguePlaces
    // that exists. When none does, the places go to the error log and the load raises
    // ConfigurationException "Games configuration file doesn't exist".
    void LoadGamesConfigFor(const std::string& executableFolder);
    // Where the catalogue of an executable in executableFolder may lie, in the order looked at:
    // beside it (a build folder), then in the installed data folder ../share/tivora/.
    static std::vector<std::string> CataloguePlaces(const std::string& executableFolder);
    // The first of CataloguePlaces that exists, else the place beside the executable (so that
    // loading it reports the file as missing).
    static std::string FindGamesConfig(const std::string& executableFolder);
    // Loads the file at path: reads it whole, parses it, checks that it was made for this
    // program's version and builds the picture list. Every failure raises: a missing file or a
    // malformed one ConfigurationException, a file that cannot be opened FrameworkException.
    void LoadGamesConfig(const std::string& path);
    // What LoadGamesConfig does once the file's bytes are in memory.
    void LoadGamesConfigData(std::string_view bytes);

    // Replaces the catalogue and the texts with those of the bytes. A failure leaves the games
    // read before it in the catalogue.
    void ParseGamesConfig(std::string_view bytes);
    // Replaces the texts and checks that the required ones are there.
    void ParseConfigTexts(std::string_view text);

    // A configuration text, empty when missing.
    std::string GetText(const std::string& key) const;
    const TextTable::Map& GetTexts() const { return configTexts; }

    std::size_t GetGamesCount() const { return games.size(); }

    // Iterators over the live catalogue, in name order; the catalogue must not change while
    // one is in use.
    std::unique_ptr<GamesIterator> CreateFavoritesIterator() const;
    std::unique_ptr<GamesIterator> CreateFullIterator() const;

    // The index of the game's picture in the picture list, or -1 when it has none there (a
    // picture smaller than 21 × 21 pixels).
    int GetImageIndex(const Game& game) const;
    // The pictures of the games, 21 × 21 each, for list controls.
    const ImageList& GetGameImages() const { return gameImages; }

    // Marks exactly the named games as favourites (names that match no game are ignored) and
    // tells the listeners.
    void SetFavorites(const std::vector<std::string>& names);
    // SetFavorites, then saves the whole settings file.
    void SetFavoritesAndSave(const std::vector<std::string>& names);
    // Registers a listener until the returned registration is destroyed.
    using FavoritesRegistration = ListenerList<FavoritesListener>::Registration;
    FavoritesRegistration AddFavoritesListener(FavoritesListener& listener) {
        return favoritesListeners.Add(listener);
    }

    // As the first settings section: the file is loaded before the settings are read, and the
    // user's favourites are stored by name.
    static constexpr int kVersion = 0;
    void BeforeLoad() override { LoadGamesConfig(); }
    void Store(ArchiveWriter& data) override;
    void Load(int version, ArchiveReader& data) override;
    int GetVersion() const override { return kVersion; }

private:
    // Byte-wise name order: "Zeta" before "alpha".
    using Catalogue = std::map<std::string, std::unique_ptr<Game>>;

    void ClearGames();
    void BuildImageList();

    TextTable::Map configTexts;
    Catalogue games;
    ListenerList<FavoritesListener> favoritesListeners;
    ImageList gameImages{kImageSize, kImageSize};
    std::map<int, int> imageIndexes;  // sequence number → index in gameImages
};

class GamesConfig::FullIterator : public GamesIterator {
public:
    explicit FullIterator(const Catalogue& catalogue);
    ~FullIterator() override;
    bool HasNext() override;
    const Game& Next() override;

private:
    Catalogue::const_iterator current;
    Catalogue::const_iterator end;
};

class GamesConfig::FavoritesIterator : public GamesIterator {
public:
    explicit FavoritesIterator(const Catalogue& catalogue);
    ~FavoritesIterator() override;
    bool HasNext() override;
    const Game& Next() override;

private:
    void SkipOthers();

    Catalogue::const_iterator current;
    Catalogue::const_iterator end;
    bool mustSkip = true;
};

// The "WebmasterVersion" of the loaded configuration: the installation's build number. Set by
// ParseConfigTexts, read from any thread.
int GetWebmasterVersion();
