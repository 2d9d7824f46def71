// The games list: sorting, geometry, selection, keys, wheel, the scroll bar and painting.
#include <gtest/gtest.h>

#include <QCursor>
#include <QKeyEvent>
#include <QTest>
#include <QWheelEvent>
#include <vector>

#include "support/SkinTestSupport.h"
#include "ui/controls/CGamesList.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/WindowStyles.h"

namespace {

using skin_test::Backdrop;
using skin_test::ManualTimers;
using skin_test::Render;

std::vector<std::string> Texts(const CGamesList& list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        texts.push_back(list.GetItemText(i));
    }
    return texts;
}

// A list whose rows area is 100 pixels high (the client area adds the frame).
std::unique_ptr<CGamesList> MakeList(int rows, int width = 120) {
    auto list = std::make_unique<CGamesList>();
    list->resize(width, 102);
    for (int i = 0; i < rows; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Game %02d", i);
        list->AddItem(name, 0);
    }
    return list;
}

void Press(QWidget& widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
}

void Wheel(QWidget& widget, int delta) {
    QWheelEvent wheel(QPointF(10, 10), widget.mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&widget, &wheel);
}

int RowTop(const CGamesList& list, int index) {
    Rect rect;
    list.GetItemRect(index, rect, CGamesList::kPartRow);
    return rect.top;
}

TEST(GamesListSorting, RowsStaySortedByteWiseAndEqualNamesGoFirst) {
    CGamesList list;
    list.AddItem("Roulette", 0);
    list.AddItem("Blackjack", 0);
    list.AddItem("Keno", 0);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"Blackjack", "Keno", "Roulette"}));

    int first = 1;
    int second = 2;
    list.SetItemData(1, &first);
    EXPECT_EQ(list.AddItem("Keno", 0), 1);
    list.SetItemData(1, &second);
    EXPECT_EQ(list.GetItemData(1), &second);  // the new Keno stands before the old one
    EXPECT_EQ(list.GetItemData(2), &first);

    list.AddItem("baccarat", 0);
    list.AddItem("Zodiac", 0);
    list.AddItem("Aces", 0);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"Aces", "Blackjack", "Keno", "Keno",
                                                     "Roulette", "Zodiac", "baccarat"}));
    GamesListItem item;
    item.index = 6;
    ASSERT_EQ(list.GetItem(item), 1);
    EXPECT_EQ(item.text, "baccarat");
}

TEST(GamesListSorting, InsertedSelectedCopyBecomesTheOnlySelectedRow) {
    CGamesList list;
    list.AddItem("Keno", 3);
    list.AddItem("Poker", 4);
    list.SetSelectedIndex(1);
    GamesListItem copy;
    copy.text = "Bingo";
    copy.image = 7;
    copy.selected = 1;
    int game = 0;
    copy.data = &game;
    EXPECT_EQ(list.InsertItem(copy), 0);
    EXPECT_EQ(list.GetSelectedIndex(), 0);
    GamesListItem read;
    read.index = 0;
    ASSERT_EQ(list.GetItem(read), 1);
    EXPECT_EQ(read.image, 7);
    EXPECT_EQ(read.data, &game);
    read.index = 2;
    list.GetItem(read);
    EXPECT_EQ(read.selected, 0);  // Poker lost its selection
}

// Filling at once must give the rows of adding one by one, a later equal name first.
TEST(GamesListSorting, SetItemsOrdersAsAddingOneByOne) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"Keno"},
        {"Roulette", "Keno", "Blackjack"},
        {"Keno", "Keno", "Keno"},
        {"b", "Keno", "a", "Aces", "Keno", "Zodiac", "Blackjack"}};
    for (const auto& names : cases) {
        std::vector<int> marks(names.size());
        CGamesList added;
        CGamesList set;
        set.AddItem("gone", 0);
        set.SetSelectedIndex(0);
        std::vector<GamesListItem> items;
        for (std::size_t i = 0; i < names.size(); ++i) {
            added.SetItemData(added.AddItem(names[i], static_cast<int>(i)), &marks[i]);
            GamesListItem item;
            item.text = names[i];
            item.image = static_cast<int>(i);
            item.data = &marks[i];
            item.selected = 1;
            items.push_back(item);
        }
        set.SetItems(items);
        ASSERT_EQ(Texts(set), Texts(added)) << names.size();
        for (int row = 0; row < added.GetItemCount(); ++row) {
            GamesListItem want;
            GamesListItem got;
            want.index = got.index = row;
            added.GetItem(want);
            set.GetItem(got);
            EXPECT_EQ(got.data, want.data) << names.size() << " row " << row;
            EXPECT_EQ(got.image, want.image) << names.size() << " row " << row;
        }
        EXPECT_EQ(set.GetSelectedIndex(), -1) << names.size();
    }
}

TEST(GamesListRows, OutOfRangeIndexesChangeNothing) {
    CGamesList list;
    list.AddItem("Keno", 0);
    GamesListItem item;
    item.index = 5;
    EXPECT_EQ(list.GetItem(item), 0);
    EXPECT_EQ(list.DeleteItem(-1), 0);
    EXPECT_EQ(list.DeleteItem(1), 0);
    EXPECT_EQ(list.GetItemText(3), "");
    EXPECT_EQ(list.GetItemData(-2), nullptr);
    list.SetItemData(9, &item);
    Rect rect;
    EXPECT_EQ(list.GetItemRect(1, rect, 0), 0);
    EXPECT_EQ(list.GetItemRect(0, rect, 4), 0);
    EXPECT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.DeleteItem(0), 1);
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST(GamesListGeometry, SeventeenPixelRowsStartEveryEighteenPixels) {
    auto list = MakeList(4);
    EXPECT_EQ(list->RowHeight(), 17);
    EXPECT_EQ(RowTop(*list, 0), 1);
    EXPECT_EQ(RowTop(*list, 1), 19);
    EXPECT_EQ(RowTop(*list, 2), 37);
    Rect row;
    list->GetItemRect(1, row, CGamesList::kPartRow);
    EXPECT_EQ(row, (Rect{2, 19, 118, 38}));  // 19 pixels: overlaps the next row by one
    list->GetItemRect(1, row, CGamesList::kPartText);
    EXPECT_EQ(row, (Rect{6, 19, 118, 38}));
    list->GetItemRect(1, row, CGamesList::kPartBand);
    EXPECT_EQ(row, (Rect{1, 18, 119, 39}));
    EXPECT_EQ(list->HitTest(QPoint(50, 20)), 1);
    EXPECT_EQ(list->HitTest(QPoint(50, 37)), 1);  // the shared pixel belongs to the first
    EXPECT_EQ(list->HitTest(QPoint(50, 90)), -1);
    EXPECT_EQ(list->HitTest(QPoint(0, 20)), -1);  // on the frame
}

// The row under a point is found without walking every row; scrolled by any amount, it must
// still be the first row whose rectangle holds the point, and the hover the last one.
TEST(GamesListGeometry, HitTestAndHoverAgreeWithTheRowRectanglesWhenScrolled) {
    auto list = MakeList(30);
    list->hoverTracking = true;
    list->show();
    for (int scroll : {0, 7, 18, 19, 250, list->GetScrollMax()}) {
        list->ScrollBy(scroll - list->GetScrollPos());
        ASSERT_EQ(list->GetScrollPos(), scroll);
        for (int y = -3; y < list->height() + 3; ++y) {
            const QPoint point(50, y);
            int first = -1;
            int last = -1;
            Rect row;
            for (int i = 0; i < list->GetItemCount(); ++i) {
                list->GetItemRect(i, row, CGamesList::kPartRow);
                if (row.Contains(50, y)) {
                    first = first < 0 ? i : first;
                    last = i;
                }
            }
            const bool inArea = list->RowsArea().Contains(50, y);
            EXPECT_EQ(list->HitTest(point), inArea ? first : -1) << scroll << " y " << y;
            // Coming in afresh: a row already under the mouse keeps the hover.
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(list.get(), &leave);
            QMouseEvent move(QEvent::MouseMove, point, list->mapToGlobal(point), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(list.get(), &move);
            EXPECT_EQ(list->HoverIndex(), last) << scroll << " y " << y;
        }
    }
}

TEST(GamesListGeometry, TheScrollBarAppearsWhenTwentyOnePixelsPerRowExceedTheArea) {
    auto list = MakeList(5);  // 21 x 4 = 84 <= 100
    EXPECT_FALSE(list->ScrollBar().IsVisible());
    EXPECT_EQ(list->RowsArea(), (Rect{1, 1, 119, 101}));
    list->AddItem("Zz", 0);  // 21 x 5 = 105 > 100
    EXPECT_TRUE(list->ScrollBar().IsVisible());
    EXPECT_EQ(list->RowsArea(), (Rect{1, 1, 106, 101}));
    EXPECT_EQ(list->ScrollBar().GetRect(), (Rect{105, 1, 119, 101}));
    // The range runs to the last row's band: 5 x 18 + 17 + 3 - 100.
    EXPECT_EQ(list->GetScrollMax(), 10);
    const QImage image = Render(*list);
    EXPECT_EQ(image.pixelColor(112, 82), CSkinScrollBar::kBackground);  // below the thumb
    list->DeleteItem(0);
    EXPECT_FALSE(list->ScrollBar().IsVisible());
}

TEST(GamesListGeometry, TheRangeNeverGoesNegativeWhenTheRowsJustFit) {
    // 21 x (n - 1) > H while the rows themselves fit: the bar shows, nothing may move.
    auto list = std::make_unique<CGamesList>();
    list->resize(120, 421);  // rows area 419
    for (int i = 0; i < 21; ++i) {
        list->AddItem("Game " + std::to_string(100 + i), 0);
    }
    EXPECT_TRUE(list->ScrollBar().IsVisible());
    EXPECT_EQ(list->GetScrollMax(), 0);
    list->ScrollBy(50);
    EXPECT_EQ(RowTop(*list, 0), 1);
}

TEST(GamesListSelection, SetSelectedIndexClampsAndIgnoresAnEmptyList) {
    CGamesList empty;
    empty.SetSelectedIndex(0);
    EXPECT_EQ(empty.GetSelectedIndex(), -1);
    auto list = MakeList(5);
    list->SetSelectedIndex(-5);
    EXPECT_EQ(list->GetSelectedIndex(), 0);
    list->SetSelectedIndex(99);
    EXPECT_EQ(list->GetSelectedIndex(), 4);
}

TEST(GamesListKeyboard, DownStopsAtTheLastRowAndPageDownFlipsAPage) {
    auto list = MakeList(5);
    list->SetSelectedIndex(4);
    Press(*list, Qt::Key_Down);
    EXPECT_EQ(list->GetSelectedIndex(), 4);
    Press(*list, Qt::Key_Up);
    EXPECT_EQ(list->GetSelectedIndex(), 3);

    auto longList = MakeList(20);
    longList->SetSelectedIndex(0);
    Press(*longList, Qt::Key_PageDown);
    EXPECT_EQ(longList->GetSelectedIndex(), 5);  // 100 / 21 + 1
    EXPECT_EQ(RowTop(*longList, 5), 1);          // now at the top of the area
    EXPECT_EQ(longList->ScrollBar().GetScrollPos(), longList->GetScrollPos());
    Press(*longList, Qt::Key_PageUp);
    EXPECT_EQ(longList->GetSelectedIndex(), 0);
    EXPECT_EQ(RowTop(*longList, 0), 1);
}

TEST(GamesListKeyboard, DownBelowTheViewScrollsTheLeastDistance) {
    auto list = MakeList(20);
    list->SetSelectedIndex(4);  // rows 0-4 are visible; row 5 ends at 110
    Press(*list, Qt::Key_Down);
    EXPECT_EQ(list->GetSelectedIndex(), 5);
    Rect row;
    list->GetItemRect(5, row, CGamesList::kPartImage);
    EXPECT_LE(row.bottom, list->RowsArea().bottom);
    EXPECT_GE(row.bottom, list->RowsArea().bottom - 1);
    list->EnsureVisible(0);
    EXPECT_EQ(RowTop(*list, 0), 1);
}

TEST(GamesListKeyboard, AnEmptyListIgnoresKeysAndHoverTrackingMovesTheHighlightIntoView) {
    CGamesList empty;
    empty.resize(120, 102);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(&empty, &down);
    EXPECT_FALSE(down.isAccepted());

    // The drop-down's mode: the keys move the highlight from no row at all (-1), the selection
    // stays, and the highlighted row is scrolled into the five-row view.
    struct Case {
        std::vector<int> keys;
        int highlighted;
    };
    for (const Case& c : {
             Case{{Qt::Key_Down}, 0},
             Case{{Qt::Key_Up}, 0},
             Case{{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}, 0},
             Case{{Qt::Key_PageDown}, 4},
             Case{{Qt::Key_PageDown, Qt::Key_PageDown}, 9},
             Case{{Qt::Key_End}, 19},
             Case{{Qt::Key_End, Qt::Key_PageDown}, 19},
             Case{{Qt::Key_End, Qt::Key_PageUp}, 14},
             Case{{Qt::Key_End, Qt::Key_Home}, 0},
         }) {
        auto list = MakeList(20);
        list->hoverTracking = true;
        list->SetSelectedIndex(2);
        for (int key : c.keys) {
            Press(*list, key);
        }
        EXPECT_EQ(list->HoverIndex(), c.highlighted) << ::testing::PrintToString(c.keys);
        EXPECT_EQ(list->CurrentIndex(), c.highlighted);
        EXPECT_EQ(list->GetSelectedIndex(), 2);
        const int top = RowTop(*list, c.highlighted);
        EXPECT_GE(top, list->RowsArea().top) << ::testing::PrintToString(c.keys);
        EXPECT_LE(top + list->RowHeight(), list->RowsArea().bottom);
        EXPECT_EQ(list->ScrollBar().GetScrollPos(), list->GetScrollPos());
    }
}

TEST(GamesListWheel, WholeNotchesMoveTwelvePixelsAndTheRemainderCarriesOver) {
    struct Case {
        std::vector<int> deltas;
        int position;  // from 30
    };
    for (const Case& c : {
             Case{{120}, 18},
             Case{{119}, 30},
             Case{{119, 1}, 18},
             Case{{15, 15, 15, 15, 15, 15, 15, 15}, 18},  // a touchpad's small steps
             Case{{-40, -40, -40, -40}, 42},
             Case{{100, -240}, 54},  // turning back drops what was left the other way
             Case{{1200}, 0},
         }) {
        auto list = MakeList(20);
        list->ScrollBy(30);
        for (int delta : c.deltas) {
            Wheel(*list, delta);
        }
        EXPECT_EQ(list->GetScrollPos(), c.position) << ::testing::PrintToString(c.deltas);
        EXPECT_EQ(list->ScrollBar().GetScrollPos(), c.position);
    }
}

class ScrollBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        list = MakeList(20);
        backdrop.resize(200, 200);
        list->setParent(&backdrop);
        backdrop.show();
        ASSERT_TRUE(list->ScrollBar().IsVisible());
    }
    QPoint DownArrow() const {
        const Rect& r = list->ScrollBar().DownArrowRect();
        return QPoint(r.left + 7, r.top + 7);
    }
    ManualTimers timers;
    Backdrop backdrop{QColor(0, 0, 255)};
    std::unique_ptr<CGamesList> list;
};

TEST_F(ScrollBarTest, HoldingTheDownArrowWaits250msThenMoves3PixelsEvery50ms) {
    QTest::mousePress(list.get(), Qt::LeftButton, {}, DownArrow());
    EXPECT_TRUE(list->ScrollBar().IsDownPressed());
    timers.Advance(249);
    EXPECT_EQ(list->GetScrollPos(), 0);
    timers.Advance(1);
    EXPECT_EQ(list->GetScrollPos(), 0);  // the delay ended; the repeat starts now
    timers.Advance(49);
    EXPECT_EQ(list->GetScrollPos(), 0);
    timers.Advance(1);
    EXPECT_EQ(list->GetScrollPos(), 3);
    timers.Advance(100);
    EXPECT_EQ(list->GetScrollPos(), 9);
    EXPECT_EQ(list->ScrollBar().GetScrollPos(), 9);
    // Until the end of the range, and no further.
    timers.Advance(50 * 200);
    EXPECT_EQ(list->GetScrollPos(), list->GetScrollMax());
    QTest::mouseRelease(list.get(), Qt::LeftButton, {}, DownArrow());
    EXPECT_EQ(list->GetScrollPos(), list->GetScrollMax());
    EXPECT_EQ(timers.Running(), 0);
    EXPECT_FALSE(list->ScrollBar().IsDownPressed());
}

TEST_F(ScrollBarTest, APressAndReleaseWithin250msMovesExactly3Pixels) {
    QTest::mousePress(list.get(), Qt::LeftButton, {}, DownArrow());
    timers.Advance(200);
    QTest::mouseRelease(list.get(), Qt::LeftButton, {}, DownArrow());
    EXPECT_EQ(list->GetScrollPos(), 3);
    timers.Advance(1000);
    EXPECT_EQ(list->GetScrollPos(), 3);
    EXPECT_EQ(timers.Running(), 0);
    // A release away from the arrow moves nothing.
    QTest::mousePress(list.get(), Qt::LeftButton, {}, DownArrow());
    QTest::mouseRelease(list.get(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(list->GetScrollPos(), 3);
}

TEST_F(ScrollBarTest, TheTrackPagesAndTheThumbDrags) {
    const Rect thumb = list->ScrollBar().ThumbRect();
    const QPoint belowThumb(thumb.left + 7, thumb.bottom + 5);
    QTest::mousePress(list.get(), Qt::LeftButton, {}, belowThumb);
    EXPECT_EQ(list->GetScrollPos(), 0);  // nothing until the release
    QTest::mouseRelease(list.get(), Qt::LeftButton, {}, belowThumb);
    EXPECT_EQ(list->GetScrollPos(), 100);  // one page

    list->ScrollBy(-100);
    list->ScrollBar().SetScrollPos(0, false);
    const Rect start = list->ScrollBar().ThumbRect();
    QTest::mousePress(list.get(), Qt::LeftButton, {}, QPoint(start.left + 7, start.top + 2));
    EXPECT_TRUE(list->ScrollBar().IsDragging());
    QMouseEvent move(QEvent::MouseMove, QPointF(start.left + 7, start.top + 1000),
                     list->mapToGlobal(QPointF(start.left + 7, start.top + 1000)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.get(), &move);
    EXPECT_EQ(list->GetScrollPos(), list->GetScrollMax());  // dragged to the end, no further
    EXPECT_EQ(list->ScrollBar().ThumbRect().bottom, list->ScrollBar().DownArrowRect().top);
}

TEST(GamesListScrollBar, TheThumbNeverShrinksBelow15Pixels) {
    auto list = MakeList(1000);
    EXPECT_EQ(list->ScrollBar().ThumbRect().Height(), CSkinScrollBar::kMinThumb);
    list->ScrollBy(1000000);
    list->ScrollBar().SetScrollPos(list->GetScrollPos(), false);
    // At the end the thumb stops one pixel short of the down arrow.
    EXPECT_EQ(list->ScrollBar().ThumbRect().bottom + 1, list->ScrollBar().DownArrowRect().top);
    // A short list gets a proportional thumb.
    auto shortList = MakeList(6);
    const int track = 100 - 28 - 2;
    EXPECT_EQ(shortList->ScrollBar().ThumbRect().Height(), 100 * track / 110);
}

TEST(GamesListScrollBar, TheHotPartsAreBrightened) {
    auto list = MakeList(20);
    const Rect up = list->ScrollBar().UpArrowRect();
    const QColor before = Render(*list).pixelColor(up.left + 7, up.top + 10);
    list->ScrollBar().OnMouseMove(QPoint(up.left + 5, up.top + 5));
    EXPECT_TRUE(list->ScrollBar().IsUpHot());
    const QColor after = Render(*list).pixelColor(up.left + 7, up.top + 10);
    EXPECT_EQ(after.rgb(), ScaleColor(before.rgb(), CSkinScrollBar::kHotFactor));
    list->ScrollBar().OnMouseLeave();
    EXPECT_FALSE(list->ScrollBar().IsUpHot());
}

TEST(GamesListPainting, AnEmptyListIsTheGradientInABlackFrame) {
    CGamesList list;
    list.resize(100, 60);
    const QImage image = Render(list);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(99, 59), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(50, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(1, 30), QColor(251, 138, 0));
    EXPECT_EQ(image.pixelColor(98, 30), QColor(251, 129, 0));
    EXPECT_FALSE(list.ScrollBar().IsVisible());
}

TEST(GamesListPainting, TheSelectedRowIsHighlightedIntoTheNextRow) {
    auto list = MakeList(4);
    list->SetSelectedIndex(1);  // rows 19 to 38
    const QImage image = Render(*list);
    EXPECT_EQ(image.pixelColor(60, 19), QColor(237, 128, 0));
    EXPECT_EQ(image.pixelColor(60, 20), QColor(189, 71, 0));
    EXPECT_EQ(image.pixelColor(60, 37), QColor(166, 88, 0));
    EXPECT_EQ(image.pixelColor(60, 38), QColor(208, 111, 0));
    EXPECT_EQ(image.pixelColor(60, 39), QColor(237, 125, 0));
    EXPECT_EQ(image.pixelColor(60, 40).red(), 251);  // the background again
    // Row 0 is plain gradient; its text is white.
    EXPECT_EQ(image.pixelColor(60, 1).red(), 251);
    const auto white = [](const QColor& c) { return c.lightness() > 240; };
    EXPECT_GT(skin_test::CountPixels(image, white, QRect(6, 1, 100, 18)), 10);
}

TEST(GamesListPainting, IconsComeFromTheImageListWithTheKeyTransparent) {
    QImage strip(42, 21, QImage::Format_RGB32);
    strip.fill(QColor(0, 255, 0));
    for (int x = 21; x < 42; ++x) {
        strip.setPixelColor(x, 5, QColor(10, 20, 30));
    }
    ImageList images(21, 21);
    ASSERT_EQ(images.AddMasked(strip, kKeyColor), 0);
    CGamesList list;
    list.resize(150, 102);
    list.SetImageList(&images);
    EXPECT_EQ(list.RowHeight(), 21);
    list.AddItem("Poker", 1);
    const QImage image = Render(list);
    EXPECT_EQ(image.pixelColor(2 + 4, 1 + 5), QColor(10, 20, 30));
    EXPECT_EQ(image.pixelColor(2 + 4, 1 + 6).red(), 251);  // key pixels show the background
    Rect text;
    list.GetItemRect(0, text, CGamesList::kPartText);
    EXPECT_EQ(text.left, 1 + 21 + 5);
}

TEST(GamesListHover, TheHighlightFollowsTheMouseInHoverTracking) {
    auto list = MakeList(4);
    list->hoverTracking = true;
    list->SetSelectedIndex(0);
    list->show();
    QCursor::setPos(list->mapToGlobal(QPoint(30, 40)));
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 40), list->mapToGlobal(QPointF(30, 40)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.get(), &move);
    EXPECT_EQ(list->HoverIndex(), 2);
    QImage image = Render(*list);
    EXPECT_EQ(image.pixelColor(60, 37), QColor(237, 128, 0));  // row 2's top line
    EXPECT_EQ(image.pixelColor(60, 1).red(), 251);             // selected row 0: no highlight
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(list.get(), &leave);
    EXPECT_EQ(list->HoverIndex(), -1);
}

TEST(GamesListMouse, AClickSelectsTheRowUnderTheMouse) {
    Backdrop backdrop(Qt::blue);
    auto list = MakeList(4);
    list->setParent(&backdrop);
    backdrop.show();
    QTest::mouseClick(list.get(), Qt::LeftButton, {}, QPoint(30, 45));
    EXPECT_EQ(list->GetSelectedIndex(), 2);
    QTest::mouseClick(list.get(), Qt::RightButton, {}, QPoint(30, 5));
    EXPECT_EQ(list->GetSelectedIndex(), 0);
    QTest::mouseClick(list.get(), Qt::LeftButton, {}, QPoint(30, 95));  // below the rows
    EXPECT_EQ(list->GetSelectedIndex(), 0);
    EXPECT_EQ(backdrop.focusWidget(), list.get());
}

TEST(GamesListRollOut, TheNextPaintSlidesDownInNineStepsAndClearsTheFlag) {
    ManualTimers timers;
    Backdrop backdrop(QColor(0, 0, 255));
    backdrop.resize(200, 200);
    CGamesList list(&backdrop);
    list.setGeometry(0, 0, 120, 180);
    list.AddItem("Keno", 0);
    list.rollOutOnNextPaint = true;

    QImage frame = Render(list);
    EXPECT_FALSE(list.rollOutOnNextPaint);
    ASSERT_TRUE(list.RollOutAnimation().Running());
    EXPECT_EQ(frame.pixelColor(60, 100), QColor(0, 0, 255));  // what lay there before
    timers.Advance(8);
    frame = Render(list);
    // The picture's last 20 rows at the top: its bottom frame line is row 19 now.
    EXPECT_EQ(frame.pixelColor(60, 19), QColor(Qt::black));
    EXPECT_EQ(frame.pixelColor(60, 20), QColor(0, 0, 255));
    int steps = 1;
    while (list.RollOutAnimation().Running() && steps < 50) {
        timers.Advance(8);
        ++steps;
    }
    EXPECT_EQ(steps, 9);
    frame = Render(list);
    EXPECT_EQ(frame.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(frame.pixelColor(60, 100).red(), 251);
    // The next paint is an ordinary one.
    EXPECT_FALSE(list.RollOutAnimation().Running());
}

TEST(GamesListTemplate, TheClassNameMakesAListThatLaysItselfOut) {
    CGamesList::RegisterWindowClass();
    DialogTemplate tpl{1, "Lists", 200, 120, {{"GAMESLIST", "", 1013, 2, 11, 78, 92}}};
    TemplateDialog dialog;
    dialog.Build(tpl);
    auto* list = qobject_cast<CGamesList*>(dialog.GetDlgItem(1013));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->geometry(), QRect(3, 18, 117, 149));
    EXPECT_EQ(list->ScrollBar().GetRect(), (Rect{102, 1, 116, 148}));

    CGamesList made;
    ASSERT_TRUE(made.Create(WindowStyles::WS_CHILD, Rect{5, 6, 105, 56}, &dialog, 77));
    EXPECT_EQ(made.geometry(), QRect(5, 6, 100, 50));
    EXPECT_EQ(GetDlgCtrlID(&made), 77);
    EXPECT_FALSE(made.isVisibleTo(&dialog));
}

}  // namespace
