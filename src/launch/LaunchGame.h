#pragma once

#include <string>

class Game;

// What opening a game needs of its catalogue record, copied so that it does not depend on the
// record living on.
struct GameLaunch {
    std::string name;
    std::string url;
    bool fullScreen = false;
    bool controlled = false;

    static GameLaunch Of(const Game& game);
};

// Opens a game the way its record asks: in the controlled browser, or plainly in a new window,
// full screen when it is marked so. An address that is not an absolute http or https one opens
// nothing and writes an error line.
void LaunchGame(const GameLaunch& game);
