#pragma once

#include <QImage>
#include <cstdint>
#include <string>

// One game of the catalogue, owned by GamesConfig: what the buttons show and the launcher
// opens.
class Game {
public:
    // Flag bits of the catalogue file; all other bits mean nothing.
    static constexpr std::uint32_t FLAG_FAVORITE = 1;
    static constexpr std::uint32_t FLAG_FULL_SCREEN = 2;
    static constexpr std::uint32_t FLAG_CONTROLLED = 4;

    // Takes the next number of the process-wide sequence, whether or not the record is then
    // kept. The picture is copied.
    Game(std::string gameName, std::string gameUrl, std::string gameExtraText, std::uint32_t flags,
         const QImage& picture);
    virtual ~Game() = default;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // A copy of the picture for the caller to keep.
    QImage CopyBitmap() const;

    const std::string name;       // unique key of the catalogue, shown on buttons and lists
    const std::string url;        // the address that the launcher opens
    const std::string extraText;  // kept with the game, used by nothing
    bool isFavorite;              // the user's choice; starts as the file's mark
    const bool isFavoriteByDefault;
    const bool isFullScreen;
    const bool isControlled;  // opened in the browser that the program drives
    const QImage bitmap;
    const int sequenceNumber;  // the order in which records were made, in this process
};
