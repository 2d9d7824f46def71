// tivora-launch-game: opens one game of a catalogue the way the bar does, for trying out the
// browser launcher and the controlled browser without the toolbar. It stays until the game's
// controlled window has gone (or, for a plain game, a moment after the browser was started).
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>
#include <iostream>

#include "app/Exceptions.h"
#include "app/PathUtils.h"
#include "config/GamesConfig.h"
#include "launch/BrowserLayer.h"
#include "launch/CTvIeHelper.h"
#include "launch/GameStarter.h"
#include "launch/LaunchGame.h"
#include "platform/os/UnixSignals.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Opens a game of a Tivora catalogue as the bar does.");
    parser.addHelpOption();
    const QCommandLineOption catalogue("catalogue",
                                       "The packed catalogue (default: tivora.cfg beside this "
                                       "program, else in ../share/tivora/).",
                                       "file");
    parser.addOption(catalogue);
    parser.addPositionalArgument("name", "The game's name, as the catalogue spells it.");
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        parser.showHelp(2);
    }
    const std::string name = parser.positionalArguments().front().toStdString();

    GamesConfig config;
    try {
        config.LoadGamesConfig(parser.isSet(catalogue)
                                   ? parser.value(catalogue).toStdString()
                                   : GamesConfig::FindGamesConfig(PathUtils::GetModulePath()));
    } catch (const AppException& error) {
        std::cerr << "tivora-launch-game: " << error.GetMessage() << "\n";
        return 1;
    } catch (const FrameworkException& error) {
        std::cerr << "tivora-launch-game: " << error.GetMessage() << "\n";
        return 1;
    }
    const Game* chosen = nullptr;
    for (auto it = config.CreateFullIterator(); it->HasNext();) {
        const Game& game = it->Next();
        if (game.name == name) {
            chosen = &game;
        }
    }
    if (chosen == nullptr) {
        std::cerr << "tivora-launch-game: no game named '" << name << "' in the catalogue\n";
        return 1;
    }

    BrowserLayer::Init();
    LaunchGame(GameLaunch::Of(*chosen));
    GameStarter& starter = GameStarter::Instance();

    TerminationSignals signalWatcher([&app](int) { app.quit(); });
    bool told = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (starter.StartsUnderWay() > 0) {
            return;
        }
        const bool controlled = !starter.Controllers().empty();
        if (!told) {
            told = true;
            std::cout << (controlled ? "Opened in a controlled window: " : "Opened plainly: ")
                      << chosen->name << std::endl;
            if (!controlled) {
                watch.stop();
                QTimer::singleShot(1000, &app, &QCoreApplication::quit);
                return;
            }
        }
        for (const auto& controller : starter.Controllers()) {
            if (controller->IsAlive()) {
                return;
            }
        }
        app.quit();
    });
    watch.start(200);
    app.exec();

    GameStarter::Instance().CloseAll();
    BrowserLayer::Shutdown();
    std::cout << "The game window is gone." << std::endl;
    return 0;
}
