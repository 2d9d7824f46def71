// The gallery's sheets of the bar: the search panel, the all-games button with its drop-down,
// and the bar itself in both sizes over the sample catalogue (<build>/gallery/search-panel.png,
// all-games-drop-down.png, bar.png).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPainter>
#include <QTest>

#include "ResourceIds.h"
#include "support/BarFixtures.h"
#include "support/GallerySheet.h"
#include "support/ModalRecorder.h"
#include "support/SkinTestSupport.h"
#include "ui/controls/Drawing.h"
#include "ui/toolbar/CAllGamesButton.h"
#include "ui/toolbar/CControlButton.h"
#include "ui/toolbar/CMainWnd.h"
#include "ui/toolbar/ControlButtonsPanel.h"
#include "ui/toolbar/SearchPanel.h"

namespace {

using namespace gallery;
using skin_test::Backdrop;
using skin_test::ManualTimers;
using skin_test::Render;

// The sample catalogue.
struct GalleryStores : bar_testing::Stores {
    GalleryStores() { games.LoadGamesConfig(TIVORA_BINARY_DIR "/tivora.cfg"); }
};

// The search panel on a bar of each size: the background it paints and, in normal size, the
// search box and button where the bar puts them.
TEST(Gallery, SearchPanel) {
    GalleryStores stores;
    Sheet sheet("The search panel: bar background, search box and button");
    class Bar : public QWidget {
    public:
        explicit Bar(SearchPanel& panel) : panel_(panel) {}

    protected:
        void paintEvent(QPaintEvent*) override {
            QPainter painter(this);
            painter.fillRect(rect(), kDesk);
            panel_.Paint(painter);
        }

    private:
        SearchPanel& panel_;
    };
    SearchPanel normalPanel(stores.games, stores.window);
    Bar normal(normalPanel);
    normal.resize(357, 46);
    ASSERT_TRUE(normalPanel.Create(&normal));
    normalPanel.Edit()->setText("cards");
    const QImage shown = sheet.Add("normal size", Render(normal));
    // The background's own pixels, the key colour left out, and the box and button over it.
    const QImage background = LoadBitmap(Res::IDB_BAR_BACKGROUND);
    const QPoint plain(5, 40);
    ASSERT_NE(background.pixel(plain), kKeyColor);
    EXPECT_EQ(shown.pixel(plain), background.pixel(plain));
    EXPECT_LT(Darkest(shown, QRect(120, 7, 30, 11)), 40);  // "cards" in black
    EXPECT_NE(shown.copy(283, 2, 60, 21), background.copy(283, 2, 60, 21));

    stores.window.SetSize(SizeMode::Mini);
    SearchPanel miniPanel(stores.games, stores.window);
    Bar mini(miniPanel);
    mini.resize(320, 25);
    ASSERT_TRUE(miniPanel.Create(&mini));
    const QImage small = sheet.Add("mini size: no search", Render(mini));
    EXPECT_TRUE(mini.findChildren<QWidget*>().isEmpty());
    const struct {
        QPoint at;
        QColor colour;
    } facts[] = {
        {{100, 0}, QColor(238, 142, 0)},   // the frame
        {{100, 24}, QColor(238, 142, 0)},  //
        {{312, 12}, QColor(239, 144, 0)},  // the right strip
        {{306, 1}, QColor(135, 102, 38)},  // the column's gradient, top to bottom
        {{306, 23}, QColor(232, 151, 38)}, {{100, 12}, kDesk},  // the rest is the bar's own erase
    };
    for (const auto& fact : facts) {
        EXPECT_EQ(small.pixelColor(fact.at), fact.colour) << fact.at.x() << "," << fact.at.y();
    }
    const QImage logo = LoadBitmap(Res::IDB_LOGO);
    EXPECT_EQ(small.pixel(11, 12),
              logo.pixel(11, 11) == kKeyColor ? kDesk.rgb() : logo.pixel(11, 11));
    ExpectWritten(sheet, "search-panel", 400);
}

TEST(Gallery, AllGamesDropDown) {
    GalleryStores stores;
    ManualTimers timers;
    Sheet sheet("CAllGamesButton and its drop-down over the sample catalogue");
    Backdrop bar(kBody);
    bar.resize(300, 48);
    CAllGamesButton button(stores.games);
    ASSERT_TRUE(button.Create(269, 24, &bar));
    bar.show();
    const QImage barShot = sheet.Add("the button", Render(bar));
    // The picture's green key colour never shows.
    EXPECT_EQ(skin_test::CountPixels(barShot.copy(button.geometry()),
                                     [](const QColor& c) { return c == QColor(0, 255, 0); }),
              0);
    EXPECT_GT(skin_test::CountPixels(barShot.copy(button.geometry()),
                                     [](const QColor& c) { return c != kBody; }),
              20);

    // What the bar does with the button's click.
    button.OpenDropDown();
    CAllGamesDropDown& list = button.DropDown();
    ASSERT_TRUE(list.isVisible());
    int frame = 0;
    do {
        sheet.Add(QStringLiteral("roll-out %1").arg(frame++), Render(list));
        timers.Advance(RollOut::kStepMs);
    } while (list.RollOutAnimation().Running() && frame < 20);
    EXPECT_LT(frame, 20);

    Rect row;
    ASSERT_GE(list.GetItemCount(), 2);
    list.GetItemRect(1, row, CGamesList::kPartRow);
    QTest::mouseMove(&list, QPoint(100, (row.top + row.bottom) / 2));
    const QImage open = sheet.Add("open, the mouse on row 1", Render(list));
    EXPECT_EQ(open.pixelColor(0, open.height() / 2), QColor(Qt::black));  // the frame
    // The hovered row is darker than the one above it, beyond its text.
    EXPECT_LT(open.pixelColor(row.right - 2, row.top + 3).lightness(),
              open.pixelColor(row.right - 2, row.top - 8).lightness());
    EXPECT_EQ(list.cursor().shape(), Qt::PointingHandCursor);
    ExpectWritten(sheet, "all-games-drop-down", 400);
}

// The bar itself over the sample catalogue: both sizes, a hovered game, and the drop-down open
// under it as the desktop shows them together.
TEST(Gallery, Bar) {
    GalleryStores stores;
    ManualTimers timers;
    testing_support::ModalRecorder modals;
    Sheet sheet("The bar (CMainWnd) over the sample catalogue");
    stores.window.left = 200;
    stores.window.top = 100;
    CMainWnd bar(stores.MainWndParts());
    ASSERT_TRUE(bar.Create());
    const QImage normal = sheet.Add("normal size", Render(bar));
    CGameBtn* first = bar.GetFavoritesPanel().GameButton(0);
    ASSERT_NE(first, nullptr);
    Hover(*first);
    const QImage hovered = sheet.Add("the first favourite hovered", Render(bar));
    // Hovering lights the game's picture and nothing beside it.
    EXPECT_NE(normal.copy(first->geometry()), hovered.copy(first->geometry()));
    const QRect hide = bar.GetControlButtonsPanel().HideButton()->geometry();
    EXPECT_EQ(normal.copy(hide), hovered.copy(hide));
    Unhover(*first);

    // The drop-down, placed by the program one pixel under the all-games button.
    CAllGamesButton* allGames = bar.GetFavoritesPanel().AllGamesButton();
    ASSERT_NE(allGames, nullptr);
    QTest::mouseClick(allGames, Qt::LeftButton);
    CAllGamesDropDown& list = allGames->DropDown();
    ASSERT_TRUE(list.isVisible());
    Render(list);  // the roll-out starts with the list's first paint
    int steps = 0;
    do {
        timers.Advance(RollOut::kStepMs);
    } while (list.RollOutAnimation().Running() && ++steps < 20);
    EXPECT_LT(steps, 20);
    const QPoint offset = list.pos() - bar.pos();
    QImage together(std::max(bar.width(), offset.x() + list.width()), offset.y() + list.height(),
                    QImage::Format_RGB32);
    together.fill(kDesk);
    {
        QPainter painter(&together);
        painter.drawImage(0, 0, Render(bar));
        painter.drawImage(offset, Render(list));
    }
    sheet.Add("the all-games drop-down open", together);
    EXPECT_EQ(offset.y(), allGames->geometry().bottom() + 2);
    EXPECT_EQ(list.GetItemCount(), static_cast<int>(stores.games.GetGamesCount()) - 4);
    list.hide();

    QTest::mouseClick(bar.GetControlButtonsPanel().SizeButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    ASSERT_EQ(bar.size(), QSize(320, 25));
    sheet.Add("mini size", Render(bar));
    ExpectWritten(sheet, "bar", 700);
}

}  // namespace
