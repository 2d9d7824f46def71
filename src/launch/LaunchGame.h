#pragma once

class Game;

// Opens a game the way its record asks: in the controlled browser, or plainly in a new window,
// full screen when it is marked so. An address that is not an absolute http or https one opens
// nothing and writes an error line.
void LaunchGame(const Game& game);
