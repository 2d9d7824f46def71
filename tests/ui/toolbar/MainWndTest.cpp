// The bar window over a real catalogue under a temporary home, offscreen (where no desktop has
// a tray): its start place, both layouts, one action for each control's click, and the update
// notice.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "ConfigFixtures.h"
#include "ResourceIds.h"
#include "config/UpdateSection.h"
#include "services/UpdateEvents.h"
#include "support/BarFixtures.h"
#include "ui/controls/FocusCues.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/dialogs/CAboutDialog.h"
#include "ui/dialogs/CAppSettingsDialog.h"
#include "ui/dialogs/CUpdateInformation.h"
#include "ui/toolbar/CAllGamesDropDown.h"
#include "ui/toolbar/CControlButton.h"
#include "ui/toolbar/CMainWnd.h"
#include "ui/toolbar/CSystemTray.h"
#include "ui/toolbar/ControlButtonsPanel.h"
#include "ui/toolbar/UpdateNotice.h"

namespace {

using bar_testing::Catalogue;
using bar_testing::operator+;
using testing_support::TempHome;
using testing_support::TraceRecorder;

TEST(MainWndPlace, StoredCornerComesBackOntoTheDesktop) {
    const Rect desktop{0, 0, 1024, 768};
    constexpr SizeMode kNormal = SizeMode::Normal;
    struct Row {
        int left, top;
        SizeMode size;
        Rect expected;
    };
    const Row rows[] = {
        // Wholly left of the desktop: to its edge.
        {-500, 10, kNormal, {0, 10, 357, 56}},
        // Corner right of it: back just inside.
        {2000, 10, kNormal, {667, 10, 1024, 56}},
        // Only partly off: where it was.
        {1000, 10, kNormal, {1000, 10, 1357, 56}},
        {10, -46, kNormal, {10, 0, 367, 46}},
        {10, 769, kNormal, {10, 722, 367, 768}},
        {-320, 900, SizeMode::Mini, {0, 743, 320, 768}},
        // On the edge itself: the right edge is exclusive, so a window ending at 0 is off.
        {-357, 10, kNormal, {0, 10, 357, 56}},
        {-356, 10, kNormal, {-356, 10, 1, 56}},
        // A corner on the right or bottom edge is off the desktop too.
        {1024, 10, kNormal, {667, 10, 1024, 56}},
        {10, 768, kNormal, {10, 722, 367, 768}},
        {1023, 767, kNormal, {1023, 767, 1380, 813}},
    };
    for (const Row& row : rows) {
        const Rect got = CMainWnd::StartRect(row.left, row.top, row.size, desktop);
        EXPECT_EQ(got.ToQRect(), row.expected.ToQRect()) << row.left << "," << row.top;
    }
    // A desktop left of the primary screen (a second monitor) counts as desktop.
    EXPECT_EQ(CMainWnd::StartRect(-1700, 10, kNormal, Rect{-1280, 0, 1024, 768}).left, -1280);
    EXPECT_EQ(CMainWnd::StartRect(-1200, 10, kNormal, Rect{-1280, 0, 1024, 768}).left, -1200);
}

TEST(MainWndPlace, OnlyAWaylandClientCannotPlaceItself) {
    EXPECT_TRUE(CMainWnd::PlacesItself("xcb"));
    EXPECT_TRUE(CMainWnd::PlacesItself("offscreen"));
    EXPECT_FALSE(CMainWnd::PlacesItself("wayland"));
    EXPECT_FALSE(CMainWnd::PlacesItself("wayland-egl"));
}

// The bar window, counting the commands that reach it.
class CountingBar : public CMainWnd {
public:
    using CMainWnd::CMainWnd;
    void OnCommand(int id) override {
        commands.push_back(id);
        CMainWnd::OnCommand(id);
    }
    std::vector<int> commands;
};

// Games A, B, ... of which the first `favorites` are favourites.
Catalogue Lettered(int count, int favorites) {
    Catalogue games;
    for (int i = 0; i < count; ++i) {
        games.push_back(
            config_fixtures::MakeGame("Game " + std::string(1, static_cast<char>('A' + i)),
                                      i < favorites ? Game::FLAG_FAVORITE : 0));
    }
    return games;
}

// The bar window at (40, 30) over a catalogue.
struct Window : bar_testing::Bar {
    std::unique_ptr<CountingBar> bar;

    explicit Window(const Catalogue& catalogue, SizeMode size = SizeMode::Normal)
        : Bar(catalogue, size) {
        window.left = 40;
        window.top = 30;
        bar = std::make_unique<CountingBar>(MainWndParts());
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
    Window bar(Lettered(6, 2));
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
    EXPECT_EQ(bar.window.Size(), SizeMode::Mini);
    EXPECT_EQ(bar.bar->geometry(), At(40, 30, 320, 25));
    const std::map<int, QRect> mini{
        {1000, At(24, 2, 66, 22)}, {1001, At(91, 2, 66, 22)},  {303, At(292, 4, 12, 20)},
        {132, At(307, 0, 12, 13)}, {131, At(307, 13, 12, 13)},
    };
    EXPECT_EQ(bar.Places(), mini);

    // And back: the same layout as at first, the corner unmoved.
    QTest::mouseClick(bar.bar->GetControlButtonsPanel().SizeButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar.window.Size(), SizeMode::Normal);
    EXPECT_EQ(bar.bar->geometry(), At(40, 30, 357, 46));
    EXPECT_EQ(bar.Places(), normal);
}

// Each control of the bar, pressed once: its command reaches the bar once and does its one
// thing once. A second route for a click shows as a second command or a second action.
void PressEachControlOnce(const std::function<void(QWidget*)>& press) {
    Window bar(bar_testing::Games({"Chess"}, Game::FLAG_FAVORITE) +
               bar_testing::Games({"Darts"}, Game::FLAG_FAVORITE | Game::FLAG_FULL_SCREEN) +
               bar_testing::Games({"Keno", "Poker"}));
    FavoritesPanel& favorites = bar.bar->GetFavoritesPanel();
    bar.bar->GetSearchPanel().Edit()->setText("cats");
    TraceRecorder traces;
    int writesBefore = 0;
    struct Step {
        const char* control;
        std::function<QWidget*()> find;
        int command;
        std::function<void()> expectOneAction;
    };
    const std::vector<Step> steps{
        {"first favourite", [&] { return favorites.GameButton(0); }, Res::IDC_FIRST_FAVORITE,
         [&] {
             EXPECT_EQ(bar.shell.Parameters(),
                       std::vector<std::string>{"-new http://games.invalid/Chess"});
         }},
        {"second favourite", [&] { return favorites.GameButton(1); }, Res::IDC_FIRST_FAVORITE + 1,
         [&] {
             EXPECT_EQ(bar.shell.Parameters(),
                       (std::vector<std::string>{"-new http://games.invalid/Chess",
                                                 "-new -k http://games.invalid/Darts"}));
         }},
        {"all games", [&] { return favorites.AllGamesButton(); }, Res::IDC_ALL_GAMES,
         [&] {
             CAllGamesDropDown& list = favorites.AllGamesButton()->DropDown();
             EXPECT_TRUE(list.isVisible());
             EXPECT_EQ(list.GetItemCount(), 2);
             QTest::keyClick(&list, Qt::Key_Escape);
             EXPECT_EQ(bar.shell.calls.size(), 2u);
         }},
        {"search", [&] { return bar.bar->GetSearchPanel().Button(); }, Res::IDC_SEARCH_BUTTON,
         [&] {
             ASSERT_EQ(bar.shell.calls.size(), 3u);
             EXPECT_NE(bar.shell.calls.back().parameters.find("Terms=cats"), std::string::npos);
         }},
        {"settings", [&] { return bar.bar->GetSettingsPanel().Button(); }, Res::IDC_SETTINGS_BUTTON,
         [&] {
             ASSERT_EQ(bar.modals.ShownDialogs().size(), 1u);
             EXPECT_EQ(bar.modals.ShownDialogs()[0].className, "CAppSettingsDialog");
         }},
        {"hide", [&] { return bar.bar->GetControlButtonsPanel().HideButton(); },
         Res::IDC_HIDE_TO_TRAY,
         [&] {
             const std::vector<std::string> texts = traces.Texts();
             EXPECT_EQ(std::count(texts.begin(), texts.end(),
                                  "No tray to hide the bar in: the bar stays"),
                       1);
         }},
        {"size", [&] { return bar.bar->GetControlButtonsPanel().SizeButton(); }, Res::IDC_SIZE,
         [&] {
             EXPECT_EQ(bar.window.Size(), SizeMode::Mini);
             EXPECT_EQ(bar.fileWrites, writesBefore + 1);
             EXPECT_EQ(bar.bar->size(), QSize(320, 25));
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.control);
        QWidget* control = step.find();
        ASSERT_NE(control, nullptr);
        bar.bar->commands.clear();
        writesBefore = bar.fileWrites;
        press(control);
        // The settings dialog opens once the click is over.
        QCoreApplication::processEvents();
        EXPECT_EQ(bar.bar->commands, std::vector<int>{step.command});
        step.expectOneAction();
    }
}

TEST(MainWndCommands, EachControlsClickIsOneCommandAndOneAction) {
    PressEachControlOnce([](QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); });
}

// A screen reader's "press" is the same click: the same one command and one action.
TEST(MainWndCommands, EachControlsPressActionIsItsClick) {
    PressEachControlOnce([](QWidget* control) {
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(button, nullptr);
        ASSERT_NE(button->actionInterface(), nullptr);
        ASSERT_TRUE(button->actionInterface()->actionNames().contains(QStringLiteral("press")));
        button->actionInterface()->doAction(QStringLiteral("press"));
        QCoreApplication::processEvents();
    });
}

// Tab and Shift+Tab walk the controls in the bar's picture, whatever order they were made in
// (the favourites are made again when they change), in both sizes; the focus mark shows from the
// first key until a mouse press.
TEST(MainWndKeyboard, TabWalksTheControlsInThePicturesOrder) {
    Window bar(Lettered(6, 2));
    bar.bar->show();
    bar.bar->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(bar.bar.get()));
    const auto walk = [&](Qt::KeyboardModifiers modifiers, int steps) {
        std::vector<int> ids;
        for (int i = 0; i < steps; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
            ids.push_back(GetDlgCtrlID(QApplication::focusWidget()));
        }
        return ids;
    };
    // The favourites' buttons made again, after all the others.
    bar.bar->GetFavoritesPanel().FavoritesChanged({"Game A", "Game B"});
    FocusCues::SetShown(false);
    // It starts in the search box.
    EXPECT_EQ(GetDlgCtrlID(QApplication::focusWidget()), Res::IDC_SEARCH_EDIT);
    EXPECT_EQ(
        walk(Qt::NoModifier, 8),
        (std::vector<int>{Res::IDC_SEARCH_BUTTON, Res::IDC_FIRST_FAVORITE,
                          Res::IDC_FIRST_FAVORITE + 1, Res::IDC_ALL_GAMES, Res::IDC_SETTINGS_BUTTON,
                          Res::IDC_HIDE_TO_TRAY, Res::IDC_SIZE, Res::IDC_SEARCH_EDIT}));
    EXPECT_TRUE(FocusCues::Shown());
    // A screen reader lists the bar's controls in the same order.
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(bar.bar.get());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::ToolBar);
    std::vector<int> listed;
    for (int i = 0; i < window->childCount(); ++i) {
        auto* control = qobject_cast<QWidget*>(window->child(i)->object());
        if (control != nullptr && control->isVisible()) {
            listed.push_back(GetDlgCtrlID(control));
            EXPECT_EQ(window->indexOfChild(window->child(i)), i);
        }
    }
    EXPECT_EQ(listed, (std::vector<int>{Res::IDC_SEARCH_EDIT, Res::IDC_SEARCH_BUTTON,
                                        Res::IDC_FIRST_FAVORITE, Res::IDC_FIRST_FAVORITE + 1,
                                        Res::IDC_ALL_GAMES, Res::IDC_SETTINGS_BUTTON,
                                        Res::IDC_HIDE_TO_TRAY, Res::IDC_SIZE}));
    EXPECT_EQ(walk(Qt::ShiftModifier, 2), (std::vector<int>{Res::IDC_SIZE, Res::IDC_HIDE_TO_TRAY}));

    // The size button pressed by the keyboard: the mini bar has no search box, and the focus
    // stays on the new size button.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCoreApplication::processEvents();
    ASSERT_EQ(bar.window.Size(), SizeMode::Mini);
    EXPECT_EQ(QApplication::focusWidget(), bar.bar->GetControlButtonsPanel().SizeButton());
    EXPECT_EQ(walk(Qt::NoModifier, 3),
              (std::vector<int>{Res::IDC_FIRST_FAVORITE, Res::IDC_FIRST_FAVORITE + 1,
                                Res::IDC_ALL_GAMES}));

    QTest::mousePress(bar.bar.get(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(FocusCues::Shown());
    QTest::mouseRelease(bar.bar.get(), Qt::LeftButton, {}, QPoint(2, 2));
}

TEST(MainWndCommands, SizeButtonFlipsSavesAndRebuildsTheBarUnderItsOwnClick) {
    Window bar(Lettered(1, 0));
    ControlButtonsPanel& buttons = bar.bar->GetControlButtonsPanel();
    for (const SizeMode expected : {SizeMode::Mini, SizeMode::Normal}) {
        const QPointer<CControlButton> clicked = buttons.SizeButton();
        ASSERT_NE(clicked, nullptr);
        QTest::mouseClick(clicked, Qt::LeftButton);
        EXPECT_EQ(bar.window.Size(), expected);
        // The clicked button was replaced while its click ran; it goes once that is over.
        ASSERT_NE(buttons.SizeButton(), clicked);
        EXPECT_EQ(buttons.SizeButton()->x(), expected == SizeMode::Mini ? 307 : 345);
        EXPECT_FALSE(clicked.isNull() || clicked->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(clicked.isNull());
    }
    EXPECT_EQ(bar.fileWrites, 2);
    EXPECT_EQ(bar.bar->findChildren<CControlButton*>().size(), 2);

    // A stored size mode of any other value counts as normal.
    bar.window.sizeMode = 7;
    QTest::mouseClick(buttons.SizeButton(), Qt::LeftButton);
    EXPECT_EQ(bar.window.Size(), SizeMode::Mini);
}

TEST(MainWndLayout, BackgroundOfEachSize) {
    Window normal(Lettered(2, 0));
    const QImage normalShot = normal.bar->grab().toImage();
    // Bitmap 1035 over the class grey: its green corners let the grey through.
    const QImage art = QImage(":/bitmaps/1035.png").convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(art.isNull());
    ASSERT_EQ(art.pixelColor(0, 0), QColor(0, 255, 0));
    EXPECT_EQ(normalShot.pixelColor(0, 0), QColor(0x51, 0x51, 0x51));
    ASSERT_NE(art.pixelColor(200, 45), QColor(0, 255, 0));
    EXPECT_EQ(normalShot.pixelColor(200, 45), art.pixelColor(200, 45));

    Window mini(Lettered(2, 0), SizeMode::Mini);
    const QImage miniShot = mini.bar->grab().toImage();
    EXPECT_EQ(miniShot.pixelColor(200, 0), QColor(238, 142, 0));        // frame
    EXPECT_EQ(miniShot.pixelColor(306, 1), QColor(135, 102, 38));       // gradient column top
    EXPECT_EQ(miniShot.pixelColor(200, 24), QColor(238, 142, 0));       // frame bottom
    EXPECT_NE(miniShot.pixelColor(150, 12), QColor(0x51, 0x51, 0x51));  // strip 1036 drawn
}

TEST(MainWndUpdate, NoticeWaitsForTheUserAndTheDialogTakesTheClick) {
    Window bar(Lettered(3, 1));
    UpdateManifest release{"2", "3", "2026-12-01", "http://127.0.0.1:9/get", "x"};
    UpdateAvailableEvent available(release);
    QCoreApplication::sendEvent(bar.bar.get(), &available);
    EXPECT_TRUE(bar.bar->Notice().IsPending());
    EXPECT_EQ(bar.update.GetUpdateManifest().url, release.url);

    // The show/hide command shows the notice instead of hiding the bar, once.
    bar.bar->OnCommand(Res::ID_SHOW_HIDE);
    ASSERT_EQ(bar.modals.ShownDialogs().size(), 1u);
    EXPECT_EQ(bar.modals.ShownDialogs()[0].className, "CUpdateInformation");
    EXPECT_FALSE(bar.bar->Notice().IsPending());
    ASSERT_NE(bar.bar->Notice().Dialog(), nullptr);
    EXPECT_EQ(bar.bar->Notice().Dialog()->DownloadUrl(), release.url);

    // Without a tray the next click may not hide the bar: nothing would bring it back.
    bar.bar->OnCommand(Res::ID_SHOW_HIDE);
    EXPECT_TRUE(bar.bar->isVisible());
    EXPECT_EQ(bar.window.hidden, 0);
    EXPECT_EQ(bar.modals.ShownDialogs().size(), 1u);
}

TEST(MainWndCommands, MenuCommandsReachTheirTargets) {
    Window bar(Lettered(3, 1), SizeMode::Mini);
    int checks = 0;
    int exits = 0;
    QObject::connect(bar.bar.get(), &CMainWnd::checkUpdatesRequested, [&] { ++checks; });
    QObject::connect(bar.bar.get(), &CMainWnd::exitRequested, [&] { ++exits; });
    bar.bar->OnCommand(Res::ID_CHECK_UPDATES);
    bar.bar->OnCommand(Res::ID_EXIT);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(exits, 1);

    // The settings pages are reached from the menu in mini size too, where the bar has no
    // settings button.
    bar.bar->OnCommand(Res::ID_MY_INFO);
    // Made on first use, so that it costs the bar's start nothing; once made, it is kept.
    EXPECT_TRUE(bar.bar->findChildren<CAboutDialog*>().isEmpty());
    bar.bar->OnCommand(Res::ID_ABOUT);
    bar.bar->OnCommand(Res::ID_ABOUT);
    EXPECT_EQ(bar.bar->findChildren<CAboutDialog*>().size(), 1);
    ASSERT_EQ(bar.modals.ShownDialogs().size(), 3u);
    EXPECT_EQ(bar.modals.ShownDialogs()[0].className, "CAppSettingsDialog");
    EXPECT_EQ(bar.bar->GetSettingsPanel().Dialog().ActivePage(), CAppSettingsDialog::kMyInfoPage);
    EXPECT_EQ(bar.modals.ShownDialogs()[1].className, "CAboutDialog");
    EXPECT_EQ(bar.modals.ShownDialogs()[2].className, "CAboutDialog");
}

// Lets dialogs run for real: the first one runs inside() in its own loop; any other that opens
// meanwhile is recorded and closed at once (it would otherwise wait for the user).
struct RealModals : Modal::Hook {
    Modal::Hook* previous = Modal::SetHook(this);
    std::function<void(QDialog&)> inside;
    std::vector<std::string> opened;
    ~RealModals() override { Modal::SetHook(previous); }
    std::optional<int> Intercept(QDialog& dialog) override {
        opened.push_back(dialog.metaObject()->className());
        QTimer::singleShot(0, &dialog, [this, &dialog] {
            if (opened.size() == 1) {
                inside(dialog);
            } else {
                dialog.reject();
            }
        });
        return std::nullopt;
    }
};

TEST(MainWndDialogs, OneDialogAtATimeAndTheOneWithTheInputComesForward) {
    Window bar(Lettered(3, 1));
    UpdateAvailableEvent available(UpdateManifest{"2", "3", "", "http://127.0.0.1:9/", ""});
    QCoreApplication::sendEvent(bar.bar.get(), &available);
    RealModals modals;
    modals.inside = [&](QDialog& about) {
        ASSERT_EQ(QApplication::activeModalWidget(), &about);
        // What the tray menu asks for while About is open: About comes forward instead.
        for (int command : {Res::ID_SETTINGS, Res::ID_FAVORITES, Res::ID_MY_INFO, Res::ID_SHOW_HIDE,
                            Res::ID_ABOUT}) {
            bar.bar->OnCommand(command);
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeModalWidget(), &about);
        EXPECT_TRUE(bar.bar->Notice().IsPending());
        // And its CLOSE closes it.
        QTest::mouseClick(static_cast<CAboutDialog&>(about).GetDlgItem(Res::IDOK), Qt::LeftButton);
    };
    bar.bar->OnCommand(Res::ID_ABOUT);
    EXPECT_EQ(modals.opened, std::vector<std::string>{"CAboutDialog"});
    EXPECT_FALSE(bar.bar->About().isVisible());

    // Once it is closed, the next request opens its dialog; the settings dialog belongs to the
    // bar, as About does.
    modals.opened.clear();
    modals.inside = [&](QDialog& settings) {
        EXPECT_EQ(settings.parentWidget(), bar.bar.get());
        settings.reject();
    };
    bar.bar->OnCommand(Res::ID_FAVORITES);
    EXPECT_EQ(modals.opened, std::vector<std::string>{"CAppSettingsDialog"});
}

TEST(MainWndPlace, HiddenAtExitButNoTrayStillShows) {
    TempHome home;
    bar_testing::Stores stores;
    stores.window.hidden = 1;
    CMainWnd bar(stores.MainWndParts());
    bar.Create();
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(stores.window.hidden, 0);
}

}  // namespace
