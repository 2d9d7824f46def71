#include "config/Game.h"

#include <atomic>

namespace {

// Never reset: a number identifies one record for the life of the process.
std::atomic<int> nextSequenceNumber{0};

}  // namespace

Game::Game(std::string gameName, std::string gameUrl, std::string gameExtraText,
           std::uint32_t flags, const QImage& picture)
    : name(std::move(gameName)),
      url(std::move(gameUrl)),
      extraText(std::move(gameExtraText)),
      isFavorite((flags & FLAG_FAVORITE) != 0),
      isFavoriteByDefault((flags & FLAG_FAVORITE) != 0),
      isFullScreen((flags & FLAG_FULL_SCREEN) != 0),
      isControlled((flags & FLAG_CONTROLLED) != 0),
      bitmap(picture),
      sequenceNumber(nextSequenceNumber++) {}

// QImage copies on write, so the caller's copy and ours never change each other.
QImage Game::CopyBitmap() const {
    return bitmap;
}
