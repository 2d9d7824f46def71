#pragma once

#include <QColor>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cfg/CataloguePack.h"
#include "config/GamesConfig.h"

// Catalogue files made in the test with the packing code of tivora-cfg.
namespace config_fixtures {

// A picture file (PNG) of the given size, filled with colour.
std::string Png(int width = 21, int height = 21, QColor colour = QColor(200, 30, 30));

// The required texts, right for this program (ProductVersion 1.0.10.0, WebmasterVersion 7),
// with some replaced: a value of nullopt leaves the key out.
std::string Texts(const std::map<std::string, std::optional<std::string>>& changes = {});

// A game with a 21 x 21 picture and the address http://games.invalid/<name>.
CfgPack::GameEntry MakeGame(const std::string& name, std::uint32_t flags = 0);

// The file's bytes: the texts, then the games.
std::string File(const std::vector<CfgPack::GameEntry>& games, const std::string& texts = Texts());

// The names of the catalogue's games, and of its favourites, in the catalogue's order.
std::vector<std::string> AllNames(const GamesConfig& config);
std::vector<std::string> FavoriteNames(const GamesConfig& config);

// Remembers every favourites list it is told.
class FavoritesLog : public FavoritesListener {
public:
    void FavoritesChanged(const std::vector<std::string>& names) override {
        calls.push_back(names);
    }
    std::vector<std::vector<std::string>> calls;
};

}  // namespace config_fixtures
