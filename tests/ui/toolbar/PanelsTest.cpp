// The bar's favourites, control and settings panels on a window standing in for the bar, over a
// real catalogue and settings file under a temporary home, with the launcher's browser calls
// recorded.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QTest>
#include <algorithm>

#include "LaunchTestSupport.h"
#include "ResourceIds.h"
#include "config/GamesConfig.h"
#include "config/RegistrationSection.h"
#include "config/WindowSection.h"
#include "platform/desktop/Fonts.h"
#include "services/RegistrationJobs.h"
#include "support/BarFixtures.h"
#include "support/ModalRecorder.h"
#include "support/SkinTestSupport.h"
#include "support/TestEnvironment.h"
#include "ui/controls/CTivoraTabCtrl.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/dialogs/CAppSettingsDialog.h"
#include "ui/toolbar/CControlButton.h"
#include "ui/toolbar/ControlButtonsPanel.h"
#include "ui/toolbar/FavoritesPanel.h"
#include "ui/toolbar/SettingsPanel.h"

namespace {

using bar_testing::Bar;
using bar_testing::BarWindow;
using bar_testing::Games;
using bar_testing::operator+;
using config_fixtures::MakeGame;
using testing_support::ModalRecorder;
using testing_support::TraceRecorder;

constexpr SizeMode kNormal = SizeMode::Normal;
constexpr SizeMode kMini = SizeMode::Mini;

// The stores over a catalogue, and a window standing in for the bar, which takes the commands of
// the controls on it.
struct Panels : Bar {
    BarWindow bar;
    Panels(const bar_testing::Catalogue& catalogue, SizeMode size) : Bar(catalogue, size) {}
};

TEST(FavoritesPanel, ShowsTheFirstFourFavouritesByNameAndTheAllGamesButtonAfterThem) {
    struct Case {
        const char* name;
        SizeMode mode;
        std::vector<CfgPack::GameEntry> catalogue;
        std::vector<std::string> shown;
        QPoint origin;
        bool allGamesEnabled;
    };
    const std::vector<Case> cases{
        {"six favourites, made out of order",
         kNormal,
         Games({"Zork", "Chess", "Poker", "Darts", "Bingo", "Sudoku"}, Game::FLAG_FAVORITE) +
             Games({"Tetris"}, 0),
         {"Bingo", "Chess", "Darts", "Poker"},
         QPoint(1, 22),
         true},
        {"three of three, mini",
         kMini,
         Games({"Cc", "Aa", "Bb"}, Game::FLAG_FAVORITE),
         {"Aa", "Bb", "Cc"},
         QPoint(24, 2),
         false},
        {"no favourites", kNormal, Games({"Aa", "Bb"}, 0), {}, QPoint(1, 22), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Panels bar(c.catalogue, c.mode);
        FavoritesPanel panel(bar.games, bar.window);
        TraceRecorder traces;
        EXPECT_TRUE(panel.Create(&bar.bar));

        std::vector<std::string> expectedTraces{"Set favorite games:"};
        for (int i = 0; i < FavoritesPanel::kButtonCount; ++i) {
            CGameBtn* button = panel.GameButton(i);
            if (i >= static_cast<int>(c.shown.size())) {
                EXPECT_EQ(button, nullptr) << i;
                continue;
            }
            ASSERT_NE(button, nullptr) << i;
            EXPECT_EQ(button->text().toStdString(), c.shown[static_cast<std::size_t>(i)]);
            EXPECT_EQ(button->geometry(), QRect(c.origin + QPoint(67 * i, 0),
                                                QSize(CGameBtn::kWidth, CGameBtn::kHeight)));
            EXPECT_EQ(GetDlgCtrlID(button), Res::IDC_FIRST_FAVORITE + i);
            EXPECT_TRUE(button->isVisible());
            expectedTraces.push_back(c.shown[static_cast<std::size_t>(i)]);
        }
        expectedTraces.push_back("End set favorite games");
        // The row's own traces, among those of the parts it uses.
        std::vector<std::string> rowTraces;
        for (const std::string& text : traces.Texts()) {
            if (text.find("favorite games") != std::string::npos ||
                std::any_of(c.catalogue.begin(), c.catalogue.end(),
                            [&](const CfgPack::GameEntry& game) { return game.name == text; })) {
                rowTraces.push_back(text);
            }
        }
        EXPECT_EQ(rowTraces, expectedTraces);

        CAllGamesButton* allGames = panel.AllGamesButton();
        ASSERT_NE(allGames, nullptr);
        EXPECT_EQ(allGames->pos(), c.origin + QPoint(268, 2));
        EXPECT_EQ(allGames->isEnabled(), c.allGamesEnabled);
        EXPECT_EQ(GetDlgCtrlID(allGames), Res::IDC_ALL_GAMES);
    }
}

TEST(FavoritesPanel, RebuildsTheRowWhenTheFavouritesChangeAndUnhooksWithItsOwner) {
    Panels bar(Games({"Chess", "Bingo", "Darts"}, Game::FLAG_FAVORITE), kNormal);
    auto panel = std::make_unique<FavoritesPanel>(bar.games, bar.window);
    ASSERT_TRUE(panel->Create(&bar.bar));
    EXPECT_FALSE(panel->AllGamesButton()->isEnabled());
    const QPointer<CGameBtn> oldFirst = panel->GameButton(0);

    // Picked in another order: the row still follows the catalogue.
    bar.games.SetFavoritesAndSave({"Darts", "Bingo"});
    EXPECT_EQ(bar.fileWrites, 1);
    EXPECT_EQ(oldFirst, nullptr);
    ASSERT_NE(panel->GameButton(1), nullptr);
    EXPECT_EQ(panel->GameButton(0)->text(), "Bingo");
    EXPECT_EQ(panel->GameButton(1)->text(), "Darts");
    EXPECT_EQ(panel->GameButton(1)->pos(), QPoint(68, 22));
    EXPECT_EQ(panel->GameButton(2), nullptr);
    EXPECT_TRUE(panel->AllGamesButton()->isEnabled());
    EXPECT_EQ(bar.bar.findChildren<CGameBtn*>().size(), 2);

    // A panel that is gone is told nothing more.
    panel.reset();
    EXPECT_TRUE(bar.bar.findChildren<CGameBtn*>().isEmpty());
    bar.games.SetFavorites({"Chess"});
    EXPECT_TRUE(bar.bar.findChildren<CGameBtn*>().isEmpty());
}

TEST(FavoritesPanel, PaintsTheStripAtItsPlaceInEitherSize) {
    const QImage strip = LoadBitmap(Res::IDB_FAVORITES_STRIP);
    ASSERT_EQ(strip.size(), QSize(268, 20));
    for (const auto& [mode, place] : {std::pair{kNormal, QPoint(1, 24)}, {kMini, QPoint(24, 4)}}) {
        Panels bar(Games({"Chess"}, Game::FLAG_FAVORITE), mode);
        FavoritesPanel panel(bar.games, bar.window);
        auto paint = [&](QPainter& painter) { panel.Paint(painter); };
        // Without its window the panel has nothing to paint on.
        EXPECT_TRUE(skin_test::Difference(skin_test::Canvas(357, 46, paint),
                                          skin_test::Canvas(357, 46, [](QPainter&) {}))
                        .isNull());
        ASSERT_TRUE(panel.Create(&bar.bar));
        const QImage expected = skin_test::Canvas(357, 46, [&](QPainter& painter) {
            DrawTransparent(painter, place.x(), place.y(), strip);
        });
        EXPECT_TRUE(skin_test::Difference(skin_test::Canvas(357, 46, paint), expected).isNull())
            << place.x();
    }
}

TEST(GameButton, ShowsTheGameWithItsTipAndOpensItsAddressByTheLaunchRule) {
    struct Case {
        std::string url;
        std::string extraText;
        std::uint32_t flags;
        std::string tip;
        std::vector<std::string> opened;
    };
    const std::string standard = "Click this button to play the game";
    const std::vector<Case> cases{
        {"http://games.invalid/a", "", 0, standard, {"-new http://games.invalid/a"}},
        {"https://g.invalid/",
         "Fly",
         Game::FLAG_FULL_SCREEN,
         "Fly",
         {"-new -k https://g.invalid/"}},
        {"file:///etc/passwd", "", Game::FLAG_CONTROLLED, standard, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        CfgPack::GameEntry game = MakeGame("Kite", c.flags | Game::FLAG_FAVORITE);
        game.url = c.url;
        game.extraText = c.extraText;
        Panels bar({game}, kNormal);
        FavoritesPanel panel(bar.games, bar.window);
        bar.bar.handler = [&](int id) { return panel.OnCommand(id); };
        ASSERT_TRUE(panel.Create(&bar.bar));
        CGameBtn* button = panel.GameButton(0);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->TipText().toStdString(), c.tip);
        EXPECT_TRUE(button->IsBalloonTip());
        EXPECT_EQ(button->Address(), c.url);
        EXPECT_EQ(button->IsFullScreen(), (c.flags & Game::FLAG_FULL_SCREEN) != 0);
        EXPECT_EQ(button->IsControlled(), (c.flags & Game::FLAG_CONTROLLED) != 0);

        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(bar.bar.commands, std::vector<int>{Res::IDC_FIRST_FAVORITE});
        EXPECT_EQ(bar.shell.Parameters(), c.opened);
        if (c.opened.empty()) {
            EXPECT_NE(launch_testing::ErrorLog().find("'Kite' refused"), std::string::npos);
        }
    }
}

TEST(GameButton, DrawsTheDarkenedPictureAndItsNameBesideIt) {
    Panels bar(Games({"Chess Master"}, Game::FLAG_FAVORITE), kNormal);
    bar.bar.setPalette(QPalette(Qt::black));
    bar.bar.setAutoFillBackground(true);
    FavoritesPanel panel(bar.games, bar.window);
    ASSERT_TRUE(panel.Create(&bar.bar));
    CGameBtn* button = panel.GameButton(0);
    ASSERT_NE(button, nullptr);
    // The fixture's pictures are RGB(200, 30, 30).
    EXPECT_EQ(button->Picture(0).pixelColor(10, 10), QColor(200, 30, 30));
    EXPECT_EQ(button->Picture(1).pixelColor(10, 10), QColor(150, 22, 22));
    EXPECT_EQ(button->GetStateColor(CButtonST::kTextIn), QColor(255, 255, 255));
    EXPECT_EQ(button->GetStateColor(CButtonST::kTextOut), QColor(230, 230, 230));
    EXPECT_EQ(button->GetStateColor(CButtonST::kTextFocus), QColor(230, 230, 230));

    // The narrow font: four pixels an average character, narrower than the face's own.
    const QString sample = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    const int narrow = QFontMetrics(button->font()).horizontalAdvance(sample);
    const int natural = QFontMetrics(Fonts::Make("Tahoma", 11)).horizontalAdvance(sample);
    EXPECT_LT(narrow, natural);
    const double length = static_cast<double>(sample.size());
    EXPECT_NEAR(narrow, 4 * length, length);

    // Not hovered: the darkened picture at the left, and the whole name on one line.
    const QImage out = skin_test::Render(bar.bar).copy(button->geometry());
    EXPECT_GT(
        skin_test::CountPixels(
            out, [](const QColor& c) { return c == QColor(150, 22, 22); }, QRect(0, 0, 26, 22)),
        400);
    QRect ink;
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            const QColor c = out.pixelColor(x, y);
            if (c.red() > 60 && c.red() == c.green() && c.green() == c.blue()) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    EXPECT_GE(ink.left(), 24);
    EXPECT_GT(ink.width(), 30) << "the name broke onto a second line";
    EXPECT_LE(ink.height(), Fonts::CellOf(button->font()).Height());
}

TEST(ControlButtons, StandAtTheirPlacesWithTheirTipsInEitherSize) {
    struct Case {
        SizeMode mode;
        QPoint hide, size;
        QString sizeTip;
    };
    for (const Case& c : {Case{kNormal, {345, 10}, {345, 24}, "Change size to mini"},
                          Case{kMini, {307, 0}, {307, 13}, "Change size to normal"}}) {
        Panels bar(Games({"Chess"}, 0), c.mode);
        ControlButtonsPanel panel(bar.window);
        ASSERT_TRUE(panel.Create(&bar.bar));
        CControlButton* hide = panel.HideButton();
        CControlButton* size = panel.SizeButton();
        ASSERT_NE(hide, nullptr);
        ASSERT_NE(size, nullptr);
        EXPECT_EQ(hide->geometry(), QRect(c.hide, QSize(12, 13))) << c.sizeTip.toStdString();
        EXPECT_EQ(size->geometry(), QRect(c.size, QSize(12, 13))) << c.sizeTip.toStdString();
        EXPECT_EQ(hide->TipText(), "Minimize to tray");
        EXPECT_EQ(size->TipText(), c.sizeTip);
        EXPECT_TRUE(hide->IsBalloonTip() && size->IsBalloonTip());
        EXPECT_EQ(GetDlgCtrlID(hide), Res::IDC_HIDE_TO_TRAY);
        EXPECT_EQ(GetDlgCtrlID(size), Res::IDC_SIZE);
        // One picture for both states, its key colour showing the bar.
        EXPECT_EQ(hide->Picture(0), MakeTransparent(LoadBitmap(Res::IDB_HIDE_TO_TRAY)));
        EXPECT_EQ(size->Picture(0), MakeTransparent(LoadBitmap(Res::IDB_SIZE)));
        EXPECT_TRUE(size->Picture(1).isNull());
    }
}

TEST(SettingsPanel, OpensOneDialogFromTheButtonOrTheTrayPages) {
    Panels bar(Games({"Chess"}, 0), kNormal);
    SettingsPanel panel(bar.window, std::make_unique<CAppSettingsDialog>(bar.Parts()));
    bar.bar.handler = [&](int id) { return panel.OnCommand(id); };
    ASSERT_TRUE(panel.Create(&bar.bar));
    CTivoraCustomButton* button = panel.Button();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), QRect(283, 24, 60, 21));
    EXPECT_EQ(button->TipText(), "Click this button to open settings window");
    EXPECT_EQ(GetDlgCtrlID(button), Res::IDC_SETTINGS_BUTTON);

    ModalRecorder modal;
    CAppSettingsDialog& dialog = panel.Dialog();
    std::vector<int> pagesSeen;
    modal.onShown = [&](QDialog&) {
        pagesSeen.push_back(dialog.Tabs()->GetCurSel());
        // The bar may be rebuilt under the open dialog, the clicked button with it.
        panel.Destroy();
        ASSERT_TRUE(panel.Create(&bar.bar));
        // While it is open, the button and the tray's pages only switch its page.
        QTest::mouseClick(panel.Button(), Qt::LeftButton);
        panel.OpenSettingsPage(CAppSettingsDialog::kMyInfoPage);
        QCoreApplication::processEvents();
        pagesSeen.push_back(dialog.Tabs()->GetCurSel());
    };
    QTest::mouseClick(button, Qt::LeftButton);
    // Not inside the click, so that the button is free to go while the dialog is open.
    EXPECT_TRUE(modal.ShownDialogs().empty());
    EXPECT_TRUE(testing_support::WaitFor([&] { return !modal.ShownDialogs().empty(); }));
    EXPECT_EQ(pagesSeen, (std::vector<int>{0, 2}));

    pagesSeen.clear();
    panel.OpenSettingsPage(CAppSettingsDialog::kFavoritesPage);
    EXPECT_EQ(pagesSeen, (std::vector<int>{1, 2}));
    QCoreApplication::processEvents();
    EXPECT_EQ(modal.ShownDialogs().size(), 2u);

    // In mini size there is no button; the pages stay reachable.
    panel.Destroy();
    bar.window.SetSize(kMini);
    EXPECT_TRUE(panel.Create(&bar.bar));
    EXPECT_EQ(panel.Button(), nullptr);
    EXPECT_TRUE(bar.bar.findChildren<CTivoraCustomButton*>().isEmpty());
}

}  // namespace
