// The tray host watch and the tray icon on a real X server and session bus, against the test
// StatusNotifierWatcher and notification server.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

#include "platform/desktop/TrayHost.h"
#include "support/TestDesktopServices.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::TestNotificationServer;
using testing_support::TestStatusNotifierWatcher;
using testing_support::WaitFor;

#define SKIP_WITHOUT_DESKTOP()                                                           \
    if (const std::string missing = testing_support::DesktopMissing(); !missing.empty()) \
    GTEST_SKIP() << missing

TEST(TrayHostTest, NoSessionBusMeansNoTray) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A bus address where nothing listens: the watch must settle on "none" without waiting.
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + dir.path() + "/no-bus").toUtf8());
    TrayHost host;
    EXPECT_FALSE(host.IsPresent());
    EXPECT_EQ(host.Kind(), "none");
}

TEST(TrayHostTest, FollowsAStatusNotifierWatcherThatComesLateStopsAndRestarts) {
    SKIP_WITHOUT_DESKTOP();
    TrayHost host;
    QSignalSpy appeared(&host, &TrayHost::Appeared);
    QSignalSpy gone(&host, &TrayHost::Gone);
    EXPECT_FALSE(host.IsPresent());

    TestStatusNotifierWatcher watcher;
    struct Step {
        bool start;
        int appeared;
        int gone;
    };
    for (const Step step : {Step{true, 1, 0}, Step{false, 1, 1}, Step{true, 2, 1}}) {
        SCOPED_TRACE(step.appeared + step.gone);
        if (step.start) {
            ASSERT_TRUE(watcher.Start());
        } else {
            watcher.Stop();
        }
        EXPECT_TRUE(WaitFor(
            [&] { return appeared.count() == step.appeared && gone.count() == step.gone; }));
        EXPECT_EQ(host.IsPresent(), step.start);
        EXPECT_EQ(host.Kind(), step.start ? "StatusNotifier" : "none");
    }
}

TEST(TrayHostTest, FollowsTheOwnerOfTheXEmbedTraySelection) {
    SKIP_WITHOUT_DESKTOP();
    TrayHost host;
    QSignalSpy appeared(&host, &TrayHost::Appeared);
    QSignalSpy gone(&host, &TrayHost::Gone);
    ASSERT_FALSE(host.IsPresent());

    // A tray of another client: it owns the selection and announces it on the root window.
    testing_support::TestXEmbedTray tray;
    ASSERT_TRUE(tray.Start());
    EXPECT_TRUE(WaitFor([&] { return appeared.count() == 1; }));
    EXPECT_EQ(host.Kind(), "XEmbed");

    tray.Stop();
    EXPECT_TRUE(WaitFor([&] { return gone.count() == 1; }));
    EXPECT_FALSE(host.IsPresent());
}

TEST(TrayHostTest, QtsTrayIconRegistersWithTheWatcherAndItsBalloonIsANotification) {
    SKIP_WITHOUT_DESKTOP();
    // Qt looks for a tray once per process, so the watcher runs before the icon is made.
    TestStatusNotifierWatcher watcher;
    TestNotificationServer notifications;
    ASSERT_TRUE(watcher.Start());
    ASSERT_TRUE(notifications.Start());
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());

    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.show();
    EXPECT_TRUE(WaitFor([&] { return watcher.Items().size() == 1; }));

    icon.showMessage("Update ready", "Tivora 1.1 is ready to install");
    ASSERT_TRUE(WaitFor([&] { return notifications.Notifications().size() == 1; }));
    const auto shown = notifications.Notifications().front();
    EXPECT_EQ(shown.summary, "Update ready");
    EXPECT_EQ(shown.body, "Tivora 1.1 is ready to install");
    EXPECT_NE(shown.id, 0u);
}

}  // namespace
