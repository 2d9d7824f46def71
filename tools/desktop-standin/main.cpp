// tivora-desktop-standin: what a desktop gives the bar, for a virtual X display that has none.
//
//   tivora-desktop-standin               serves a tray host (org.kde.StatusNotifierWatcher) and a
//                                        notification server on the session bus, prints "ready"
//                                        once both names are owned, prints every notification it
//                                        is asked to show, and ends on SIGTERM, SIGINT or SIGHUP.
//   tivora-desktop-standin --screenshot FILE
//                                        writes the whole screen of $DISPLAY to FILE as a PNG
//                                        once it has stopped changing (windows just mapped
//                                        are painted a moment later), or after 5 s at most.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "DesktopStandins.h"
#include "platform/os/UnixSignals.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: tivora-desktop-standin [--screenshot FILE]\n");
    return 2;
}

int Screenshot(int argc, char** argv, const char* file) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        std::fprintf(stderr, "tivora-desktop-standin: no X display to take a screenshot of\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    auto grab = [screen] { return screen != nullptr ? screen->grabWindow(0).toImage() : QImage(); };
    QImage image = grab();
    constexpr int kStillGrabs = 3;
    constexpr int kMaxGrabs = 5000 / 150;
    for (int still = 1, grabs = 1; !image.isNull() && still < kStillGrabs && grabs < kMaxGrabs;
         ++grabs) {
        QThread::msleep(150);
        QImage next = grab();
        still = next == image ? still + 1 : 1;
        image = std::move(next);
    }
    if (image.isNull()) {
        std::fprintf(stderr, "tivora-desktop-standin: could not read the screen of %s\n", display);
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(file), "PNG")) {
        std::fprintf(stderr, "tivora-desktop-standin: could not write %s\n", file);
        return 1;
    }
    return 0;
}

int Serve(int argc, char** argv) {
    UnixSignals::InstallTerminationHandlers();
    QCoreApplication app(argc, argv);
    TerminationSignals termination([](int) { QCoreApplication::quit(); });

    desktop_standin::TestStatusNotifierWatcher watcher;
    desktop_standin::TestNotificationServer notifications;
    if (!watcher.Start() || !notifications.Start()) {
        std::fprintf(stderr,
                     "tivora-desktop-standin: no session bus, or its tray host or notification "
                     "server is taken already\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    // The notifications are the bar's update results: shown here, as a desktop would.
    std::size_t shown = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const auto all = notifications.Notifications();
        for (; shown < all.size(); ++shown) {
            std::printf("notification: %s: %s\n", qPrintable(all[shown].summary),
                        qPrintable(all[shown].body));
        }
        std::fflush(stdout);
    });
    poll.start(500);
    return QCoreApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) {
        return Serve(argc, argv);
    }
    if (argc == 3 && std::strcmp(argv[1], "--screenshot") == 0) {
        return Screenshot(argc, argv, argv[2]);
    }
    return Usage();
}
