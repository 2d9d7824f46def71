#include "ConfigFixtures.h"

#include <QBuffer>
#include <QImage>

namespace config_fixtures {

std::string Png(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

std::string Texts(const std::map<std::string, std::optional<std::string>>& changes) {
    std::map<std::string, std::optional<std::string>> texts = {
        {"ProductVersion", "1.0.10.0"},
        {"WebmasterVersion", "7"},
        {"ManifestUrl", "http://updates.invalid/manifest.xml"},
        {"RegistrationUrl", "http://updates.invalid/register"},
        {"DistributionId", "test-1"},
    };
    for (const auto& [key, value] : changes) {
        texts[key] = value;
    }
    std::string lines = "//Configuration\r\n";
    for (const auto& [key, value] : texts) {
        if (value) {
            lines += key + " = " + *value + "\r\n";
        }
    }
    return lines;
}

CfgPack::GameEntry MakeGame(const std::string& name, std::uint32_t flags) {
    return {name, "http://games.invalid/" + name, "about " + name, flags, Png()};
}

std::string File(const std::vector<CfgPack::GameEntry>& games, const std::string& texts) {
    return CfgPack::Encode({texts, games});
}

namespace {

std::vector<std::string> Names(std::unique_ptr<GamesIterator> games) {
    std::vector<std::string> names;
    while (games->HasNext()) {
        names.push_back(games->Next().name);
    }
    return names;
}

}  // namespace

std::vector<std::string> AllNames(const GamesConfig& config) {
    return Names(config.CreateFullIterator());
}

std::vector<std::string> FavoriteNames(const GamesConfig& config) {
    return Names(config.CreateFavoritesIterator());
}

}  // namespace config_fixtures
