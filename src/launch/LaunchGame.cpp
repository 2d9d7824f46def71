#include "launch/LaunchGame.h"

#include "config/Game.h"
#include "launch/GameStarter.h"
#include "launch/OpenLink.h"

void LaunchGame(const Game& game) {
    if (game.isControlled) {
        GameStarter::Instance().StartGame(game.url);
        return;
    }
    OpenLink(game.url, NEW_WINDOW | (game.isFullScreen ? FULL_SCREEN : 0u));
}
