#include "cfg/CataloguePack.h"

#include <stdexcept>

#include "config/GamesConfig.h"

namespace CfgPack {
namespace {

void AppendWord(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

std::string LengthField(std::uint8_t id, std::string_view bytes) {
    if (bytes.size() > UINT32_MAX) {
        throw std::length_error("a field of 4 GiB or more cannot be written");
    }
    std::string out;
    out.reserve(5 + bytes.size());
    out += static_cast<char>(id);
    AppendWord(out, static_cast<std::uint32_t>(bytes.size()));
    out += bytes;
    return out;
}

}  // namespace

std::string StringField(std::uint8_t id, std::string_view text) {
    return LengthField(id, text);
}

std::string IntegerField(std::uint8_t id, std::uint32_t value) {
    std::string out(1, static_cast<char>(id));
    AppendWord(out, value);
    return out;
}

std::string PictureField(std::uint8_t id, std::string_view bytes) {
    return LengthField(id, bytes);
}

std::string GameRecord(const GameEntry& game) {
    return StringField(GamesConfig::GAME_NAME, game.name) +
           StringField(GamesConfig::GAME_URL, game.url) +
           StringField(GamesConfig::GAME_EXTRA, game.extraText) +
           IntegerField(GamesConfig::GAME_FLAGS, game.flags) +
           PictureField(GamesConfig::GAME_IMAGE, game.picture);
}

std::string Encode(const Catalogue& catalogue) {
    std::string out = StringField(GamesConfig::TEXTS, catalogue.texts);
    for (const GameEntry& game : catalogue.games) {
        out += GameRecord(game);
    }
    return out;
}

}  // namespace CfgPack
