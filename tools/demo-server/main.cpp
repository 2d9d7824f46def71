// tivora-demo-server: the update manifest, the registration address, the demo game pages of
// a catalogue and the search service, on 127.0.0.1, so that the program can be tried out on this
// machine.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "DemoServer.h"
#include "app/Exceptions.h"
#include "app/PathUtils.h"
#include "config/GamesConfig.h"
#include "config/VersionUtils.h"

namespace {

DemoServer* g_server = nullptr;

void OnSignal(int) {
    if (g_server != nullptr) {
        g_server->Stop();  // a shutdown of the listening socket: safe in a signal handler
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Serves the update manifest, the registration address, the demo game pages of a "
        "Tivora catalogue and the search service on 127.0.0.1.");
    parser.addHelpOption();
    const QCommandLineOption port("port", "Port to listen on (default 47613).", "port", "47613");
    const QCommandLineOption catalogue("catalogue",
                                       "The packed catalogue (default: tivora.cfg beside this "
                                       "program, else in ../share/tivora/).",
                                       "file");
    const QCommandLineOption version("version",
                                     "Release version in the manifest (default: the "
                                     "program's own).",
                                     "version");
    const QCommandLineOption build("build",
                                   "Release build (default: the catalogue's "
                                   "WebmasterVersion, so nothing is newer).",
                                   "build");
    const QCommandLineOption url("url", "Release address (default: the server's download page).",
                                 "url");
    const QCommandLineOption date("date", "Release date.", "date", "2026-12-07");
    const QCommandLineOption description("description", "Release notes.", "text",
                                         "The demo server's release.");
    parser.addOptions({port, catalogue, version, build, url, date, description});
    parser.process(app);

    bool portOk = false;
    const int portNumber = parser.value(port).toInt(&portOk);
    if (!portOk || portNumber <= 0 || portNumber > 65535) {
        std::cerr << "tivora-demo-server: bad port '" << parser.value(port).toStdString() << "'\n";
        return 2;
    }

    GamesConfig config;
    std::map<std::string, DemoGame> games;
    try {
        config.LoadGamesConfig(parser.isSet(catalogue)
                                   ? parser.value(catalogue).toStdString()
                                   : GamesConfig::FindGamesConfig(PathUtils::GetModulePath()));
        for (auto it = config.CreateFullIterator(); it->HasNext();) {
            const Game& game = it->Next();
            const std::string slug = DemoServer::SlugOf(game.url);
            if (!slug.empty()) {
                games[slug] = {game.name, game.extraText, game.isControlled};
            }
        }
    } catch (const AppException& error) {
        std::cerr << "tivora-demo-server: cannot read the catalogue: " << error.GetMessage()
                  << "\n";
        return 1;
    } catch (const FrameworkException& error) {
        std::cerr << "tivora-demo-server: cannot read the catalogue: " << error.GetMessage()
                  << "\n";
        return 1;
    }

    DemoRelease release;
    release.version = parser.isSet(version)
                          ? parser.value(version).toStdString()
                          : VersionUtils::FormatVersion(VersionUtils::GetCurrentVersion(), 4, '.');
    release.build = parser.isSet(build) ? parser.value(build).toStdString()
                                        : std::to_string(GetWebmasterVersion());
    release.url = parser.value(url).toStdString();
    release.date = parser.value(date).toStdString();
    release.description = parser.value(description).toStdString();

    DemoServer server(release, games, [](const std::string& line) {
        std::cout << line << std::endl;  // one line per request, at once
    });
    g_server = &server;
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    if (!server.Bind("127.0.0.1", portNumber)) {
        const int error = errno;
        std::cerr << "tivora-demo-server: cannot listen on 127.0.0.1:" << portNumber << ": "
                  << (error == EADDRINUSE ? "another server already listens there"
                                          : std::strerror(error))
                  << "\n";
        return 1;
    }
    std::cout << "tivora-demo-server: listening on http://127.0.0.1:" << portNumber << "/ ("
              << games.size() << " games, release " << release.version << " build " << release.build
              << ")" << std::endl;
    server.Listen();
    return 0;
}
