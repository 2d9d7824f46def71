#include "launch/GameStarter.h"

#include <exception>

#include "app/Exceptions.h"
#include "app/Trace.h"
#include "launch/OpenLink.h"
#include "platform/ProcessObjects.h"

GameStarter::GameStarter() {
    Trace("GameStarter instantiated");
}

GameStarter::~GameStarter() {
    CloseAll();
}

GameStarter& GameStarter::Instance() {
    return ProcessWide<GameStarter>();
}

void GameStarter::StartGame(const std::string& address) {
    Trace("GameStarter: game " + address + " starting");
    if (controllers_.size() >= kPurgeThreshold) {
        PurgeDead();
    }
    try {
        auto controller = std::make_unique<CTvIeHelper>();
        if (controller->StartNewIE(address)) {
            controllers_.push_back(std::move(controller));
            return;
        }
    } catch (const FrameworkException&) {
        Trace("Unable to start controlled IE with game " + address);
    } catch (const std::exception&) {
        Trace("Unable to start controlled IE with game " + address);
    }
    Trace("Start game with standard way " + address);
    OpenLink(address, NEW_WINDOW | FULL_SCREEN);
}

void GameStarter::PurgeDead() {
    std::vector<std::unique_ptr<CTvIeHelper>> dead;
    std::vector<std::unique_ptr<CTvIeHelper>> alive;
    for (auto& controller : controllers_) {
        (controller->IsAlive() ? alive : dead).push_back(std::move(controller));
    }
    controllers_ = std::move(alive);
    for (auto& controller : dead) {
        controller.reset();
    }
}

void GameStarter::CloseAll() {
    // Taken out first: a controller that goes may let events in.
    std::vector<std::unique_ptr<CTvIeHelper>> closing;
    closing.swap(controllers_);
    for (auto& controller : closing) {
        controller.reset();
    }
}
