// The tray icon on a real X server and session bus, against the test StatusNotifierWatcher
// and notification server: what a tray host sees of the item, and the item coming back when
// the tray comes late or restarts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QImage>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "ResourceIds.h"
#include "platform/desktop/TrayHost.h"
#include "support/BarFixtures.h"
#include "support/SkinTestSupport.h"
#include "support/TestDesktopServices.h"
#include "support/TestEnvironment.h"
#include "ui/controls/DialogTemplate.h"
#include "ui/controls/Drawing.h"
#include "ui/toolbar/CSystemTray.h"

namespace {

using testing_support::TestNotificationServer;
using testing_support::TestStatusNotifierWatcher;
using testing_support::TestXEmbedTray;
using testing_support::WaitFor;

#define SKIP_WITHOUT_DESKTOP()                                                           \
    if (const std::string missing = testing_support::DesktopMissing(); !missing.empty()) \
    GTEST_SKIP() << missing

const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");

using bar_testing::RecordingTarget;

// A call as a tray host makes it, answered while this thread's events (the item's own) run.
QDBusMessage Call(const QString& service, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(message);
    WaitFor([&] { return pending.isFinished(); });
    return pending.reply();
}

QVariant ItemProperty(const QString& service, const QString& name) {
    const QDBusMessage reply =
        Call(service, kItemPath, "org.freedesktop.DBus.Properties", "Get", {kItemInterface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().front().value<QDBusVariant>().variant();
}

// The title of the item's ToolTip property, (icon name, pixmaps, title, text).
QString TooltipTitle(const QString& service) {
    const auto tooltip = ItemProperty(service, "ToolTip").value<QDBusArgument>();
    QString iconName, title, text;
    tooltip.beginStructure();
    tooltip >> iconName;
    tooltip.beginArray();
    while (!tooltip.atEnd()) {
        int width = 0, height = 0;
        QByteArray pixels;
        tooltip.beginStructure();
        tooltip >> width >> height >> pixels;
        tooltip.endStructure();
    }
    tooltip.endArray();
    tooltip >> title >> text;
    tooltip.endStructure();
    return title;
}

struct MenuEntry {
    int id = 0;
    QString label;  // "-" for a separator
};

// The top level of the exported menu, as a tray host reads it to show it.
std::vector<MenuEntry> MenuEntries(const QString& service) {
    const QString path = ItemProperty(service, "Menu").value<QDBusObjectPath>().path();
    const QDBusMessage reply =
        Call(service, path, "com.canonical.dbusmenu", "GetLayout", {0, -1, QStringList()});
    std::vector<MenuEntry> entries;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
        return entries;
    }
    const auto layout = reply.arguments().at(1).value<QDBusArgument>();
    int rootId = 0;
    QVariantMap rootProperties;
    layout.beginStructure();
    layout >> rootId >> rootProperties;
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        const auto item = child.variant().value<QDBusArgument>();
        MenuEntry entry;
        QVariantMap properties;
        item.beginStructure();
        item >> entry.id >> properties;
        item.beginArray();
        while (!item.atEnd()) {
            QDBusVariant grandChild;
            item >> grandChild;
        }
        item.endArray();
        item.endStructure();
        entry.label = properties.value("type").toString() == "separator"
                          ? QStringLiteral("-")
                          : properties.value("label").toString();
        entries.push_back(entry);
    }
    layout.endArray();
    layout.endStructure();
    return entries;
}

QStringList Labels(const std::vector<MenuEntry>& entries) {
    QStringList labels;
    for (const MenuEntry& entry : entries) {
        labels << entry.label;
    }
    return labels;
}

const QStringList kMenuLabels = {
    "Show/Hide Tivora", "-",        "Settings...", "Favorites...", "My Info...", "-",
    "Check Updates",    "About...", "-",           "Exit"};

QImage Picture(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Qt's own balloon, shown by the tray icon where no notification server is.
QWidget* BalloonTip() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->inherits("QBalloonTip")) {
            return widget;
        }
    }
    return nullptr;
}

bool Shows(const CSystemTray& tray, int resource) {
    return tray.Icon() != nullptr && Picture(tray.Icon()->icon()) == Picture(LoadIcon(resource));
}

TEST(SystemTrayDesktopTest, ItemHasItsTooltipAndMenuAndSendsClicksAndBalloons) {
    SKIP_WITHOUT_DESKTOP();
    TestStatusNotifierWatcher watcher;
    TestNotificationServer notifications;
    ASSERT_TRUE(watcher.Start());
    ASSERT_TRUE(notifications.Start());
    CSystemTray tray;
    RecordingTarget target;
    tray.SetCommandTarget(&target);
    ASSERT_TRUE(tray.CreateTrayIcon("Tivora", 32512, Res::IDR_TRAY_MENU, false, "", "", 0, 10));
    EXPECT_TRUE(tray.IsAvailable());
    ASSERT_TRUE(WaitFor([&] { return watcher.Items().size() == 1; }));
    const QString item = watcher.Items().front();

    EXPECT_EQ(TooltipTitle(item), "Tivora");
    const std::vector<MenuEntry> entries = MenuEntries(item);
    EXPECT_EQ(Labels(entries), kMenuLabels);

    // The host is about to show the menu: the bar hears of it (an update notice may come).
    QSignalSpy aboutToShow(&tray, &CSystemTray::menuAboutToShow);
    Call(item, ItemProperty(item, "Menu").value<QDBusObjectPath>().path(), "com.canonical.dbusmenu",
         "AboutToShow", {0});
    EXPECT_TRUE(WaitFor([&] { return aboutToShow.count() == 1; }));

    // A left click, then Exit chosen from the menu the host shows.
    Call(item, kItemPath, kItemInterface, "Activate", {0, 0});
    EXPECT_TRUE(WaitFor([&] { return target.commands == std::vector<int>{32771}; }));
    ASSERT_EQ(entries.size(), 10u);
    Call(item, ItemProperty(item, "Menu").value<QDBusObjectPath>().path(), "com.canonical.dbusmenu",
         "Event",
         {entries.back().id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
    EXPECT_TRUE(WaitFor([&] { return target.commands == std::vector<int>{32771, 32779}; }));

    // Title and text cut to 63 and 255 bytes; the warning icon; seconds become milliseconds.
    ASSERT_TRUE(tray.ShowTrayBalloon(std::string(300, 'x'), std::string(70, 't'),
                                     CSystemTray::NIIF_WARNING, 10));
    ASSERT_TRUE(WaitFor([&] { return notifications.Notifications().size() == 1; }));
    const auto shown = notifications.Notifications().front();
    EXPECT_EQ(shown.appName, "Tivora");
    EXPECT_EQ(shown.summary, QString(63, 't'));
    EXPECT_EQ(shown.body, QString(255, 'x'));
    EXPECT_EQ(shown.appIcon, "dialog-warning");
    EXPECT_EQ(shown.expireTimeout, 10000);
    EXPECT_EQ(shown.replacesId, 0u);
    EXPECT_TRUE(shown.actions.contains("default"));
    // The item stays as it was: no "needs attention", no balloon text for a tooltip.
    EXPECT_EQ(ItemProperty(item, "Status").toString(), "Active");
    EXPECT_EQ(TooltipTitle(item), "Tivora");

    // The next one takes the place of the last; a click on it is the balloon's click.
    ASSERT_TRUE(tray.ShowTrayBalloon("again", "Tivora", CSystemTray::NIIF_INFO, 10));
    ASSERT_TRUE(WaitFor([&] { return notifications.Notifications().size() == 2; }));
    EXPECT_EQ(notifications.Notifications().back().replacesId, shown.id);
    QSignalSpy clicked(&tray, &CSystemTray::balloonClicked);
    notifications.InvokeAction(shown.id + 1, "default");  // not ours
    notifications.InvokeAction(shown.id, "default");
    EXPECT_TRUE(WaitFor([&] { return clicked.count() == 1; }));

    // Made again with a balloon of its own, shown at once.
    tray.DeleteIcon();
    EXPECT_FALSE(tray.IsAvailable());
    ASSERT_TRUE(tray.CreateTrayIcon("Tivora", 32512, Res::IDR_TRAY_MENU, false, "Ready", "Welcome",
                                    CSystemTray::NIIF_INFO, 5));
    ASSERT_TRUE(WaitFor([&] { return notifications.Notifications().size() == 3; }));
    const auto first = notifications.Notifications().back();
    EXPECT_EQ(first.summary, "Welcome");
    EXPECT_EQ(first.body, "Ready");
    EXPECT_EQ(first.appIcon, "dialog-information");
    EXPECT_EQ(first.expireTimeout, 5000);
}

TEST(SystemTrayDesktopTest, ItemComesBackWithATrayThatComesLateOrRestarts) {
    SKIP_WITHOUT_DESKTOP();
    skin_test::ManualTimers timers;
    TestStatusNotifierWatcher watcher;
    CSystemTray tray;
    EXPECT_FALSE(tray.CreateTrayIcon("Tivora", 32512, Res::IDR_TRAY_MENU, false, "", "", 0, 10));
    EXPECT_FALSE(tray.IsAvailable());
    ASSERT_TRUE(tray.LoadAnimationIcons(1045, 1046));
    ASSERT_TRUE(tray.StartIconAnimation(400, -1));

    ASSERT_TRUE(watcher.Start());
    ASSERT_TRUE(WaitFor([&] { return watcher.Items().size() == 1 && tray.IsAvailable(); }));
    timers.Advance(400);
    EXPECT_TRUE(Shows(tray, 1046));

    watcher.Stop();
    ASSERT_TRUE(WaitFor([&] { return !tray.IsAvailable(); }));
    timers.Advance(400);  // the animation goes on without a tray

    ASSERT_TRUE(watcher.Start());
    ASSERT_TRUE(WaitFor([&] { return watcher.Items().size() == 1 && tray.IsAvailable(); }));
    EXPECT_TRUE(Shows(tray, 1045));
    const QString item = watcher.Items().front();
    EXPECT_EQ(TooltipTitle(item), "Tivora");
    EXPECT_EQ(Labels(MenuEntries(item)), kMenuLabels);
    timers.Advance(400);
    EXPECT_TRUE(Shows(tray, 1046));
    tray.StopIconAnimation();
    EXPECT_TRUE(Shows(tray, 32512));
}

TEST(SystemTrayDesktopTest, ItemForAStatusNotifierTrayIsNotShownByAnXEmbedTray) {
    SKIP_WITHOUT_DESKTOP();
    TestStatusNotifierWatcher watcher;
    TestXEmbedTray xembed;
    TrayHost host;
    CSystemTray tray(&host);
    ASSERT_TRUE(watcher.Start());
    ASSERT_TRUE(WaitFor([&] { return host.HasStatusNotifier(); }));
    ASSERT_TRUE(tray.CreateTrayIcon("Tivora", 32512, Res::IDR_TRAY_MENU, false, "", "", 0, 10));
    ASSERT_TRUE(xembed.Start());
    ASSERT_TRUE(WaitFor([&] { return host.HasXEmbed(); }));
    EXPECT_TRUE(tray.IsAvailable());

    // Qt keeps making D-Bus items in this process: the XEmbed tray left shows none of them,
    // and the bar must not hide into it.
    watcher.Stop();
    ASSERT_TRUE(WaitFor([&] { return !host.HasStatusNotifier(); }));
    EXPECT_TRUE(host.IsPresent());
    EXPECT_FALSE(tray.IsAvailable());
    EXPECT_FALSE(tray.ShowTrayBalloon("text", "title", CSystemTray::NIIF_INFO, 10));

    ASSERT_TRUE(watcher.Start());
    EXPECT_TRUE(WaitFor([&] { return watcher.Items().size() == 1 && tray.IsAvailable(); }));
}

TEST(SystemTrayDesktopTest, AnXEmbedTraysBalloonIsANotificationTooElseTheTraysOwn) {
    SKIP_WITHOUT_DESKTOP();
    TestXEmbedTray xembed;
    ASSERT_TRUE(xembed.Start());
    CSystemTray tray;
    ASSERT_TRUE(tray.CreateTrayIcon("Tivora", 32512, Res::IDR_TRAY_MENU, false, "", "", 0, 10));
    QSignalSpy clicked(&tray, &CSystemTray::balloonClicked);

    TestNotificationServer notifications;
    ASSERT_TRUE(notifications.Start());
    ASSERT_TRUE(tray.ShowTrayBalloon("text", "title", CSystemTray::NIIF_INFO, 10));
    ASSERT_TRUE(WaitFor([&] { return notifications.Notifications().size() == 1; }));
    EXPECT_EQ(notifications.Notifications().front().summary, "title");
    EXPECT_EQ(BalloonTip(), nullptr);

    // Without a notification server the tray's own balloon shows it, and its click counts.
    notifications.Stop();
    if (QDBusConnection::sessionBus().interface()->activatableServiceNames().value().contains(
            "org.freedesktop.Notifications")) {
        GTEST_SKIP() << "this session bus starts a notification server on demand";
    }
    ASSERT_TRUE(tray.ShowTrayBalloon("text", "title", CSystemTray::NIIF_INFO, 10));
    ASSERT_TRUE(WaitFor([&] { return BalloonTip() != nullptr; }));
    QTest::mouseClick(BalloonTip(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(WaitFor([&] { return clicked.count() == 1; }));
}

TEST(SystemTrayDesktopTest, OneRegistrationForEachAppearanceOfATrayOfBothKinds) {
    SKIP_WITHOUT_DESKTOP();
    // A panel that is a StatusNotifier host and an XEmbed tray at once, restarted.
    TestStatusNotifierWatcher watcher;
    TestXEmbedTray xembed;
    TrayHost host;
    CSystemTray tray(&host);
    testing_support::TraceRecorder traces;
    auto iconsMade = [&] {
        const auto texts = traces.Texts();
        return std::count(texts.begin(), texts.end(), "Tray icon added");
    };
    ASSERT_TRUE(watcher.Start());
    ASSERT_TRUE(xembed.Start());
    ASSERT_TRUE(WaitFor([&] { return host.HasStatusNotifier() && host.HasXEmbed(); }));
    ASSERT_TRUE(tray.CreateTrayIcon("Tivora", 32512, Res::IDR_TRAY_MENU, false, "", "", 0, 10));
    ASSERT_TRUE(WaitFor([&] { return watcher.Items().size() == 1; }));

    for (int restart = 1; restart <= 2; ++restart) {
        SCOPED_TRACE(restart);
        watcher.Stop();
        xembed.Stop();
        ASSERT_TRUE(WaitFor([&] { return !host.IsPresent(); }));
        EXPECT_FALSE(tray.IsAvailable());
        // Back in either order: the item is registered once with the new watcher.
        if (restart == 1) {
            ASSERT_TRUE(watcher.Start());
            ASSERT_TRUE(xembed.Start());
        } else {
            ASSERT_TRUE(xembed.Start());
            ASSERT_TRUE(watcher.Start());
        }
        ASSERT_TRUE(WaitFor([&] { return host.HasStatusNotifier() && host.HasXEmbed(); }));
        EXPECT_TRUE(WaitFor([&] { return watcher.Items().size() == 1 && tray.IsAvailable(); }));
        EXPECT_EQ(iconsMade(), restart + 1);
    }
    EXPECT_EQ(watcher.Items().size(), 1);
}

}  // namespace
