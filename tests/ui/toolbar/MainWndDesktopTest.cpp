// The bar on a real X server and session bus, with a test tray host and notification server:
// hiding into the tray and back, the update notice's balloons, and a tray that goes away.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <QDialog>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "ConfigFixtures.h"
#include "ResourceIds.h"
#include "app/ComeForwardEvent.h"
#include "app/TextTable.h"
#include "platform/desktop/TrayHost.h"
#include "platform/desktop/WindowHints.h"
#include "services/UpdateEvents.h"
#include "support/BarFixtures.h"
#include "support/ModalRecorder.h"
#include "support/TestDesktopServices.h"
#include "support/TestEnvironment.h"
#include "ui/controls/Modal.h"
#include "ui/dialogs/CAppSettingsDialog.h"
#include "ui/toolbar/CControlButton.h"
#include "ui/toolbar/CMainWnd.h"
#include "ui/toolbar/CSystemTray.h"
#include "ui/toolbar/ControlButtonsPanel.h"
#include "ui/toolbar/UpdateNotice.h"

namespace {

using namespace config_fixtures;
using testing_support::ModalRecorder;
using testing_support::TempHome;
using testing_support::TestNotificationServer;
using testing_support::TestStatusNotifierWatcher;
using testing_support::WaitFor;

struct DesktopBar : TempHome, bar_testing::Stores {
    TestStatusNotifierWatcher watcher;
    TestNotificationServer notifications;
    ModalRecorder modals;
    // What the bar knows of the desktop's trays; it starts watching when the bar asks, as the
    // program's own does.
    TrayHost trays{nullptr, false};
    std::unique_ptr<CMainWnd> bar;

    void Make() {
        const std::string path = Root() + "/tivora.cfg";
        testing_support::WriteFile(path, File({MakeGame("Chess", Game::FLAG_FAVORITE),
                                               MakeGame("Darts"), MakeGame("Poker")}));
        games.LoadGamesConfig(path);
        bar = std::make_unique<CMainWnd>(MainWndParts(&trays));
        ASSERT_TRUE(bar->Create());
    }
    void HideButton() {
        QTest::mouseClick(bar->GetControlButtonsPanel().HideButton(), Qt::LeftButton);
    }
    // The texts of the last notification, once one with this summary arrived.
    bool NotifiedWith(const std::string& titleKey, const std::string& textKey) {
        return WaitFor([&] {
            for (const auto& n : notifications.Notifications()) {
                if (n.summary.toStdString() == GetText(titleKey) &&
                    n.body.toStdString() == GetText(textKey)) {
                    return true;
                }
            }
            return false;
        });
    }
};

class MainWndDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = testing_support::DesktopMissing(); !missing.empty()) {
            GTEST_SKIP() << missing;
        }
    }
};

TEST_F(MainWndDesktop, HidesIntoTheTrayOnlyWhileThereIsOne) {
    DesktopBar d;
    // No tray host yet: the hide button leaves the bar where it is.
    d.Make();
    ASSERT_TRUE(WaitFor([&] { return d.bar->isVisible(); }));
    d.HideButton();
    EXPECT_TRUE(d.bar->isVisible());
    EXPECT_EQ(d.window.hidden, 0);

    // A tray host appears: now the bar goes into it, and the show/hide command brings it back.
    ASSERT_TRUE(d.watcher.Start());
    ASSERT_TRUE(WaitFor([&] { return d.bar->Tray().IsAvailable(); }));
    d.HideButton();
    EXPECT_FALSE(d.bar->isVisible());
    EXPECT_EQ(d.window.hidden, 1);
    d.bar->OnCommand(Res::ID_SHOW_HIDE);
    EXPECT_TRUE(d.bar->isVisible());
    EXPECT_EQ(d.window.hidden, 0);

    // A later start of the program brings a hidden bar back.
    d.HideButton();
    ASSERT_FALSE(d.bar->isVisible());
    ComeForwardEvent comeForward("");
    comeForward.setAccepted(false);
    QCoreApplication::sendEvent(d.bar.get(), &comeForward);
    EXPECT_TRUE(comeForward.isAccepted());
    EXPECT_TRUE(d.bar->isVisible());
    EXPECT_EQ(d.window.hidden, 0);

    // Hidden when the tray that shows the icon goes away, even with a tray of the other kind
    // left: the bar comes back by itself.
    testing_support::TestXEmbedTray xembed;
    ASSERT_TRUE(xembed.Start());
    ASSERT_TRUE(WaitFor([&] { return d.trays.HasXEmbed(); }));
    d.bar->OnCommand(Res::ID_SHOW_HIDE);
    ASSERT_FALSE(d.bar->isVisible());
    d.watcher.Stop();
    EXPECT_TRUE(WaitFor([&] { return d.bar->isVisible(); }));
    EXPECT_EQ(d.window.hidden, 0);
}

TEST_F(MainWndDesktop, AHiddenStartAsksForTheTrayFirstAShownOneAfterItsFirstPaint) {
    struct Case {
        int hidden;
        bool shownAtOnce;
        bool iconAtOnce;
    };
    // Hidden at the last exit, the bar may stay hidden only in a tray, so it asks before it
    // decides; shown, it asks once it is on the screen, and the icon comes then.
    for (const Case c : {Case{1, false, true}, Case{0, true, false}}) {
        SCOPED_TRACE(c.hidden);
        DesktopBar d;
        ASSERT_TRUE(d.watcher.Start());
        d.window.hidden = c.hidden;
        d.Make();
        EXPECT_EQ(d.bar->isVisible(), c.shownAtOnce);
        EXPECT_EQ(d.bar->Tray().IsAvailable(), c.iconAtOnce);
        EXPECT_TRUE(WaitFor([&] { return d.bar->Tray().IsAvailable(); }));
        EXPECT_EQ(d.bar->isVisible(), c.shownAtOnce);
        EXPECT_EQ(d.window.hidden, c.hidden);
    }
}

TEST_F(MainWndDesktop, UpdateOutcomesAreBalloonsAndTheNoticeTakesTheFirstClick) {
    DesktopBar d;
    ASSERT_TRUE(d.watcher.Start());
    ASSERT_TRUE(d.notifications.Start());
    d.Make();
    ASSERT_TRUE(WaitFor([&] { return d.bar->Tray().IsAvailable(); }));

    UpdateResultEvent none(1);
    QCoreApplication::sendEvent(d.bar.get(), &none);
    EXPECT_TRUE(
        d.NotifiedWith("update.unavaliable.balloon.title", "update.unavaliable.balloon.text"));
    UpdateResultEvent failed(3);
    QCoreApplication::sendEvent(d.bar.get(), &failed);
    EXPECT_TRUE(d.NotifiedWith("update.error.balloon.title", "update.error.balloon.text"));
    EXPECT_FALSE(d.bar->Tray().IsAnimating());

    UpdateAvailableEvent available(UpdateManifest{"2", "7", "", "http://127.0.0.1:9/", ""});
    QCoreApplication::sendEvent(d.bar.get(), &available);
    EXPECT_TRUE(d.NotifiedWith("update.avaliable.balloon.title", "update.avaliable.balloon.text"));
    EXPECT_TRUE(d.bar->Tray().IsAnimating());

    // A click on the announcement shows the notice, as a click on the tray icon would; the
    // next click on the icon hides the bar.
    d.notifications.InvokeAction(d.notifications.Notifications().back().id, "default");
    EXPECT_TRUE(WaitFor([&] { return d.modals.ShownDialogs().size() == 1u; }));
    EXPECT_FALSE(d.bar->Tray().IsAnimating());
    EXPECT_TRUE(d.bar->isVisible());
    d.bar->OnCommand(Res::ID_SHOW_HIDE);
    EXPECT_FALSE(d.bar->isVisible());
    EXPECT_EQ(d.modals.ShownDialogs().size(), 1u);
}

TEST_F(MainWndDesktop, AppearsWhereStoredAndKeepsWhereItIsMoved) {
    if (const char* wm = std::getenv("TIVORA_WM_MISSING")) {
        GTEST_SKIP() << "no window manager: " << wm;
    }
    DesktopBar d;
    d.window.left = 150;
    d.window.top = 120;
    d.Make();
    ASSERT_TRUE(WaitFor([&] { return d.bar->isVisible() && d.bar->pos() == QPoint(150, 120); }))
        << d.bar->pos().x() << "," << d.bar->pos().y();

    // Moved (as the window manager moves it at the end of a drag): the place is kept and
    // reaches the settings file.
    d.bar->move(250, 220);
    ASSERT_TRUE(WaitFor([&] { return d.window.left == 250 && d.window.top == 220; }))
        << d.window.left << "," << d.window.top;
    d.storage.SaveAll();
    // Read back without the catalogue, which loading the games' block would read again.
    struct Skipped : SettingsSection {
        void Store(ArchiveWriter&) override {}
        void Load(int, ArchiveReader&) override {}
        int GetVersion() const override { return 0; }
    } games;
    WindowSection stored;
    SettingsStorage file{{&games, &stored}};
    file.LoadAll();
    EXPECT_EQ(stored.left, 250);
    EXPECT_EQ(stored.top, 220);

    // Moved again while Qt has not yet heard of it: the drop-down still opens under the button
    // where the bar really is.
    ASSERT_EQ(
        QProcess::execute("xdotool", {"windowmove", QString::number(d.bar->winId()), "400", "300"}),
        0);
    for (int i = 0; i < 500 && PlaceOnScreen(*d.bar) != QPoint(400, 300); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(PlaceOnScreen(*d.bar), std::optional<QPoint>(QPoint(400, 300)));
    ASSERT_EQ(d.bar->pos(), QPoint(250, 220));
    CAllGamesButton& allGames = *d.bar->GetFavoritesPanel().AllGamesButton();
    allGames.click();
    EXPECT_EQ(allGames.DropDown().pos(),
              QPoint(400, 300) + allGames.mapTo(d.bar.get(), QPoint(0, allGames.height() + 1)));
}

// The stacking the window manager publishes, bottom first, and a window's owner, read over an
// X connection of the test's own.
struct XStacking {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    ~XStacking() { xcb_disconnect(x); }

    std::vector<uint32_t> Property(xcb_window_t window, const char* name) {
        auto* atom = xcb_intern_atom_reply(
            x, xcb_intern_atom(x, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        auto* reply = xcb_get_property_reply(
            x, xcb_get_property(x, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr);
        std::free(atom);
        std::vector<uint32_t> values;
        if (reply != nullptr && reply->format == 32) {
            const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return values;
    }
    std::vector<uint32_t> Clients() {
        return Property(xcb_setup_roots_iterator(xcb_get_setup(x)).data->root,
                        "_NET_CLIENT_LIST_STACKING");
    }
    // Where the window stands in the stacking, -1 while the window manager does not list it.
    long Place(const QWidget& window) {
        const auto clients = Clients();
        const auto found = std::find(clients.begin(), clients.end(), window.winId());
        return found == clients.end() ? -1 : found - clients.begin();
    }
};

TEST_F(MainWndDesktop, SettingsDialogBelongsToTheBarAndStaysAboveItWhereItCoversIt) {
    if (const char* wm = std::getenv("TIVORA_WM_MISSING")) {
        GTEST_SKIP() << "no window manager: " << wm;
    }
    DesktopBar d;
    ASSERT_NE(d.window.AlwaysOnTop(), 0);
    // Where the dialog appears: the middle of the 1280 x 1024 screen.
    d.window.left = 640 - 178;
    d.window.top = 512 - 23;
    d.Make();
    XStacking x;
    ASSERT_TRUE(WaitFor([&] {
        return x.Place(*d.bar) >= 0 && PlaceOnScreen(*d.bar) == QPoint(640 - 178, 512 - 23);
    }));

    struct RunForReal : Modal::Hook {
        Modal::Hook* previous = Modal::SetHook(this);
        std::function<void(QDialog&)> shown;
        ~RunForReal() override { Modal::SetHook(previous); }
        std::optional<int> Intercept(QDialog& dialog) override {
            QTimer::singleShot(0, &dialog, [this, &dialog] {
                shown(dialog);
                dialog.reject();
            });
            return std::nullopt;
        }
    } modal;
    long barPlace = -1;
    long dialogPlace = -1;
    std::vector<uint32_t> owner;
    modal.shown = [&](QDialog& dialog) {
        // Where the bar really is: Qt may still hold the corner the window manager framed
        // it at first.
        EXPECT_TRUE(dialog.geometry().intersects(
            QRect(PlaceOnScreen(*d.bar).value_or(QPoint()), d.bar->size())));
        // Settled once the window manager has stacked the dialog above the bar; a dialog of
        // its own would stay below a bar that keeps above everything.
        WaitFor([&] { return x.Place(dialog) > x.Place(*d.bar); }, 3000);
        barPlace = x.Place(*d.bar);
        dialogPlace = x.Place(dialog);
        owner = x.Property(static_cast<xcb_window_t>(dialog.winId()), "WM_TRANSIENT_FOR");
    };
    d.bar->OnCommand(Res::ID_SETTINGS);
    EXPECT_GT(dialogPlace, barPlace);
    EXPECT_EQ(owner, std::vector<uint32_t>{static_cast<uint32_t>(d.bar->winId())});
}

}  // namespace
