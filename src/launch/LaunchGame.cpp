#include "launch/LaunchGame.h"

#include "app/ErrorLog.h"
#include "config/Game.h"
#include "launch/GameStarter.h"
#include "launch/OpenLink.h"
#include "platform/net/UrlUtils.h"

GameLaunch GameLaunch::Of(const Game& game) {
    return GameLaunch{game.name, game.url, game.isFullScreen, game.isControlled};
}

void LaunchGame(const GameLaunch& game) {
    // The catalogue is outside data: only an http or https address written in full starts.
    if (!UrlUtils::IsWebAddress(game.url)) {
        LogError("Game '" + PrintableAddress(game.name) +
                 "' refused, not an http or https address: '" + PrintableAddress(game.url) + "'");
        return;
    }
    if (game.controlled) {
        GameStarter::Instance().StartGame(game.url);
        return;
    }
    OpenLink(game.url, NEW_WINDOW | (game.fullScreen ? FULL_SCREEN : 0u));
}
