// scripts/run-headless.sh as ./run.sh uses it without a display: a virtual display, the bar on
// it on a first run, its drop-down opened by a click, and a screenshot that shows all that.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>

#include "support/TestEnvironment.h"

namespace {

using testing_support::TempHome;

// The share of the rectangle's pixels for which `matches` holds.
template <typename Matches>
double Share(const QRect& rect, Matches matches) {
    int hits = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            hits += matches(x, y) ? 1 : 0;
        }
    }
    return static_cast<double>(hits) / (rect.width() * rect.height());
}

TEST(HeadlessRun, ScreenshotShowsTheBarAtItsFirstPlaceWithTheDropDownOpen) {
    for (const char* program : {"Xvfb", "openbox", "xdotool", "dbus-daemon"}) {
        if (QStandardPaths::findExecutable(program).isEmpty()) {
            GTEST_SKIP() << "not installed: " << program;
        }
    }
    TempHome home;
    const QString screenshot = QString::fromStdString(home.Root() + "/shot.png");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"}) {
        environment.remove(name);
    }
    environment.insert("TIVORA_RUN_ONCE", "1");
    // A click that went astray opens no browser.
    environment.insert("TIVORA_BROWSER", "/bin/true");
    environment.insert("TIVORA_SCREENSHOT", screenshot);
    const std::string sessionFolders = home.Root() + "/tmp";
    std::filesystem::create_directories(sessionFolders);
    environment.insert("TMPDIR", QString::fromStdString(sessionFolders));
    QProcess run;
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(TIVORA_SOURCE_DIR "/scripts/run-headless.sh", {TIVORA_BINARY_DIR});
    if (!run.waitForFinished(60000)) {
        // SIGTERM, unlike the kill of QProcess's destructor, lets the script end what it started.
        run.terminate();
        run.waitForFinished(10000);
        FAIL() << "still running after 60 s: " << run.readAll().toStdString();
    }
    const QString output = QString::fromLocal8Bit(run.readAll());
    ASSERT_EQ(run.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("Screenshot of the bar written to " + screenshot))
        << output.toStdString();
    // What the session started was ended and its folder went with it.
    EXPECT_TRUE(std::filesystem::is_empty(sessionFolders));

    QImage shot(screenshot, "PNG");
    ASSERT_FALSE(shot.isNull()) << "no PNG at " << screenshot.toStdString();
    ASSERT_EQ(shot.size(), QSize(1280, 1024));
    shot = shot.convertToFormat(QImage::Format_RGB32);

    // The bar at (0,0): much of its background bitmap shows between the buttons.
    QImage background(TIVORA_SOURCE_DIR "/res/bitmaps/1035.png");
    ASSERT_EQ(background.size(), QSize(357, 46));
    background = background.convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(Share(background.rect(),
                    [&](int x, int y) { return shot.pixel(x, y) == background.pixel(x, y); }),
              0.3);

    // The drop-down's orange list under the all-games button (269,24), where the screen was black.
    EXPECT_GT(Share(QRect(269, 46, 150, 150),
                    [&](int x, int y) {
                        const QRgb pixel = shot.pixel(x, y);
                        return qRed(pixel) >= 245 && qGreen(pixel) >= 125 && qGreen(pixel) <= 140 &&
                               qBlue(pixel) <= 10;
                    }),
              0.5);
}

}  // namespace
