// The whole games-configuration reader over arbitrary bytes: fields, texts, pictures, the
// version check and the picture list. It must neither crash nor read out of bounds, and what it
// publishes must hang together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <QtGlobal>

#include "app/Exceptions.h"
#include "config/GamesConfig.h"

// The picture decoders complain about every broken picture on stderr; the fuzzer needs none of
// it.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GamesConfig config;
    bool loaded = true;
    try {
        config.LoadGamesConfigData(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const ConfigurationException&) {
        loaded = false;
    }

    // Games read before a failure stay; either way the catalogue walks in strict name order and
    // the favourites are a part of it.
    std::string previous;
    bool first = true;
    std::size_t count = 0;
    std::size_t favorites = 0;
    for (auto games = config.CreateFullIterator(); games->HasNext(); ++count) {
        const Game& game = games->Next();
        if ((!first && !(previous < game.name)) || game.bitmap.isNull()) {
            std::abort();
        }
        favorites += game.isFavorite ? 1 : 0;
        const int index = config.GetImageIndex(game);
        if (loaded && (index < -1 || index >= config.GetGameImages().Count())) {
            std::abort();
        }
        previous = game.name;
        first = false;
    }
    std::size_t walked = 0;
    for (auto games = config.CreateFavoritesIterator(); games->HasNext(); ++walked) {
        if (!games->Next().isFavorite) {
            std::abort();
        }
    }
    if (count != config.GetGamesCount() || walked != favorites) {
        std::abort();
    }
    if (loaded && config.GetText("ProductVersion").empty()) {
        std::abort();
    }
    return 0;
}
