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
    // window, new and full screen. Returns at once: the window (or the plain one) comes later,
    // from the event loop, and its controller is listed then. A start of an address whose start
    // is still on its way does nothing more.
    void StartGame(const std::string& address);

    // Lets go of every controller, in list order: the pages get their own functions back and
    // the windows stay open. Starts still on their way are given up: nothing of them happens
    // later.
    void CloseAll();

    const std::vector<std::unique_ptr<CTvIeHelper>>& Controllers() const { return controllers_; }
    // How many starts are on their way.
    std::size_t StartsUnderWay() const { return starting_.size(); }

    // From this many listed controllers on, a start first drops the dead ones.
    static constexpr std::size_t kPurgeThreshold = 10;

private:
    struct Starting {
        std::string address;
        std::unique_ptr<CTvIeHelper> controller;
    };

    void PurgeDead();
    void OnStarted(const CTvIeHelper* controller, CTvIeHelper::StartResult result);
    void StartPlainly(const std::string& address);

    std::vector<std::unique_ptr<CTvIeHelper>> controllers_;
    std::vector<Starting> starting_;
};
