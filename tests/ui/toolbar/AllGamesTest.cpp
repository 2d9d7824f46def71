// The all-games button and its drop-down over a real catalogue under a temporary home, with
// the launcher's browser calls recorded instead of made.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <functional>

#include "ConfigFixtures.h"
#include "LaunchTestSupport.h"
#include "config/GamesConfig.h"
#include "support/BarFixtures.h"
#include "support/TestEnvironment.h"
#include "ui/toolbar/CAllGamesButton.h"
#include "ui/toolbar/FavoritesPanel.h"

namespace {

using config_fixtures::MakeGame;

// The all-games button where the bar has it, at the end of the favourites row, over a catalogue
// of others and favourites, on a window that hands its controls' commands to the row.
struct Row : bar_testing::Bar {
    bar_testing::BarWindow barWindow;
    FavoritesPanel row{games, window};

    Row(int others, int favorites) : bar_testing::Bar(Catalogue(others, favorites)) {
        barWindow.handler = [this](int id) { return row.OnCommand(id); };
        row.Create(&barWindow);
    }
    // Made again whenever the favourites change.
    CAllGamesButton& Button() { return *row.AllGamesButton(); }
    CAllGamesDropDown& List() { return Button().DropDown(); }
    void Open() { QTest::mouseClick(&Button(), Qt::LeftButton); }
    std::vector<std::string> Rows() {
        std::vector<std::string> names;
        for (int i = 0; i < List().GetItemCount(); ++i) {
            names.push_back(List().GetItemText(i));
        }
        return names;
    }
    QPoint RowCentre(int index) {
        Rect rect;
        List().GetItemRect(index, rect, CGamesList::kPartRow);
        return rect.ToQRect().center();
    }

    // Others made in reverse, so that the list's order is its own doing.
    static bar_testing::Catalogue Catalogue(int others, int favorites) {
        bar_testing::Catalogue entries;
        for (int i = others - 1; i >= 0; --i) {
            entries.push_back(MakeGame("Game " + std::string(1, static_cast<char>('A' + i))));
        }
        for (int i = 0; i < favorites; ++i) {
            entries.push_back(MakeGame("Fav " + std::to_string(i), Game::FLAG_FAVORITE));
        }
        return entries;
    }
};

constexpr int kRowHeight = GamesConfig::kImageSize + 2;

TEST(AllGamesDropDown, ShowsTheOtherGamesByNameWithTheHeightRule) {
    struct Case {
        int others;
        int favorites;
        int height;
    };
    for (const Case& c : {Case{0, 6, 60}, Case{2, 1, 3 * kRowHeight}, Case{3, 0, 3 * kRowHeight},
                          Case{10, 3, 10 * kRowHeight}, Case{12, 2, 10 * kRowHeight}}) {
        Row bar(c.others, c.favorites);
        bar.Open();
        CAllGamesDropDown& list = bar.List();
        ASSERT_TRUE(list.isVisible()) << c.others;
        std::vector<std::string> expected;
        for (int i = 0; i < c.others; ++i) {
            expected.push_back("Game " + std::string(1, static_cast<char>('A' + i)));
        }
        EXPECT_EQ(bar.Rows(), expected);
        if (c.others > 0) {
            EXPECT_EQ(list.GameAt(0)->name, "Game A");
        }
        EXPECT_EQ(list.size(), QSize(CAllGamesDropDown::kWidth, c.height)) << c.others;
        // One pixel under the button, at its left edge.
        EXPECT_EQ(list.pos(), bar.Button().mapToGlobal(QPoint(0, CAllGamesButton::kHeight + 1)));
        EXPECT_EQ(list.GetScrollMax() > 0, c.others > CAllGamesDropDown::kMaxRows) << c.others;
        EXPECT_TRUE(list.rollOutOnNextPaint || list.RollOutAnimation().Running());
    }
}

TEST(AllGamesDropDown, IsRebuiltAtEveryShowing) {
    Row bar(3, 1);
    bar.Open();
    QTest::keyClick(&bar.List(), Qt::Key_Escape);
    bar.games.SetFavorites({"Game B"});
    bar.Open();
    EXPECT_EQ(bar.Rows(), (std::vector<std::string>{"Fav 0", "Game A", "Game C"}));
}

TEST(AllGamesDropDown, IsShiftedBackOntoTheScreenThatHoldsIt) {
    const Rect screen = Rect::FromQRect(QGuiApplication::primaryScreen()->geometry());
    Row bar(4, 0);
    bar.List().ShowDropDown(screen.right - 50, screen.bottom - 10);
    EXPECT_EQ(bar.List().geometry(),
              QRect(screen.right - CAllGamesDropDown::kWidth, screen.bottom - 4 * kRowHeight,
                    CAllGamesDropDown::kWidth, 4 * kRowHeight));

    // A second screen right of the first: its own edges count, and nothing moves while the
    // list fits.
    const Rect second{1024, 100, 2048, 868};
    struct Case {
        int x, y, rows;
        QRect expected;
    };
    for (const Case& c : {Case{1100, 200, 5, QRect(1100, 200, 170, 5 * 23)},
                          Case{2000, 850, 0, QRect(2048 - 170, 868 - 60, 170, 60)},
                          Case{1100, 860, 12, QRect(1100, 868 - 230, 170, 230)}}) {
        EXPECT_EQ(CAllGamesDropDown::PlaceDropDown(c.x, c.y, 170, c.rows, 23, second).ToQRect(),
                  c.expected)
            << c.x << "," << c.y;
    }
}

TEST(AllGamesDropDown, ARowClickStartsThatGameAndCloses) {
    Row bar(2, 1);
    bar.Open();
    QTest::mouseMove(&bar.List(), bar.RowCentre(1));
    EXPECT_EQ(bar.List().cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(&bar.List(), Qt::LeftButton, {}, bar.RowCentre(1));
    EXPECT_EQ(bar.shell.Parameters(),
              std::vector<std::string>{"-new http://games.invalid/Game%20B"});
    EXPECT_FALSE(bar.List().isVisible());

    // The empty area under the last row starts nothing and leaves the list open.
    bar.Open();
    QTest::mouseClick(&bar.List(), Qt::LeftButton, {}, QPoint(80, bar.List().height() - 5));
    EXPECT_TRUE(bar.List().isVisible());
    EXPECT_EQ(bar.shell.calls.size(), 1u);
}

TEST(AllGamesDropDown, ClosesWithoutStartingAnything) {
    const std::vector<std::pair<const char*, std::function<void(Row&)>>> closers = {
        {"click outside",
         [](Row& bar) {
             QTest::mouseClick(bar.barWindow.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
         }},
        {"right click on a row",
         [](Row& bar) { QTest::mouseClick(&bar.List(), Qt::RightButton, {}, bar.RowCentre(0)); }},
        {"Escape", [](Row& bar) { QTest::keyClick(&bar.List(), Qt::Key_Escape); }},
        {"focus loss",
         [](Row& bar) {
             QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
             QCoreApplication::sendEvent(&bar.List(), &out);
         }},
        {"another program comes forward",
         [](Row&) {
             // What the platform tells when the program stops being the active one.
             Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
         }},
    };
    for (const auto& [name, close] : closers) {
        Row bar(2, 0);
        bar.Open();
        ASSERT_TRUE(bar.List().isVisible()) << name;
        close(bar);
        EXPECT_FALSE(bar.List().isVisible()) << name;
        EXPECT_TRUE(bar.shell.calls.empty()) << name;
    }
}

TEST(AllGamesDropDown, ItsScrollBarDragsWithoutGrabbingThePointer) {
    Row bar(12, 0);
    bar.Open();
    CAllGamesDropDown& list = bar.List();
    const Rect thumb = list.ScrollBar().ThumbRect();
    const QPoint from(thumb.left + 5, thumb.top + 5);
    QTest::mousePress(&list, Qt::LeftButton, {}, from);
    EXPECT_TRUE(list.HasCapture());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    QTest::mouseMove(&list, from + QPoint(0, 40));
    QTest::mouseRelease(&list, Qt::LeftButton, {}, from + QPoint(0, 40));
    EXPECT_GT(list.GetScrollPos(), 0);
    EXPECT_FALSE(list.HasCapture());
    EXPECT_TRUE(list.isVisible());
    EXPECT_TRUE(bar.shell.calls.empty());
}

TEST(AllGamesButton, ReportsItsClickAndOpensNothingWhileDisabled) {
    Row bar(2, 0);
    EXPECT_EQ(bar.Button().geometry(), QRect(269, 24, 12, 20));
    EXPECT_EQ(bar.Button().TipText(), "Click here to view all games");
    bar.Button().setEnabled(false);
    bar.Open();
    EXPECT_FALSE(bar.List().isVisible());
    bar.Button().setEnabled(true);
    bar.Open();
    EXPECT_TRUE(bar.List().isVisible());
    EXPECT_EQ(bar.barWindow.commands, std::vector<int>{Res::IDC_ALL_GAMES});
}

}  // namespace
