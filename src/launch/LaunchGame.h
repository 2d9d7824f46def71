#pragma once

class Game;

// Opens a game the way its record asks: in the controlled browser, or plainly in a new window,
// full screen when it is marked so.
void LaunchGame(const Game& game);
