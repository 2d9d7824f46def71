// Text as the skin places it: the Windows text cell, real bold, and the controls that use it.
#include <gtest/gtest.h>

#include <QPainter>

#include "ResourceIds.h"
#include "platform/desktop/Fonts.h"
#include "support/SkinTestSupport.h"
#include "ui/controls/CTivoraDialog.h"
#include "ui/controls/CTivoraTabCtrl.h"
#include "ui/controls/SkinText.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/controls/TivoraStatics.h"
#include "ui/controls/WindowStyles.h"

namespace {

using skin_test::Backdrop;
using skin_test::CountPixels;
using skin_test::Difference;
using skin_test::Render;

TEST(Fonts, TheCellComesFromTheFacesWindowsMetrics) {
    // Tahoma asks for its typographic metrics, whose ascent is two pixels short of the cell
    // the layouts were made for; its Windows metrics give the cell its requested height.
    struct Case {
        int height;
        Fonts::Cell cell;
    };
    for (const Case& c : {Case{11, {9, 2}}, Case{13, {11, 2}}, Case{14, {12, 2}}}) {
        EXPECT_EQ(Fonts::CellOf(Fonts::Make("Tahoma", c.height)), c.cell) << c.height;
    }
}

int Ink(const QFont& font, qreal ratio) {
    QImage image(static_cast<int>(120 * ratio), static_cast<int>(20 * ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    SkinText::Draw(painter, Rect{0, 0, 120, 20}, QStringLiteral("Tivora Settings"),
                   Qt::AlignLeft | Qt::AlignTop);
    painter.end();
    return CountPixels(image, [](const QColor& c) { return c.lightness() < 128; });
}

TEST(Fonts, BoldIsBolderThanRegularAtEveryScale) {
    // 600 counts as bold, as Windows draws it.
    for (qreal ratio : {1.0, 2.0}) {
        for (int height : {13, 14}) {
            const int regular = Ink(Fonts::Make("Tahoma", height, 400), ratio);
            EXPECT_GT(regular, 0);
            for (int weight : {600, 700}) {
                EXPECT_GT(Ink(Fonts::Make("Tahoma", height, weight), ratio), regular * 5 / 4)
                    << "height " << height << " weight " << weight << " at " << ratio;
            }
        }
    }
}

TEST(SkinText, LabelsSitOnTheCellsBaseline) {
    // Texts without descenders: the ink ends on the row above the baseline, which lies the
    // cell's ascent (9 for height 11, 11 for 13, 12 for 14) below the line's top.
    Backdrop backdrop(QColor(60, 60, 60));
    backdrop.resize(330, 120);

    CTivoraTabCtrl tabs(&backdrop);
    tabs.setGeometry(0, 0, 318, 60);
    tabs.InsertItem(0, "Application");
    tabs.InsertItem(1, "");
    tabs.SetCurSel(1);
    const QImage noLabel = Render(backdrop);
    tabs.setTabText(1, "Favorites");
    // The selected tab's label: one pixel down, baseline 1 + 11.
    EXPECT_EQ(Difference(noLabel, Render(backdrop), 60).bottom(), 11);
    tabs.hide();

    CTivoraStatic header(&backdrop);
    header.setGeometry(0, 0, 120, 20);
    const QImage noHeader = Render(backdrop);
    header.setText("Favorite Games");
    EXPECT_EQ(Difference(noHeader, Render(backdrop), 60).bottom(), 10);  // centred cell 13
    header.hide();

    CTivoraButton save(&backdrop);
    save.Create("", WindowStyles::WS_VISIBLE, Rect::FromSize(0, 0, 69, 23), &backdrop, 1);
    const QImage noText = Render(backdrop);
    save.setText("SAVE");
    EXPECT_EQ(Difference(noText, Render(backdrop), 60).bottom(), 14);  // (23 - 11) / 2 + 9
}

int Differing(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y);
        }
    }
    return count;
}

TEST(SkinText, TheCaptionIsBoldAndSitsOnItsBaseline) {
    auto withCaption = [](const char* caption) {
        CTivoraDialog dialog;
        dialog.Build(DialogTemplate{1, caption, 100, 40, {}});
        return Render(dialog);
    };
    const QImage none = withCaption("");
    const QImage about = withCaption("About");
    EXPECT_EQ(Difference(none, about, 60).bottom(), 12);  // baseline 1 + 12
    // Bold: more ink than the same caption in the regular weight.
    QImage regular = none;
    QPainter painter(&regular);
    QFont font = Fonts::Make("Tahoma", 14, 400);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(Qt::white);
    SkinText::Draw(painter, Rect{17, 1, 100, 15}, "About", Qt::AlignLeft | Qt::AlignTop);
    painter.end();
    EXPECT_GT(Differing(none, about), Differing(none, regular) * 5 / 4);
}

TEST(SkinText, TwoLineNamesFitTheGameButton) {
    Backdrop backdrop(QColor(60, 60, 60));
    backdrop.resize(80, 30);
    CButtonST game(&backdrop);
    game.Create("", WindowStyles::WS_VISIBLE, Rect::FromSize(0, 0, 66, 22), &backdrop, 1);
    game.setFont(Fonts::Make("Tahoma", 11));
    game.SetStateColors(CButtonST::kTextOut, Qt::white);
    game.EnableBorder(false);
    game.UseParentBackground();  // as the bar's game buttons
    Render(backdrop);
    const QImage empty = Render(backdrop);
    for (const char* name : {"Texas Hold'em Poker", "Scratch Cards Deluxe"}) {
        game.setText(name);
        const QRect ink = Difference(empty, Render(backdrop), 60);
        EXPECT_GE(ink.top(), 0) << name;
        EXPECT_LE(ink.bottom(), 21) << name;  // inside the button
        EXPECT_GT(ink.height(), 11) << name;  // two lines
    }
}

TEST(SkinText, WrapsAtWordsAndAlignsEachLine) {
    const QFont font = Fonts::Make("Tahoma", 13);
    const int cell = Fonts::CellOf(font).Height();
    EXPECT_EQ(SkinText::Measure(font, "one two", 1000, Qt::TextWordWrap).height(), cell);
    EXPECT_EQ(SkinText::Measure(font, "one two", 30, Qt::TextWordWrap).height(), 2 * cell);
    EXPECT_EQ(SkinText::Measure(font, "one\r\ntwo", 1000, 0).height(), 2 * cell);
    EXPECT_EQ(SkinText::Measure(font, "one\r\ntwo", 1000, Qt::TextSingleLine).height(), cell);
    // Right-aligned lines end at the right edge; centred ones leave equal margins.
    for (int align : {int(Qt::AlignRight), int(Qt::AlignHCenter)}) {
        const QImage image = skin_test::Canvas(100, 40, [&](QPainter& p) {
            p.setFont(font);
            p.setPen(Qt::black);
            SkinText::Draw(p, Rect{0, 0, 100, 40}, "Wide word\nI", align | Qt::TextWordWrap);
        });
        const QRect lineOne =
            Difference(image.copy(0, 0, 100, cell), skin_test::Canvas(100, cell, [](QPainter&) {}));
        if (align == Qt::AlignRight) {
            EXPECT_GE(lineOne.right(), 97);
        } else {
            EXPECT_LE(std::abs(lineOne.left() - (99 - lineOne.right())), 2);
        }
    }
}

}  // namespace
