// The bar, its drop-down and a dialog on a screen of twice the density: this program runs with
// QT_SCALE_FACTOR=2. The layout stays the same in logical pixels, the skin's bitmaps are shown
// as drawn at twice the density (not enlarged), the key colour still lets the class colour
// through, and the page gallery/bar@2x.png shows them one device pixel to one sheet pixel.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QTest>

#include "ResourceIds.h"
#include "platform/desktop/Fonts.h"
#include "support/BarFixtures.h"
#include "support/SkinTestSupport.h"
#include "ui/controls/CBufferedDC.h"
#include "ui/controls/CSkinScrollBar.h"
#include "ui/controls/CTivoraDialog.h"
#include "ui/controls/Drawing.h"
#include "ui/dialogs/CAboutDialog.h"
#include "ui/dialogs/CAppSettingsDialog.h"
#include "ui/toolbar/BarGeometry.h"
#include "ui/toolbar/CAllGamesButton.h"
#include "ui/toolbar/CAllGamesDropDown.h"
#include "ui/toolbar/CControlButton.h"
#include "ui/toolbar/CMainWnd.h"
#include "ui/toolbar/ControlButtonsPanel.h"
#include "ui/toolbar/SearchPanel.h"

namespace {

using skin_test::ManualTimers;
using skin_test::RenderAt;

struct Stores : bar_testing::Stores {
    Stores() { games.LoadGamesConfig(TIVORA_BINARY_DIR "/tivora.cfg"); }
};

// How many 2 x 2 device-pixel blocks of shot are not of one colour: none when a picture
// painted at one device pixel per logical pixel is enlarged.
int MixedBlocks(const QImage& shot) {
    int mixed = 0;
    for (int y = 0; y + 1 < shot.height(); y += 2) {
        for (int x = 0; x + 1 < shot.width(); x += 2) {
            const QRgb corner = shot.pixel(x, y);
            mixed += shot.pixel(x + 1, y) != corner || shot.pixel(x, y + 1) != corner ||
                     shot.pixel(x + 1, y + 1) != corner;
        }
    }
    return mixed;
}

// A skin bitmap painted at logical `at` of a rendering at ratio 2, checked over `part` (in the
// bitmap's logical pixels): every device pixel where the double drawing differs from the plain
// one enlarged (and is not key colour) shows the double drawing. Returns how many there are.
int ExpectFinerDetail(const QImage& shot, const QPoint& at, int id, const QRect& part) {
    const QImage once = LoadBitmap(id, 1);
    const QImage twice = LoadBitmap(id, 2);
    int finer = 0;
    for (int y = part.top() * 2; y <= part.bottom() * 2 + 1; ++y) {
        for (int x = part.left() * 2; x <= part.right() * 2 + 1; ++x) {
            const QRgb drawn = twice.pixel(x, y);
            if (drawn == kKeyColor || drawn == once.pixel(x / 2, y / 2)) {
                continue;
            }
            ++finer;
            const QPoint device = at * 2 + QPoint(x, y);
            EXPECT_EQ(shot.pixel(device), drawn) << id << " at device " << x << "," << y;
        }
    }
    return finer;
}

TEST(HiDpi, TheBarDropDownAndDialogKeepTheirLayoutAndShowTheDoubleBitmaps) {
    ASSERT_EQ(qGuiApp->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
    ASSERT_EQ(SkinScale(), 2);
    Stores stores;
    ManualTimers timers;
    CMainWnd bar(stores.MainWndParts());
    ASSERT_TRUE(bar.Create());
    QWidget* search = bar.GetSearchPanel().Button();
    QWidget* hide = bar.GetControlButtonsPanel().HideButton();
    QWidget* size = bar.GetControlButtonsPanel().SizeButton();
    CAllGamesButton* allGames = bar.GetFavoritesPanel().AllGamesButton();
    ASSERT_TRUE(search && hide && size && allGames);

    // The same logical geometry as on a plain screen.
    const struct {
        const char* name;
        QRect actual;
        QRect expected;
    } layout[] = {
        {"bar", QRect(QPoint(), bar.size()), QRect(0, 0, 357, 46)},
        {"search button", search->geometry(), QRect(283, 2, 60, 21)},
        {"hide button", hide->geometry(), QRect(345, 10, 12, 13)},
        {"size button", size->geometry(), QRect(345, 24, 12, 13)},
        {"all-games button", allGames->geometry(), QRect(269, 24, 12, 20)},
        {"search box", bar.GetSearchPanel().Edit()->geometry(), QRect(115, 3, 165, 18)},
    };
    for (const auto& item : layout) {
        EXPECT_EQ(item.actual, item.expected) << item.name;
    }

    const QImage barShot = RenderAt(bar, 2.0);
    QTest::mouseClick(allGames, Qt::LeftButton);
    CAllGamesDropDown& list = allGames->DropDown();
    ASSERT_TRUE(list.isVisible());
    RenderAt(list, 2.0);  // the roll-out starts with the list's first paint
    for (int step = 0; step < 20 && list.RollOutAnimation().Running(); ++step) {
        timers.Advance(RollOut::kStepMs);
    }
    const QImage listShot = RenderAt(list, 2.0);
    list.hide();
    CAboutDialog about;
    const QImage aboutShot = RenderAt(about, 2.0);
    QWidget* ok = about.GetDlgItem(1);
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(about.TitleBar(), nullptr);
    const QPoint titleRight =
        about.TitleBar()->mapTo(&about, QPoint(about.TitleBar()->width() - 132, 0));

    // The key colour never shows; the bar's rounded corner shows the class colour.
    for (const QImage* shot : {&barShot, &listShot, &aboutShot}) {
        EXPECT_EQ(
            skin_test::CountPixels(*shot, [](const QColor& c) { return c.rgb() == kKeyColor; }), 0);
        // Text and edges are drawn at the full density.
        EXPECT_GT(MixedBlocks(*shot), 50);
    }
    for (const QPoint& corner : {QPoint(0, 0), QPoint(713, 0), QPoint(0, 91), QPoint(713, 91)}) {
        EXPECT_EQ(barShot.pixel(corner), QColor::fromRgb(BarGeometry::kBackgroundColor).rgb())
            << corner.x() << "," << corner.y();
    }

    // Where the double drawings have detail that an enlargement lacks, it is on the screen.
    const struct {
        const char* name;
        const QImage& shot;
        QPoint at;
        int id;
        QRect part;
    } bitmaps[] = {
        {"bar: rounded corner, emblem and name", barShot, QPoint(0, 0), Res::IDB_BAR_BACKGROUND,
         QRect(0, 0, 80, 20)},
        {"bar: lower right corner", barShot, QPoint(0, 0), Res::IDB_BAR_BACKGROUND,
         QRect(343, 38, 14, 8)},
        {"bar: search button", barShot, search->pos(), Res::IDB_SEARCH, QRect(0, 0, 60, 21)},
        {"bar: hide button", barShot, hide->pos(), Res::IDB_HIDE_TO_TRAY, QRect(0, 0, 11, 13)},
        {"bar: search box's left end", barShot, bar.GetSearchPanel().Edit()->pos(),
         Res::IDB_EDIT_LEFT, QRect(0, 0, 5, 18)},
        {"bar: all-games button", barShot, allGames->pos(), Res::IDB_ALL_GAMES,
         QRect(0, 0, 12, 20)},
        {"dialog: title", aboutShot, QPoint(0, 0), Res::IDB_TITLE_LEFT, QRect(0, 0, 35, 15)},
        {"dialog: title's grip", aboutShot, titleRight, Res::IDB_TITLE_RIGHT, QRect(0, 0, 112, 15)},
        {"dialog: button, left of its text", aboutShot, ok->pos(), Res::IDB_BUTTON,
         QRect(0, 0, 12, 23)},
    };
    for (const auto& bitmap : bitmaps) {
        SCOPED_TRACE(bitmap.name);
        EXPECT_GT(ExpectFinerDetail(bitmap.shot, bitmap.at, bitmap.id, bitmap.part), 0);
    }

    // The scroll bar's thumb is put together at the density too.
    const QImage thumb = CSkinScrollBar::ComposeThumb(40);
    EXPECT_EQ(thumb.size(), QSize(28, 80));
    EXPECT_GT(MixedBlocks(thumb), 0);

    // An icon is the picture of the device size, not a larger one scaled down.
    const QIcon icon = LoadIcon(Res::IDI_TIVORA);
    const struct {
        int size;
        const char* picture;
    } icons[] = {{16, ":/icons/137-32.png"},
                 {32, ":/icons/137-64.png"},
                 {48, ":/icons/137-48@2x.png"},
                 {64, ":/icons/137-64@2x.png"}};
    for (const auto& expected : icons) {
        const QImage shown = icon.pixmap(QSize(expected.size, expected.size), 2.0).toImage();
        EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32),
                  QImage(expected.picture).convertToFormat(QImage::Format_ARGB32))
            << expected.size;
    }

    // The gallery's page at twice the density.
    QImage sheet(std::max({barShot.width(), listShot.width(), aboutShot.width()}) + 24,
                 36 + barShot.height() + listShot.height() + aboutShot.height() + 48,
                 QImage::Format_RGB32);
    sheet.fill(QColor(236, 236, 236));
    QPainter painter(&sheet);
    painter.setFont(Fonts::Make("Tahoma", 16, 700));
    painter.drawText(12, 24, "The bar, its drop-down and the About dialog at device pixel ratio 2");
    int y = 36;
    for (const QImage* shot : {&barShot, &listShot, &aboutShot}) {
        QImage plain = *shot;
        plain.setDevicePixelRatio(1.0);
        painter.drawImage(12, y, plain);
        y += plain.height() + 12;
    }
    painter.end();
    QDir().mkpath(QStringLiteral(TIVORA_BINARY_DIR "/gallery"));
    EXPECT_TRUE(sheet.save(QStringLiteral(TIVORA_BINARY_DIR "/gallery/bar@2x.png"), "PNG"));
}

}  // namespace
