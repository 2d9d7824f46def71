#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "ResourceIds.h"
#include "support/SkinTestSupport.h"
#include "ui/controls/CStaticLink.h"
#include "ui/controls/DialogTemplate.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/WindowStyles.h"

namespace {

class RecordingDialog : public TemplateDialog {
public:
    std::vector<int> commands;
    void OnCommand(int id) override {
        commands.push_back(id);
        TemplateDialog::OnCommand(id);
    }
};

DialogTemplate SampleTemplate() {
    using namespace WindowStyles;
    return DialogTemplate{
        100,
        "Sample",
        100,
        80,
        {
            {"STATIC", "Label", 10, 4, 8, 40, 8},
            {"STATIC", "Hidden", 11, 4, 20, 40, 8, kHidden},
            {"EDIT", "line", 12, 4, 30, 60, 14, ES_AUTOHSCROLL | WS_DISABLED},
            {"EDIT", "a\r\nb", 13, 4, 46, 60, 20, ES_MULTILINE | ES_READONLY | WS_VSCROLL},
            {"NO-SUCH-CLASS", "", 14, 0, 0, 10, 10},
            {"BUTTON", "OK", Res::IDOK, 50, 62, 40, 14, BS_DEFPUSHBUTTON},
            {"BUTTON", "Other", 15, 4, 62, 40, 14},
        },
    };
}

TEST(DialogUnits, RoundEachEdgeToTheNearestPixel) {
    struct Case {
        int x, y, cx, cy;
        Rect pixels;
    };
    // Base units 6 x 13: x * 6 / 4 and y * 13 / 8, halves rounded up; a truncating mapping
    // lands SAVE (y = 123) at 199, and one that maps sizes instead of edges gives 5-pixel
    // widths to the 3-unit items below.
    for (const Case& c : {
             Case{0, 0, 218, 78, Rect{0, 0, 327, 127}},
             Case{4, 8, 40, 8, Rect{6, 13, 66, 26}},
             Case{3, 3, 3, 3, Rect{5, 5, 9, 10}},
             Case{1, 123, 1, 1, Rect{2, 200, 3, 202}},
         }) {
        EXPECT_EQ(DialogUnits::ToPixels(c.x, c.y, c.cx, c.cy), c.pixels) << c.x << "," << c.y;
    }
}

TEST(TemplateDialog, BuildsEachKnownControlAtItsPixelRectangle) {
    RecordingDialog dialog;
    dialog.Build(SampleTemplate());
    EXPECT_EQ(dialog.windowTitle(), "Sample");
    EXPECT_EQ(dialog.size(), QSize(150, 130));
    EXPECT_EQ(dialog.Controls().size(), 6u);  // the unknown class makes nothing
    EXPECT_EQ(dialog.GetDlgItem(14), nullptr);

    auto* label = qobject_cast<QLabel*>(dialog.GetDlgItem(10));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->geometry(), QRect(6, 13, 60, 13));
    EXPECT_TRUE(label->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.GetDlgItem(11)->isVisibleTo(&dialog));

    auto* line = qobject_cast<QLineEdit*>(dialog.GetDlgItem(12));
    ASSERT_NE(line, nullptr);
    EXPECT_FALSE(line->isEnabled());
    auto* multi = qobject_cast<QPlainTextEdit*>(dialog.GetDlgItem(13));
    ASSERT_NE(multi, nullptr);
    EXPECT_TRUE(multi->isReadOnly());
    EXPECT_EQ(multi->toPlainText(), "a\nb");
    EXPECT_TRUE(qobject_cast<QPushButton*>(dialog.GetDlgItem(Res::IDOK))->isDefault());
}

TEST(TemplateDialog, TextsAreSetAndReadByIdentifier) {
    RecordingDialog dialog;
    dialog.Build(SampleTemplate());
    dialog.SetDlgItemText(10, "New");
    dialog.SetDlgItemText(13, "x\r\ny");
    dialog.SetDlgItemText(99, "nobody");
    EXPECT_EQ(dialog.GetDlgItemText(10), "New");
    EXPECT_EQ(dialog.GetDlgItemText(13), "x\ny");
    EXPECT_EQ(dialog.GetDlgItemText(99), "");
}

TEST(TemplateDialog, ButtonsReportTheirCommandAndOkEndsTheDialog) {
    RecordingDialog dialog;
    dialog.Build(SampleTemplate());
    dialog.show();
    QTest::mouseClick(dialog.GetDlgItem(15), Qt::LeftButton);
    EXPECT_EQ(dialog.commands, (std::vector<int>{15}));
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseClick(dialog.GetDlgItem(Res::IDOK), Qt::LeftButton);
    EXPECT_EQ(dialog.commands, (std::vector<int>{15, Res::IDOK}));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(TemplateDialog, EscapeIsTheCancelCommand) {
    RecordingDialog dialog;
    dialog.Build(SampleTemplate());
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.commands, (std::vector<int>{Res::IDCANCEL}));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(TemplateDialog, RegisteredClassesAndPerDialogMakers) {
    ControlClasses::Register("SAMPLECLASS", [](const DialogItem& item, QWidget* parent) {
        auto* widget = new QLabel(QString::fromStdString("made:" + item.text), parent);
        return widget;
    });
    DialogTemplate tpl{
        1, "T", 50, 50, {{"SAMPLECLASS", "a", 1, 0, 0, 10, 10}, {"STATIC", "b", 2, 0, 10, 10, 10}}};
    RecordingDialog dialog;
    dialog.Build(tpl, {{2, [](const DialogItem&, QWidget* parent) {
                            return new QLabel(QStringLiteral("override"), parent);
                        }}});
    EXPECT_EQ(dialog.GetDlgItemText(1), "made:a");
    EXPECT_EQ(dialog.GetDlgItemText(2), "override");
}

TEST(Draw3dRect, EdgesAndCornersFollowTheClassicFrame) {
    const QColor tl(255, 0, 0);
    const QColor br(0, 0, 255);
    QImage image = skin_test::Canvas(10, 10, [&](QPainter& p) {
        Draw3dRect(p, Rect{1, 1, 6, 5}, tl, br);
    });
    EXPECT_EQ(image.pixelColor(1, 1), tl);  // top-left corner
    EXPECT_EQ(image.pixelColor(4, 1), tl);  // top edge
    EXPECT_EQ(image.pixelColor(5, 1), br);  // top-right corner belongs to the right edge
    EXPECT_EQ(image.pixelColor(1, 3), tl);  // left edge
    EXPECT_EQ(image.pixelColor(1, 4), br);  // bottom-left corner belongs to the bottom edge
    EXPECT_EQ(image.pixelColor(5, 4), br);  // bottom-right
    EXPECT_EQ(image.pixelColor(3, 2), QColor(Qt::white));  // inside untouched
    EXPECT_EQ(image.pixelColor(6, 1), QColor(Qt::white));  // right edge is exclusive
    EXPECT_EQ(image.pixelColor(1, 5), QColor(Qt::white));  // bottom edge is exclusive
}

TEST(Draw3dRect, TwoPixelHighRectIsAnEtchedLine) {
    const QColor shadow(100, 100, 100);
    const QColor light(230, 230, 230);
    QImage image = skin_test::Canvas(20, 5, [&](QPainter& p) {
        Draw3dRect(p, Rect{0, 1, 20, 3}, shadow, light);
    });
    EXPECT_EQ(image.pixelColor(10, 1), shadow);
    EXPECT_EQ(image.pixelColor(10, 2), light);
    EXPECT_EQ(image.pixelColor(10, 0), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(10, 3), QColor(Qt::white));
}

TEST(CStaticLink, ClickWithoutAddressReachesTheDialogAndOpensNothing) {
    RecordingDialog dialog;
    DialogTemplate tpl{1, "T", 100, 40, {{"STATIC", "click here.", 1005, 4, 4, 50, 8}}};
    dialog.Build(tpl, {{1005, [](const DialogItem& item, QWidget* parent) {
                            return new CStaticLink(QString::fromStdString(item.text), parent);
                        }}});
    dialog.show();
    auto* link = qobject_cast<CStaticLink*>(dialog.GetDlgItem(1005));
    ASSERT_NE(link, nullptr);
    int clicks = 0;
    QObject::connect(link, &CStaticLink::clicked, [&] { ++clicks; });
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(dialog.commands, (std::vector<int>{1005}));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(link->toolTip().isEmpty());
    // A press that ends outside is no click.
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(500, 2));
    EXPECT_EQ(clicks, 1);
}

TEST(CStaticLink, PaintsUnderlinedLinkColouredTextInTheTopThirteenPixels) {
    CStaticLink link(QStringLiteral("WWWWWWWW"));
    link.resize(120, 30);
    QImage image(link.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    link.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    int linkPixels = 0;
    int below = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor c = image.pixelColor(x, y);
            if (c.blue() > 200 && c.red() < 160 && c.green() < 160) {
                (y < CStaticLink::kTextHeight ? linkPixels : below)++;
            }
        }
    }
    EXPECT_GT(linkPixels, 20);
    EXPECT_EQ(below, 0);
    EXPECT_TRUE(link.font().underline());
    // Two pixels kept free at the left.
    for (int y = 0; y < image.height(); ++y) {
        EXPECT_EQ(image.pixelColor(0, y), QColor(Qt::white));
        EXPECT_EQ(image.pixelColor(1, y), QColor(Qt::white));
    }
}

}  // namespace
