// The skinned dialog frame, its title bar and the two static texts.
#include <gtest/gtest.h>

#include <QTest>

#include "ResourceIds.h"
#include "support/SkinTestSupport.h"
#include "ui/controls/CGamesList.h"
#include "ui/controls/CTivoraDialog.h"
#include "ui/controls/CTivoraTabCtrl.h"
#include "ui/controls/CToolbarEdit.h"
#include "ui/controls/SkinClasses.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/controls/TivoraStatics.h"
#include "ui/controls/WindowStyles.h"

namespace {

using skin_test::Backdrop;
using skin_test::CountPixels;
using skin_test::Render;

const auto kWhite = [](const QColor& c) { return c.lightness() > 240; };

DialogTemplate HundredUnitsHigh() {
    return DialogTemplate{
        1047,
        "About",
        192,
        100,
        {
            {"STATIC", "Version:", 1020, 10, 10, 60, 11},
            {"STATIC", "Tivora", 1028, 10, 40, 100, 8},
            {"BUTTON", "CLOSE", Res::IDOK, 71, 80, 50, 14},
        },
    };
}

class SkinnedDialog : public CTivoraDialog {
public:
    explicit SkinnedDialog(bool panelFrame = false) {
        drawPanelFrame = panelFrame;
        Build(HundredUnitsHigh(), {{1020, MakerFor<CTivoraStatic>()},
                                   {1028, MakerFor<CSimpleStatic>()},
                                   {Res::IDOK, MakerFor<CTivoraButton>()}});
    }
    std::vector<int> commands;
    void OnCommand(int id) override {
        commands.push_back(id);
        CTivoraDialog::OnCommand(id);
    }
};

TEST(CTivoraDialog, GrowsBy18PixelsAndMovesEveryControl18Down) {
    SkinnedDialog dialog;
    // 192 x 100 units: 288 x 163 pixels (162.5 rounded), plus the title bar.
    EXPECT_EQ(dialog.size(), QSize(288, 181));
    EXPECT_EQ(dialog.GetDlgItem(1020)->geometry(), QRect(15, 16 + 18, 90, 18));
    EXPECT_EQ(dialog.GetDlgItem(1028)->pos(), QPoint(15, 65 + 18));
    EXPECT_EQ(dialog.GetDlgItem(Res::IDOK)->geometry(), QRect(107, 130 + 18, 69, 23));
    ASSERT_NE(dialog.TitleBar(), nullptr);
    EXPECT_EQ(dialog.TitleBar()->geometry(), QRect(0, 0, 288, 18));
    EXPECT_EQ(dialog.TitleBar()->Caption(), "About");
    EXPECT_EQ(dialog.TitleBar()->windowTitle(), "About titlebar");
    EXPECT_EQ(GetDlgCtrlID(dialog.TitleBar()), 0xFFFF);
    CButtonST* close = dialog.TitleBar()->CloseButton();
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->geometry(), QRect(274, 2, 13, 13));
    EXPECT_EQ(GetDlgCtrlID(close), Res::IDCANCEL);
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
}

TEST(CTivoraDialog, TheCloseButtonIsTheCancelCommand) {
    SkinnedDialog dialog;
    dialog.show();
    QTest::mouseClick(dialog.TitleBar()->CloseButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.commands, (std::vector<int>{Res::IDCANCEL}));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(CTivoraDialog, DraggingTheTitleBarMovesTheDialog) {
    SkinnedDialog dialog;
    dialog.move(100, 100);
    dialog.show();
    CDialogTitleBar* bar = dialog.TitleBar();
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(50, 8));
    QMouseEvent move(QEvent::MouseMove, QPointF(80, 28), bar->mapToGlobal(QPointF(80, 28)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &move);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(80, 28));
    EXPECT_EQ(dialog.pos(), QPoint(130, 120));
}

TEST(CTivoraDialog, PaintsTheTitleBarAndTheGradientBody) {
    SkinnedDialog dialog;
    const QImage image = Render(dialog);
    const int width = image.width();
    const int height = image.height();
    // The bar: the left piece, the orange between, the right piece, the dark strip below.
    const QImage left = LoadBitmap(Res::IDB_TITLE_LEFT);
    EXPECT_EQ(image.pixelColor(5, 7), left.pixelColor(5, 7));
    EXPECT_EQ(image.pixelColor(150, 13), CDialogTitleBar::kBackground);
    EXPECT_EQ(image.pixelColor(width - 140, 13), CDialogTitleBar::kBackground);
    EXPECT_EQ(image.pixelColor(width - 100, 3), LoadBitmap(Res::IDB_TITLE_RIGHT).pixelColor(32, 3));
    EXPECT_EQ(image.pixelColor(150, 15), QColor(34, 34, 34));
    EXPECT_EQ(image.pixelColor(150, 17), QColor(50, 50, 50));
    EXPECT_GT(CountPixels(image, kWhite, QRect(17, 1, 60, 14)), 15);  // the caption
    // The close cross sits on the bar: white strokes, the bar's plate between them.
    EXPECT_EQ(image.pixelColor(width - 14 + 2, 2 + 2), QColor(Qt::white));
    // The body.
    EXPECT_EQ(image.pixelColor(150, 18), QColor(54, 54, 54));
    EXPECT_EQ(image.pixelColor(1, height - 1), QColor(102, 102, 102));
    // No groove without the panel frame.
    EXPECT_EQ(image.pixelColor(10, 24), image.pixelColor(20, 24));
}

TEST(CTivoraDialog, ThePanelFrameIsAGrooveInsideTheBody) {
    SkinnedDialog dialog(true);
    const QImage image = Render(dialog);
    const int width = image.width();
    const int height = image.height();
    EXPECT_EQ(image.pixelColor(100, 24), QColor(Qt::white));           // top edge
    EXPECT_EQ(image.pixelColor(100, height - 31), QColor(Qt::black));  // bottom edge
    EXPECT_EQ(image.pixelColor(10, 25).lightness() > 240, true);       // left: white...
    EXPECT_EQ(image.pixelColor(10, height - 31), QColor(Qt::black));   // ...to black
    EXPECT_EQ(image.pixelColor(width - 11, height - 31), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(9, 60), QColor(Qt::white));
    EXPECT_NE(image.pixelColor(100, 23), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(width - 10, 60), image.pixelColor(width - 9, 60));  // outside
}

TEST(CTivoraDialog, TheCaptionIsCopiedOnce) {
    SkinnedDialog dialog;
    dialog.setWindowTitle("Changed");
    EXPECT_EQ(dialog.TitleBar()->Caption(), "About");
}

TEST(CTivoraStatic, PaintsOnlyItsTopThirteenPixels) {
    Backdrop backdrop(QColor(0, 0, 255));
    backdrop.resize(100, 40);
    CTivoraStatic label(&backdrop);
    label.setText("Favorite Games");
    label.setGeometry(0, 0, 100, 30);
    const QImage image = Render(backdrop);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(68, 68, 68));
    EXPECT_EQ(image.pixelColor(99, 12), QColor(68, 68, 68));
    EXPECT_EQ(image.pixelColor(98, 1), QColor(88, 88, 88));  // the gradient inside
    EXPECT_EQ(image.pixelColor(50, 13), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(50, 29), QColor(0, 0, 255));
    EXPECT_GT(CountPixels(image, kWhite, QRect(2, 1, 96, 11)), 10);
    EXPECT_EQ(CountPixels(image, kWhite, QRect(0, 0, 2, 13)), 0);  // 2 pixels in
}

TEST(CSimpleStatic, WhiteTextLeftOrRightOnTheBodyAndNoBackground) {
    Backdrop backdrop(QColor(0, 0, 255));
    backdrop.resize(200, 20);
    CSimpleStatic label(&backdrop);
    label.setText("Version: 1.0");
    label.setGeometry(0, 0, 200, 20);
    QImage image = Render(backdrop);
    EXPECT_GT(CountPixels(image, kWhite, QRect(2, 0, 60, 20)), 10);
    EXPECT_EQ(CountPixels(image, kWhite, QRect(120, 0, 80, 20)), 0);
    EXPECT_EQ(CountPixels(image, kWhite, QRect(0, 0, 2, 20)), 0);
    EXPECT_EQ(image.pixelColor(150, 10), QColor(0, 0, 255));
    label.alignment = CSimpleStatic::kRight;
    image = Render(backdrop);
    EXPECT_EQ(CountPixels(image, kWhite, QRect(0, 0, 100, 20)), 0);
    EXPECT_GT(CountPixels(image, kWhite, QRect(140, 0, 60, 20)), 10);
}

TEST(SkinClasses, ATemplateCanNameEverySkinClassAsData) {
    using namespace WindowStyles;
    SkinClasses::Register();
    SkinClasses::Register();  // harmless twice
    DialogTemplate tpl{
        1016,
        "Page",
        220,
        139,
        {
            {"TivoraCheckbox", "Always on top", 1007, 7, 8, 61, 10, BS_AUTOCHECKBOX},
            {"TivoraButton", "SAVE", 1, 62, 100, 44, 13, BS_DEFPUSHBUTTON},
            {"TivoraCustomButton", "", 1006, 82, 38, 46, 14},
            {"TivoraStatic", "Full Name", 1015, 7, 6, 64, 8},
            {"SimpleStatic", "text", 1034, 10, 14, 119, 8},
            {"ToolbarEdit", "", 1017, 7, 14, 121, 14, ES_AUTOHSCROLL},
            {"TivoraTabCtrl", "", 1009, 4, 3, 212, 90},
            {"GAMESLIST", "", 1013, 2, 11, 78, 92},
        },
    };
    CTivoraDialog dialog;
    dialog.Build(tpl);
    auto* box = qobject_cast<CTivoraCheckbox*>(dialog.GetDlgItem(1007));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsCheckBoxMode());
    EXPECT_EQ(box->text(), "Always on top");
    auto* save = qobject_cast<CTivoraButton*>(dialog.GetDlgItem(1));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->size(), QSize(69, 23));
    EXPECT_TRUE(save->IsDefaultButton());
    EXPECT_NE(qobject_cast<CTivoraCustomButton*>(dialog.GetDlgItem(1006)), nullptr);
    EXPECT_NE(qobject_cast<CTivoraStatic*>(dialog.GetDlgItem(1015)), nullptr);
    EXPECT_NE(qobject_cast<CSimpleStatic*>(dialog.GetDlgItem(1034)), nullptr);
    EXPECT_EQ(dialog.GetDlgItem(1017)->height(), 18);
    EXPECT_NE(qobject_cast<CToolbarEdit*>(dialog.GetDlgItem(1017)), nullptr);
    EXPECT_NE(qobject_cast<CTivoraTabCtrl*>(dialog.GetDlgItem(1009)), nullptr);
    EXPECT_NE(qobject_cast<CGamesList*>(dialog.GetDlgItem(1013)), nullptr);
    // The skinned frame moved all of them down under its title bar.
    EXPECT_EQ(dialog.GetDlgItem(1013)->y(), 18 + 18);
}

}  // namespace
