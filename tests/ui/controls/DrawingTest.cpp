// The skin's drawing helpers, the off-screen buffer with its roll-out, and the artwork.
#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <map>

#include "Artwork.h"
#include "ResourceIds.h"
#include "support/SkinTestSupport.h"
#include "ui/controls/CBufferedDC.h"
#include "ui/controls/Drawing.h"

namespace {

using skin_test::Backdrop;
using skin_test::ManualTimers;
using skin_test::Render;

using skin_test::Canvas;

TEST(FillGradient, HorizontalRunsFromTheExactLeftColourToTheExactRightColour) {
    const QColor from(0, 100, 200);
    const QColor to(200, 100, 0);
    QImage image = Canvas(13, 3, [&](QPainter& p) {
        FillGradient(p, Rect{1, 1, 12, 2}, from, to, GradientDirection::Horizontal);
    });
    EXPECT_EQ(image.pixelColor(1, 1), from);
    EXPECT_EQ(image.pixelColor(11, 1), to);
    EXPECT_EQ(image.pixelColor(6, 1), QColor(100, 100, 100));  // the middle of 11 columns
    EXPECT_EQ(image.pixelColor(2, 1), QColor(20, 100, 180));
    // Exclusive edges: nothing outside the rectangle.
    EXPECT_EQ(image.pixelColor(0, 1), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(12, 1), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(6, 0), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(6, 2), QColor(Qt::white));
}

TEST(FillGradient, VerticalEndsAreExactAndStepsNeverGoBackwards) {
    // The dialog body: 54 at the top to 102 at the bottom over an odd height.
    const QColor top(54, 54, 54);
    const QColor bottom(102, 102, 102);
    QImage image = Canvas(2, 181, [&](QPainter& p) {
        FillGradient(p, Rect{0, 0, 2, 181}, top, bottom, GradientDirection::Vertical);
    });
    EXPECT_EQ(image.pixelColor(0, 0), top);
    EXPECT_EQ(image.pixelColor(1, 180), bottom);
    EXPECT_EQ(image.pixelColor(0, 90), QColor(78, 78, 78));
    for (int y = 1; y < 181; ++y) {
        EXPECT_GE(image.pixelColor(0, y).red(), image.pixelColor(0, y - 1).red());
        EXPECT_EQ(image.pixelColor(0, y), image.pixelColor(1, y));  // one colour per row
    }
    // A single line carries the first colour; an empty rectangle paints nothing.
    QImage one = Canvas(3, 3, [&](QPainter& p) {
        FillGradient(p, Rect{1, 1, 2, 2}, top, bottom, GradientDirection::Vertical);
        FillGradient(p, Rect{2, 2, 2, 3}, top, bottom, GradientDirection::Vertical);
    });
    EXPECT_EQ(one.pixelColor(1, 1), top);
    EXPECT_EQ(one.pixelColor(2, 2), QColor(Qt::white));
}

TEST(KeyColour, PixelsOfTheKeyColourAreLeftTransparent) {
    QImage picture(4, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(0, 255, 0));
    picture.setPixel(1, 0, qRgb(10, 20, 30));
    picture.setPixel(2, 0, qRgb(0, 254, 0));  // near the key is not the key
    picture.setPixel(3, 0, qRgb(0, 255, 0));
    QImage image = Canvas(6, 1, [&](QPainter& p) {
        p.fillRect(0, 0, 6, 1, QColor(0, 0, 255));
        DrawTransparent(p, 1, 0, picture);
    });
    EXPECT_EQ(image.pixelColor(1, 0), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(2, 0), QColor(10, 20, 30));
    EXPECT_EQ(image.pixelColor(3, 0), QColor(0, 254, 0));
    EXPECT_EQ(image.pixelColor(4, 0), QColor(0, 0, 255));
    EXPECT_EQ(MakeTransparent(picture).pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(MakeTransparent(picture).pixelColor(1, 0).alpha(), 255);
}

TEST(Brightening, ScalesEachChannelCapsAt255AndLeavesKeyPixels) {
    QImage picture(4, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(200, 100, 50));
    picture.setPixel(1, 0, qRgb(250, 240, 10));
    picture.setPixel(2, 0, qRgb(0, 255, 0));
    picture.setPixel(3, 0, qRgb(0, 200, 0));
    const QImage bright = CreateBrightenedBitmap(picture, 1.15, kKeyColor);
    EXPECT_EQ(bright.pixelColor(0, 0), QColor(230, 115, 57));
    EXPECT_EQ(bright.pixelColor(1, 0), QColor(255, 255, 11));
    EXPECT_EQ(bright.pixelColor(2, 0), QColor(0, 255, 0));
    EXPECT_EQ(bright.pixelColor(3, 0), QColor(0, 230, 0));
    // A factor below 1 counts as 1: never darker.
    EXPECT_EQ(ScaleColor(qRgb(100, 150, 200), 0.5), qRgb(100, 150, 200));
    EXPECT_EQ(ScaleColor(qRgb(100, 150, 200), 2.0), qRgb(200, 255, 255));
}

// A child that paints through a buffer: half of its area, in its own coordinates.
class BufferedChild : public QWidget {
public:
    using QWidget::QWidget;
    bool copyScreen = true;
    RollOut* rollOut = nullptr;
    bool rollOutNext = false;
    QRgb seenBelow = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (rollOut != nullptr && rollOut->Running()) {
            rollOut->PaintFrame(painter);
            return;
        }
        CBufferedDC dc(*this, painter, Rect::FromSize(0, 0, width(), height()), copyScreen,
                       rollOutNext ? rollOut : nullptr);
        rollOutNext = false;
        seenBelow = dc.Pixel(width() - 1, height() - 1);
        FillSolidRect(dc.Painter(), Rect{0, 0, width() / 2, height()}, QColor(200, 0, 0));
        dc.SetPixel(width() - 1, 0, qRgb(1, 2, 3));
    }
};

TEST(CBufferedDC, StartsFromWhatLiesBelowAndPutsTheResultInOneStep) {
    Backdrop backdrop(QColor(0, 0, 255));
    backdrop.resize(40, 40);
    BufferedChild child(&backdrop);
    child.setGeometry(10, 10, 20, 10);
    QImage image = Render(backdrop);
    EXPECT_EQ(QColor(child.seenBelow), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(10, 10), QColor(200, 0, 0));
    EXPECT_EQ(image.pixelColor(25, 15), QColor(0, 0, 255));  // the copied background
    EXPECT_EQ(image.pixelColor(29, 10), QColor(1, 2, 3));    // a pixel written directly
    EXPECT_EQ(image.pixelColor(5, 5), QColor(0, 0, 255));

    // Without the copy the buffer starts empty: the child reads nothing below itself.
    child.copyScreen = false;
    Render(backdrop);
    EXPECT_EQ(child.seenBelow, 0u);
}

TEST(RollOut, StepsAreANinthOfTheHeightStartingFromNothing) {
    EXPECT_EQ(RollOut::Steps(180), (std::vector<int>{0, 20, 40, 60, 80, 100, 120, 140, 160}));
    EXPECT_EQ(RollOut::Steps(5), (std::vector<int>{0, 1, 2, 3, 4}));  // at least one row
    EXPECT_EQ(RollOut::Steps(20).size(), 10u);                        // 20 / 9 = 2 rows
    EXPECT_TRUE(RollOut::Steps(0).empty());
}

TEST(RollOut, SlidesTheFinishedPictureDownOverWhatWasThere) {
    ManualTimers timers;
    Backdrop backdrop(QColor(0, 0, 255));
    backdrop.resize(40, 40);
    BufferedChild child(&backdrop);
    RollOut rollOut(child);
    child.rollOut = &rollOut;
    child.rollOutNext = true;
    child.setGeometry(0, 0, 20, 18);  // steps of 2 rows

    QImage first = Render(child);
    ASSERT_TRUE(rollOut.Running());
    EXPECT_EQ(rollOut.Frame(), 0);
    EXPECT_EQ(first.pixelColor(0, 0), QColor(0, 0, 255));  // nothing of the picture yet

    timers.Advance(RollOut::kStepMs);
    QImage second = Render(child);
    EXPECT_EQ(rollOut.Frame(), 1);
    // The picture's bottom two rows now stand at the top.
    EXPECT_EQ(second.pixelColor(0, 0), QColor(200, 0, 0));
    EXPECT_EQ(second.pixelColor(0, 1), QColor(200, 0, 0));
    EXPECT_EQ(second.pixelColor(0, 2), QColor(0, 0, 255));
    EXPECT_EQ(second.pixelColor(19, 1), QColor(0, 0, 255));  // the picture's own right half

    timers.Advance(7 * RollOut::kStepMs);
    EXPECT_TRUE(rollOut.Running());
    timers.Advance(RollOut::kStepMs);
    EXPECT_FALSE(rollOut.Running());  // nine steps of 8 ms
    EXPECT_EQ(timers.Running(), 0);
    QImage last = Render(child);
    EXPECT_EQ(last.pixelColor(0, 0), QColor(200, 0, 0));
    EXPECT_EQ(last.pixelColor(0, 17), QColor(200, 0, 0));
}

// --- The artwork --------------------------------------------------------------------------

struct ExpectedBitmap {
    int id;
    int width;
    int height;
    bool keyed;  // has transparent parts
};

const ExpectedBitmap kBitmaps[] = {
    {Res::IDB_SEARCH_HOT, 60, 21, true},      {Res::IDB_SEARCH, 60, 21, true},
    {Res::IDB_SETTINGS_HOT, 60, 21, true},    {Res::IDB_SETTINGS, 60, 21, true},
    {Res::IDB_HIDE_TO_TRAY, 12, 13, true},    {Res::IDB_SIZE, 12, 13, true},
    {Res::IDB_ALL_GAMES, 12, 20, true},       {Res::IDB_LOGO, 23, 23, true},
    {Res::IDB_BAR_BACKGROUND, 357, 46, true}, {Res::IDB_FAVORITES_STRIP, 268, 20, true},
    {Res::IDB_ADD_HOT, 69, 22, true},         {Res::IDB_ADD, 69, 22, true},
    {Res::IDB_REMOVE_HOT, 69, 22, true},      {Res::IDB_REMOVE, 69, 22, true},
    {Res::IDB_GET_UPDATE, 68, 22, true},      {Res::IDB_GET_UPDATE_HOT, 68, 22, true},
    {Res::IDB_EDIT_LEFT, 5, 18, true},        {Res::IDB_EDIT_RIGHT, 5, 18, true},
    {Res::IDB_EDIT_TOP, 1, 4, false},         {Res::IDB_EDIT_BOTTOM, 1, 3, false},
    {Res::IDB_TABS, 166, 17, true},           {Res::IDB_TITLE_RIGHT, 132, 15, false},
    {Res::IDB_TITLE_LEFT, 35, 15, false},     {Res::IDB_CLOSE, 12, 12, true},
    {Res::IDB_BUTTON_HOT, 69, 23, true},      {Res::IDB_BUTTON, 69, 23, true},
    {Res::IDB_CHECKBOX, 12, 12, true},        {Res::IDB_CHECKBOX_CHECKED, 12, 12, true},
    {Res::IDB_THUMB_TOP, 14, 6, false},       {Res::IDB_THUMB_BOTTOM, 14, 4, false},
    {Res::IDB_ARROW_UP, 14, 14, false},       {Res::IDB_ARROW_DOWN, 14, 14, false},
};

// Each also drawn at twice the density, covering the same logical pixels.
TEST(Artwork, EveryBitmapHasItsSizeAndGreenOnlyWhereTheSkinShowsThrough) {
    for (int scale : {1, 2}) {
        for (const ExpectedBitmap& expected : kBitmaps) {
            SCOPED_TRACE(testing::Message() << expected.id << " at scale " << scale);
            const QImage bitmap = LoadBitmap(expected.id, scale);
            ASSERT_FALSE(bitmap.isNull());
            EXPECT_EQ(bitmap.size(), QSize(expected.width, expected.height) * scale);
            EXPECT_EQ(LogicalSize(bitmap), QSize(expected.width, expected.height));
            const int green = skin_test::CountPixels(
                bitmap, [](const QColor& c) { return c == QColor(0, 255, 0); });
            // Pictures drawn opaque (title bar, scroll bar, edit edges) must hold no key colour.
            EXPECT_EQ(green > 0, expected.keyed);
        }
    }
    EXPECT_TRUE(LoadBitmap(9999).isNull());
}

TEST(Artwork, TheTabsAreGreyThenBlueAndTheCloseCrossIsOnGreen) {
    const QImage tabs = LoadBitmap(Res::IDB_TABS);
    const QColor normal = tabs.pixelColor(40, 9);
    const QColor selected = tabs.pixelColor(83 + 40, 9);
    EXPECT_EQ(normal.red(), normal.blue());                // grey
    EXPECT_GT(selected.blue(), selected.red());            // blue
    EXPECT_EQ(tabs.pixelColor(82, 0), QColor(0, 255, 0));  // the slanted edge lets through
    EXPECT_EQ(LoadBitmap(Res::IDB_CLOSE).pixelColor(0, 0), QColor(0, 255, 0));
}

TEST(Artwork, TheCommittedFilesAreWhatTheGeneratorDraws) {
    int compared = 0;
    for (const Artwork::Piece& piece : Artwork::DrawAll()) {
        SCOPED_TRACE(piece.file);
        QImage committed(QStringLiteral(":/") + QString::fromStdString(piece.file));
        ASSERT_FALSE(committed.isNull()) << "missing from the resources";
        const QImage::Format format =
            piece.image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
        EXPECT_EQ(committed.convertToFormat(format), piece.image.convertToFormat(format))
            << "run tivora-art to regenerate";
        ++compared;
    }
    EXPECT_EQ(compared, 2 * (32 + 5 * 4 + 2));
}

TEST(Artwork, EveryIconComesInFourSizesAndTheDoubleOfTheTwoLarger) {
    for (int id : {Res::IDI_TIVORA, Res::IDI_TRAY, Res::IDI_TRAY_FRAME_FIRST,
                   Res::IDI_TRAY_FRAME_LAST, Res::IDI_ABOUT}) {
        SCOPED_TRACE(id);
        const QIcon icon = LoadIcon(id);
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.availableSizes(),
                  (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {96, 96}, {128, 128}}));
        // Real transparency in the corners, none in the middle.
        const QImage image = icon.pixmap(32, 32).toImage();
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
        EXPECT_EQ(image.pixelColor(16, 16).alpha(), 255);
    }
}

}  // namespace
