#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "launch/CTvIeHelper.h"

// Starts games in controlled browser windows and keeps their controllers, in the order they
// were started. There is one per process (ProcessWide<GameStarter>()), made on first use.
class GameStarter {
public:
    GameStarter();
    ~GameStarter();
    GameStarter(const GameStarter&) = delete;
    GameStarter& operator=(const GameStarter&) = delete;

    // The single instance.
    static GameStarter& Instance();

    // Opens address in a new controlled window; when that cannot be made, in a plain browser
    // window, new and full screen.
    void StartGame(const std::string& address);

    // Lets go of every controller, in list order: the pages get their own functions back and
    // the windows stay open.
    void CloseAll();

    const std::vector<std::unique_ptr<CTvIeHelper>>& Controllers() const { return controllers_; }

    // From this many listed controllers on, a start first drops the dead ones.
    static constexpr std::size_t kPurgeThreshold = 10;

private:
    void PurgeDead();

    std::vector<std::unique_ptr<CTvIeHelper>> controllers_;
};
