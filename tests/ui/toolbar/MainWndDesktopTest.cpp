// The bar on a real X server and session bus, with a test tray host and notification server:
// hiding into the tray and back, the update notice's balloons, and a tray that goes away.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "ConfigFixtures.h"
#include "ResourceIds.h"
#include "app/ComeForwardEvent.h"
#include "app/TextTable.h"
#include "platform/desktop/WindowHints.h"
#include "services/UpdateEvents.h"
#include "support/BarFixtures.h"
#include "support/ModalRecorder.h"
#include "support/TestDesktopServices.h"
#include "support/TestEnvironment.h"
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
    std::unique_ptr<CMainWnd> bar;

    void Make() {
        const std::string path = Root() + "/tivora.cfg";
        testing_support::WriteFile(path, File({MakeGame("Chess", Game::FLAG_FAVORITE),
                                               MakeGame("Darts"), MakeGame("Poker")}));
        games.LoadGamesConfig(path);
        bar = std::make_unique<CMainWnd>(MainWndParts());
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

    // Hidden when the tray goes away: the bar comes back by itself.
    d.bar->OnCommand(Res::ID_SHOW_HIDE);
    ASSERT_FALSE(d.bar->isVisible());
    d.watcher.Stop();
    EXPECT_TRUE(WaitFor([&] { return d.bar->isVisible(); }));
    EXPECT_EQ(d.window.hidden, 0);
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

    // The first click shows the notice instead of hiding the bar; the next one hides it.
    d.bar->OnCommand(Res::ID_SHOW_HIDE);
    EXPECT_EQ(d.modals.ShownDialogs().size(), 1u);
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

}  // namespace
