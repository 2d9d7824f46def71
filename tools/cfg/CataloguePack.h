#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Writes catalogue files in the field encoding that the program reads: a field id byte, then a
// little-endian 32-bit length and the bytes (strings and pictures) or the 32-bit value
// (integers).
namespace CfgPack {

struct GameEntry {
    std::string name;
    std::string url;
    std::string extraText;
    std::uint32_t flags = 0;
    std::string picture;  // the bytes of a picture file
};

struct Catalogue {
    std::string texts;  // "key = value" lines
    std::vector<GameEntry> games;
};

// Single fields. A text or picture of 4 GiB or more cannot be encoded: std::length_error.
std::string StringField(std::uint8_t id, std::string_view text);
std::string IntegerField(std::uint8_t id, std::uint32_t value);
std::string PictureField(std::uint8_t id, std::string_view bytes);

// The five fields of one game, in the order the reader expects them.
std::string GameRecord(const GameEntry& game);

// The whole file: the texts, then every game in the given order.
std::string Encode(const Catalogue& catalogue);

}  // namespace CfgPack
