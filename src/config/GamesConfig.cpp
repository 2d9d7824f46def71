#include "config/GamesConfig.h"

#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "app/ErrorLog.h"
#include "app/Exceptions.h"
#include "app/PathUtils.h"
#include "app/Trace.h"
#include "config/FieldRecords.h"
#include "config/VersionUtils.h"

namespace {

std::atomic<int> webmasterVersion{0};

// The C library's atoi, without its undefined behaviour for numbers out of range: those
// saturate at the int limits.
int ToInt(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

QString LocalPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

int GetWebmasterVersion() {
    return webmasterVersion.load();
}

GamesConfig::GamesConfig() {
    Trace("Config section instantiate");
}

GamesConfig::~GamesConfig() {
    games.clear();
    Trace("Config section deleted");
}

void GamesConfig::LoadGamesConfig() {
    LoadGamesConfigFor(PathUtils::GetModulePath());
}

std::vector<std::string> GamesConfig::CataloguePlaces(const std::string& executableFolder) {
    // The installed layout is <prefix>/bin/tivora beside <prefix>/share/tivora/tivora.cfg.
    return {PathUtils::AppendPath(executableFolder, kFileName),
            PathUtils::InstalledFile(executableFolder, std::string("share/tivora/") + kFileName)};
}

std::string GamesConfig::FindGamesConfig(const std::string& executableFolder) {
    const std::vector<std::string> places = CataloguePlaces(executableFolder);
    for (const std::string& place : places) {
        if (QFileInfo::exists(LocalPath(place))) {
            return place;
        }
    }
    return places.front();
}

void GamesConfig::LoadGamesConfigFor(const std::string& executableFolder) {
    const std::string path = FindGamesConfig(executableFolder);
    if (!QFileInfo::exists(LocalPath(path))) {
        // The message box shows the short text of the exception; the log keeps the places.
        const std::vector<std::string> places = CataloguePlaces(executableFolder);
        LogError("Looked for the games configuration file at " + places[0] + " and at " +
                 places[1]);
    }
    LoadGamesConfig(path);
}

void GamesConfig::LoadGamesConfig(const std::string& path) {
    const QString localPath = LocalPath(path);
    const QFileInfo info(localPath);
    if (!info.exists()) {
        throw ConfigurationException("Games configuration file doesn't exist");
    }
    Trace("Load games config from file " + path);

    // Anything but a plain file (a folder, a pipe that would block) cannot be read as one.
    if (!info.isFile()) {
        throw FrameworkException("Unable to open games configuration file " + path +
                                 ": not a regular file");
    }
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly)) {
        throw FrameworkException("Unable to open games configuration file " + path + ": " +
                                 file.errorString().toStdString());
    }
    // The format counts lengths in 32 bits; a file of 4 GiB or more is not one, and is refused
    // before anything is allocated for it.
    const qint64 length = file.size();
    if (length < 0 || length > qint64{UINT32_MAX}) {
        throw ConfigurationException("Unable to read games configuration file");
    }
    std::string buffer(static_cast<std::size_t>(length), '\0');
    qint64 got = 0;
    while (got < length) {
        const qint64 read = file.read(buffer.data() + got, length - got);
        if (read <= 0) {
            break;
        }
        got += read;
    }
    if (got != length) {
        throw ConfigurationException("Unable to read games configuration file");
    }
    file.close();
    LoadGamesConfigData(buffer);
}

void GamesConfig::LoadGamesConfigData(std::string_view bytes) {
    ParseGamesConfig(bytes);

    const VersionUtils::Version fileVersion = VersionUtils::ParseVersion(GetText("ProductVersion"));
    if (VersionUtils::CompareVersions(fileVersion, VersionUtils::GetCurrentVersion()) != 0) {
        throw ConfigurationException("Wrong version in config: " +
                                     VersionUtils::FormatVersion(fileVersion, 4, '.'));
    }
    BuildImageList();
}

void GamesConfig::ParseGamesConfig(std::string_view bytes) {
    Trace("Start parsing config file");
    ClearGames();

    const char* cursor = bytes.data();
    const char* const end = bytes.data() + bytes.size();
    ParseConfigTexts(FieldRecords::ReadStringField(cursor, end, TEXTS));

    while (cursor < end) {
        std::string name = FieldRecords::ReadStringField(cursor, end, GAME_NAME);
        std::string url = FieldRecords::ReadStringField(cursor, end, GAME_URL);
        std::string extra = FieldRecords::ReadStringField(cursor, end, GAME_EXTRA);
        const std::uint32_t flags = FieldRecords::ReadIntegerField(cursor, end, GAME_FLAGS);
        const QImage picture = FieldRecords::ReadPictureField(cursor, end, GAME_IMAGE);

        auto game = std::make_unique<Game>(std::move(name), std::move(url), std::move(extra), flags,
                                           picture);
        const std::string traced = "Game " + game->name + " Created";
        // The first record of a name stays; a later one only used up its sequence number.
        games.try_emplace(game->name, std::move(game));
        Trace(traced);
    }
    Trace("End of parsing config file");
}

void GamesConfig::ParseConfigTexts(std::string_view text) {
    Trace("Texts = \r\n" + std::string(text));
    TextTable::Parse(text, configTexts);
    for (const char* key : {"ProductVersion", "WebmasterVersion", "ManifestUrl", "RegistrationUrl",
                            "DistributionId"}) {
        if (GetText(key).empty()) {
            throw ConfigurationException("Wrong strings format in configuration file");
        }
    }
    webmasterVersion = ToInt(GetText("WebmasterVersion"));
}

std::string GamesConfig::GetText(const std::string& key) const {
    return TextTable::Lookup(configTexts, key);
}

void GamesConfig::ClearGames() {
    Trace("Clear games config list");
    games.clear();
}

void GamesConfig::BuildImageList() {
    gameImages = ImageList(kImageSize, kImageSize, static_cast<int>(games.size()));
    imageIndexes.clear();
    FullIterator all(games);
    while (all.HasNext()) {
        const Game& game = all.Next();
        // A picture wider than 21 pixels is cut into several images; the first is the game's.
        const int index = gameImages.AddMasked(game.CopyBitmap(), kKeyColor);
        if (index >= 0) {
            imageIndexes[game.sequenceNumber] = index;
        }
    }
}

std::unique_ptr<GamesIterator> GamesConfig::CreateFavoritesIterator() const {
    return std::make_unique<FavoritesIterator>(games);
}

std::unique_ptr<GamesIterator> GamesConfig::CreateFullIterator() const {
    return std::make_unique<FullIterator>(games);
}

int GamesConfig::GetImageIndex(const Game& game) const {
    auto found = imageIndexes.find(game.sequenceNumber);
    return found == imageIndexes.end() ? -1 : found->second;
}

void GamesConfig::SetFavorites(const std::vector<std::string>& names) {
    for (auto& [name, game] : games) {
        game->isFavorite = false;
    }
    for (const std::string& name : names) {
        auto found = games.find(name);
        if (found != games.end()) {
            found->second->isFavorite = true;
        }
    }
    favoritesListeners.Notify(
        [&](FavoritesListener& listener) { listener.FavoritesChanged(names); });
}

void GamesConfig::SetFavoritesAndSave(const std::vector<std::string>& names) {
    SetFavorites(names);
    RequestSave();
}

void GamesConfig::Store(ArchiveWriter& data) {
    std::vector<std::string> names;
    for (auto favorites = CreateFavoritesIterator(); favorites->HasNext();) {
        names.push_back(favorites->Next().name);
    }
    data.WriteStringList(names);
}

void GamesConfig::Load(int version, ArchiveReader& data) {
    if (version == kVersion) {
        SetFavorites(data.ReadStringList());
    }
}

GamesConfig::FullIterator::FullIterator(const Catalogue& catalogue)
    : current(catalogue.begin()), end(catalogue.end()) {
    Trace("GamesConfig::FullIterator instantiated");
}

GamesConfig::FullIterator::~FullIterator() {
    Trace("GamesConfig::FullIterator deleted");
}

bool GamesConfig::FullIterator::HasNext() {
    return current != end;
}

const Game& GamesConfig::FullIterator::Next() {
    if (current == end) {
        throw std::logic_error("GamesConfig::FullIterator::Next past the last game");
    }
    const Game& game = *current->second;
    ++current;
    return game;
}

GamesConfig::FavoritesIterator::FavoritesIterator(const Catalogue& catalogue)
    : current(catalogue.begin()), end(catalogue.end()) {
    Trace("GamesConfig::FavoritesIterator instantiated");
}

GamesConfig::FavoritesIterator::~FavoritesIterator() {
    Trace("GamesConfig::FavoritesIterator deleted");
}

void GamesConfig::FavoritesIterator::SkipOthers() {
    if (mustSkip) {
        while (current != end && !current->second->isFavorite) {
            ++current;
        }
        mustSkip = false;
    }
}

bool GamesConfig::FavoritesIterator::HasNext() {
    SkipOthers();
    return current != end;
}

const Game& GamesConfig::FavoritesIterator::Next() {
    SkipOthers();
    if (current == end) {
        throw std::logic_error("GamesConfig::FavoritesIterator::Next past the last favourite");
    }
    const Game& game = *current->second;
    ++current;
    mustSkip = true;
    return game;
}
