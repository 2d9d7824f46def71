#include "launch/GameStarter.h"

#include <algorithm>
#include <exception>

#include "app/Exceptions.h"
#include "app/Trace.h"
#include "launch/OpenLink.h"
#include "platform/os/ProcessObjects.h"

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
    for (const Starting& starting : starting_) {
        if (starting.address == address) {
            // A second click while the first one's window is on its way.
            Trace("GameStarter: game " + address + " is on its way already");
            return;
        }
    }
    if (controllers_.size() >= kPurgeThreshold) {
        PurgeDead();
    }
    try {
        starting_.push_back({address, std::make_unique<CTvIeHelper>()});
        CTvIeHelper* controller = starting_.back().controller.get();
        controller->StartNewIE(address, [this, controller](CTvIeHelper::StartResult result) {
            OnStarted(controller, result);
        });
        return;
    } catch (const FrameworkException&) {
        Trace("Unable to start controlled IE with game " + address);
    } catch (const std::exception&) {
        Trace("Unable to start controlled IE with game " + address);
    }
    if (!starting_.empty() && starting_.back().address == address) {
        starting_.pop_back();
    }
    StartPlainly(address);
}

void GameStarter::OnStarted(const CTvIeHelper* controller, CTvIeHelper::StartResult result) {
    auto found = std::find_if(starting_.begin(), starting_.end(), [controller](const Starting& s) {
        return s.controller.get() == controller;
    });
    if (found == starting_.end()) {
        return;
    }
    Starting started = std::move(*found);
    starting_.erase(found);
    if (result == CTvIeHelper::StartResult::Made) {
        controllers_.push_back(std::move(started.controller));
        return;
    }
    if (result == CTvIeHelper::StartResult::Exception) {
        Trace("Unable to start controlled IE with game " + started.address);
    }
    started.controller.reset();
    StartPlainly(started.address);
}

void GameStarter::StartPlainly(const std::string& address) {
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
    // A start on its way goes with its controller: its window, should the browser still make
    // one, is closed again, and no plain window follows.
    std::vector<Starting> givenUp;
    givenUp.swap(starting_);
    for (Starting& starting : givenUp) {
        Trace("GameStarter: start of game " + starting.address + " given up");
        starting.controller.reset();
    }
    // Taken out first: a controller that goes may let events in.
    std::vector<std::unique_ptr<CTvIeHelper>> closing;
    closing.swap(controllers_);
    for (auto& controller : closing) {
        controller.reset();
    }
}
