#include "launch/LaunchGame.h"

#include "app/ErrorLog.h"
#include "config/Game.h"
#include "launch/GameStarter.h"
#include "launch/OpenLink.h"
#include "platform/net/UrlUtils.h"

void LaunchGame(const Game& game) {
    // The catalogue is outside data: only an http or https address written in full starts.
    if (!UrlUtils::IsWebAddress(game.url)) {
        LogError("Game '" + PrintableAddress(game.name) +
                 "' refused, not an http or https address: '" + PrintableAddress(game.url) + "'");
        return;
    }
    if (game.isControlled) {
        GameStarter::Instance().StartGame(game.url);
        return;
    }
    OpenLink(game.url, NEW_WINDOW | (game.isFullScreen ? FULL_SCREEN : 0u));
}
