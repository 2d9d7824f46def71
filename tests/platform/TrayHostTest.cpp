// The tray host watch and the tray icon on a real X server and session bus, against the test
// StatusNotifierWatcher and notification server.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

#include "platform/TrayHost.h"
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
    int screenNumber = 0;
    xcb_connection_t* tray = xcb_connect(nullptr, &screenNumber);
    ASSERT_EQ(xcb_connection_has_error(tray), 0);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(tray));
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_window_t root = screens.data->root;
    auto atom = [&](const std::string& name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            tray, xcb_intern_atom(tray, 0, static_cast<uint16_t>(name.size()), name.c_str()),
            nullptr);
        const xcb_atom_t value = reply->atom;
        std::free(reply);
        return value;
    };
    const xcb_atom_t selection = atom("_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber));
    const xcb_window_t window = xcb_generate_id(tray);
    xcb_create_window(tray, XCB_COPY_FROM_PARENT, window, root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(tray, window, selection, XCB_CURRENT_TIME);
    xcb_client_message_event_t manager{};
    manager.response_type = XCB_CLIENT_MESSAGE;
    manager.format = 32;
    manager.window = root;
    manager.type = atom("MANAGER");
    manager.data.data32[0] = XCB_CURRENT_TIME;
    manager.data.data32[1] = selection;
    manager.data.data32[2] = window;
    xcb_send_event(tray, 0, root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&manager));
    xcb_flush(tray);

    EXPECT_TRUE(WaitFor([&] { return appeared.count() == 1; }));
    EXPECT_EQ(host.Kind(), "XEmbed");

    xcb_destroy_window(tray, window);
    xcb_flush(tray);
    EXPECT_TRUE(WaitFor([&] { return gone.count() == 1; }));
    EXPECT_FALSE(host.IsPresent());
    xcb_disconnect(tray);
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
