// The bar window over a real catalogue under a temporary home, offscreen (where no desktop has
// a tray): its start place, both layouts, the size button, and the update notice.
#include <gtest/gtest.h>

#include <QTest>

#include "ConfigFixtures.h"
#include "StoresFixture.h"
#include "config/UpdateSection.h"
#include "services/UpdateEvents.h"
#include "support/ModalRecorder.h"
#include "support/TestEnvironment.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/dialogs/CAboutDialog.h"
#include "ui/dialogs/CAppSettingsDialog.h"
#include "ui/dialogs/CUpdateInformation.h"
#include "ui/toolbar/CControlButton.h"
#include "ui/toolbar/CMainWnd.h"
#include "ui/toolbar/CSystemTray.h"
#include "ui/toolbar/ControlButtonsPanel.h"
#include "ui/toolbar/UpdateNotice.h"

namespace {

using namespace config_fixtures;
using testing_support::ModalRecorder;
using testing_support::TempHome;

TEST(MainWndPlace, StoredCornerComesBackOntoTheDesktop) {
    const Rect desktop{0, 0, 1024, 768};
    struct Row {
        int left, top, sizeMode;
        Rect expected;
    };
    const Row rows[] = {
        // Wholly left of the desktop: to its edge.
        {-500, 10, 0, {0, 10, 357, 56}},
        // Corner right of it: back just inside.
        {2000, 10, 0, {667, 10, 1024, 56}},
        // Only partly off: where it was.
        {1000, 10, 0, {1000, 10, 1357, 56}},
        {10, -46, 0, {10, 0, 367, 46}},
        {10, 769, 0, {10, 722, 367, 768}},
        {-320, 900, WindowSection::kMiniSize, {0, 743, 320, 768}},
        // On the edge itself: the right edge is exclusive, so a window ending at 0 is off.
        {-357, 10, 0, {0, 10, 357, 56}},
        {-356, 10, 0, {-356, 10, 1, 56}},
    };
    for (const Row& row : rows) {
        const Rect got = CMainWnd::StartRect(row.left, row.top, row.sizeMode, desktop);
        EXPECT_EQ(got.ToQRect(), row.expected.ToQRect()) << row.left << "," << row.top;
    }
    // A desktop left of the primary screen (a second monitor) counts as desktop.
    EXPECT_EQ(CMainWnd::StartRect(-1700, 10, 0, Rect{-1280, 0, 1024, 768}).left, -1280);
    EXPECT_EQ(CMainWnd::StartRect(-1200, 10, 0, Rect{-1280, 0, 1024, 768}).left, -1200);
}

TEST(MainWndPlace, OnlyAWaylandClientCannotPlaceItself) {
    EXPECT_TRUE(CMainWnd::PlacesItself("xcb"));
    EXPECT_TRUE(CMainWnd::PlacesItself("offscreen"));
    EXPECT_FALSE(CMainWnd::PlacesItself("wayland"));
    EXPECT_FALSE(CMainWnd::PlacesItself("wayland-egl"));
}

// A bar over a catalogue of games, the first `favorites` of them favourites.
// The temporary home comes first: everything after it lives in it.
struct Bar : TempHome, ui_testing::Stores {
    ModalRecorder modals;
    std::unique_ptr<CMainWnd> bar;

    explicit Bar(int count, int favorites, int sizeMode = 0) {
        std::vector<CfgPack::GameEntry> entries;
        for (int i = 0; i < count; ++i) {
            entries.push_back(MakeGame("Game " + std::string(1, static_cast<char>('A' + i)),
                                       i < favorites ? Game::FLAG_FAVORITE : 0));
        }
        const std::string path = Root() + "/tivora.cfg";
        testing_support::WriteFile(path, File(entries));
        games.LoadGamesConfig(path);
        window.left = 40;
        window.top = 30;
        window.sizeMode = sizeMode;
        bar = std::make_unique<CMainWnd>(CMainWnd::Parts{
            games, window, update, std::make_unique<CAppSettingsDialog>(Parts()), nullptr});
        EXPECT_TRUE(bar->Create());
    }

    // Where the bar's direct children sit, by control id.
    std::map<int, QRect> Places() const {
        std::map<int, QRect> places;
        for (QWidget* child : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isWindow() || GetDlgCtrlID(child) == 0) {
                continue;
            }
            places[GetDlgCtrlID(child)] = child->geometry();
        }
        return places;
    }
};

QRect At(int x, int y, int w, int h) {
    return QRect(x, y, w, h);
}

TEST(MainWndLayout, BothSizesPlaceEveryControl) {
    Bar bar(6, 2);
    EXPECT_EQ(bar.bar->geometry(), At(40, 30, 357, 46));
    const std::map<int, QRect> normal{
        {220, At(115, 3, 165, 18)}, {120, At(283, 2, 60, 21)},  {1000, At(1, 22, 66, 22)},
        {1001, At(68, 22, 66, 22)}, {303, At(269, 24, 12, 20)}, {122, At(283, 24, 60, 21)},
        {132, At(345, 10, 12, 13)}, {131, At(345, 24, 12, 13)},
    };
    EXPECT_EQ(bar.Places(), normal);

    // The size button: mini size, saved, and the bar rebuilt at the same corner.
    auto* size = bar.bar->GetControlButtonsPanel().SizeButton();
    ASSERT_NE(size, nullptr);
    QTest::mouseClick(size, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.window.sizeMode, WindowSection::kMiniSize);
    EXPECT_EQ(bar.bar->geometry(), At(40, 30, 320, 25));
    const std::map<int, QRect> mini{
        {1000, At(24, 2, 66, 22)}, {1001, At(91, 2, 66, 22)},  {303, At(292, 4, 12, 20)},
        {132, At(307, 0, 12, 13)}, {131, At(307, 13, 12, 13)},
    };
    EXPECT_EQ(bar.Places(), mini);

    // And back: the same layout as at first, the corner unmoved.
    QTest::mouseClick(bar.bar->GetControlButtonsPanel().SizeButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.window.sizeMode, 0);
    EXPECT_EQ(bar.bar->geometry(), At(40, 30, 357, 46));
    EXPECT_EQ(bar.Places(), normal);
}

TEST(MainWndLayout, BackgroundOfEachSize) {
    Bar normal(2, 0);
    const QImage normalShot = normal.bar->grab().toImage();
    // Bitmap 1035 over the class grey: its green corners let the grey through.
    const QImage art = QImage(":/bitmaps/1035.png").convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(art.isNull());
    ASSERT_EQ(art.pixelColor(0, 0), QColor(0, 255, 0));
    EXPECT_EQ(normalShot.pixelColor(0, 0), QColor(0x51, 0x51, 0x51));
    ASSERT_NE(art.pixelColor(200, 45), QColor(0, 255, 0));
    EXPECT_EQ(normalShot.pixelColor(200, 45), art.pixelColor(200, 45));

    Bar mini(2, 0, WindowSection::kMiniSize);
    const QImage miniShot = mini.bar->grab().toImage();
    EXPECT_EQ(miniShot.pixelColor(200, 0), QColor(238, 142, 0));        // frame
    EXPECT_EQ(miniShot.pixelColor(306, 1), QColor(135, 102, 38));       // gradient column top
    EXPECT_EQ(miniShot.pixelColor(200, 24), QColor(238, 142, 0));       // frame bottom
    EXPECT_NE(miniShot.pixelColor(150, 12), QColor(0x51, 0x51, 0x51));  // strip 1036 drawn
}

TEST(MainWndUpdate, NoticeWaitsForTheUserAndTheDialogTakesTheClick) {
    Bar bar(3, 1);
    UpdateManifest release{"2", "3", "2026-12-01", "http://127.0.0.1:9/get", "x"};
    UpdateAvailableEvent available(release);
    QCoreApplication::sendEvent(bar.bar.get(), &available);
    EXPECT_TRUE(bar.bar->Notice().IsPending());
    EXPECT_EQ(bar.update.GetUpdateManifest().url, release.url);

    // The show/hide command shows the notice instead of hiding the bar, once.
    bar.bar->OnCommand(CMainWnd::ID_SHOW_HIDE);
    ASSERT_EQ(bar.modals.ShownDialogs().size(), 1u);
    EXPECT_EQ(bar.modals.ShownDialogs()[0].className, "CUpdateInformation");
    EXPECT_FALSE(bar.bar->Notice().IsPending());
    ASSERT_NE(bar.bar->Notice().Dialog(), nullptr);
    EXPECT_EQ(bar.bar->Notice().Dialog()->DownloadUrl(), release.url);

    // Without a tray the next click may not hide the bar: nothing would bring it back.
    bar.bar->OnCommand(CMainWnd::ID_SHOW_HIDE);
    EXPECT_TRUE(bar.bar->isVisible());
    EXPECT_EQ(bar.window.hidden, 0);
    EXPECT_EQ(bar.modals.ShownDialogs().size(), 1u);
}

TEST(MainWndCommands, MenuCommandsReachTheirTargets) {
    Bar bar(3, 1, WindowSection::kMiniSize);
    int checks = 0;
    int exits = 0;
    QObject::connect(bar.bar.get(), &CMainWnd::checkUpdatesRequested, [&] { ++checks; });
    QObject::connect(bar.bar.get(), &CMainWnd::exitRequested, [&] { ++exits; });
    bar.bar->OnCommand(CMainWnd::ID_CHECK_UPDATES);
    bar.bar->OnCommand(CMainWnd::ID_EXIT);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(exits, 1);

    // The settings pages are reached from the menu in mini size too, where the bar has no
    // settings button.
    bar.bar->OnCommand(CMainWnd::ID_MY_INFO);
    // Made on first use, so that it costs the bar's start nothing; once made, it is kept.
    EXPECT_TRUE(bar.bar->findChildren<CAboutDialog*>().isEmpty());
    bar.bar->OnCommand(CMainWnd::ID_ABOUT);
    bar.bar->OnCommand(CMainWnd::ID_ABOUT);
    EXPECT_EQ(bar.bar->findChildren<CAboutDialog*>().size(), 1);
    ASSERT_EQ(bar.modals.ShownDialogs().size(), 3u);
    EXPECT_EQ(bar.modals.ShownDialogs()[0].className, "CAppSettingsDialog");
    EXPECT_EQ(bar.bar->GetSettingsPanel().Dialog().ActivePage(), CAppSettingsDialog::kMyInfoPage);
    EXPECT_EQ(bar.modals.ShownDialogs()[1].className, "CAboutDialog");
    EXPECT_EQ(bar.modals.ShownDialogs()[2].className, "CAboutDialog");
}

TEST(MainWndPlace, HiddenAtExitButNoTrayStillShows) {
    TempHome home;
    ui_testing::Stores stores;
    stores.window.hidden = 1;
    CMainWnd bar(CMainWnd::Parts{stores.games, stores.window, stores.update,
                                 std::make_unique<CAppSettingsDialog>(stores.Parts()), nullptr});
    bar.Create();
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(stores.window.hidden, 0);
}

}  // namespace
