// The bitmap buttons: pictures by state, offsets, disabled looks, tooltips and check boxes.
#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include "ResourceIds.h"
#include "support/SkinTestSupport.h"
#include "ui/controls/BalloonTip.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/controls/WindowStyles.h"

namespace {

using skin_test::Backdrop;
using skin_test::CountPixels;
using skin_test::Render;

const QColor kBlue(0, 0, 255);

// True when image shows bitmap (key pixels as the backdrop's blue) with its top-left at at,
// as far as clip (the bitmap's size when empty) reaches.
bool Shows(const QImage& image, const QImage& bitmap, QPoint at, QSize clip = QSize()) {
    const QSize shown = clip.isEmpty() ? bitmap.size() : clip;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            QColor expected = bitmap.pixelColor(x, y);
            if (expected == QColor(0, 255, 0)) {
                expected = kBlue;
            }
            if (image.pixelColor(at.x() + x, at.y() + y) != expected) {
                return false;
            }
        }
    }
    return true;
}

QImage Scaled(const QImage& bitmap, double factor) {
    QImage result = bitmap.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            const QRgb c = result.pixel(x, y);
            if ((c & 0xFFFFFF) != 0x00FF00) {
                result.setPixel(
                    x, y,
                    qRgb(static_cast<int>(qRed(c) * factor), static_cast<int>(qGreen(c) * factor),
                         static_cast<int>(qBlue(c) * factor)));
            }
        }
    }
    return result;
}

void Hover(QWidget& widget, QPoint at) {
    QEnterEvent enter(at, widget.mapTo(widget.window(), at), widget.mapToGlobal(at));
    QCoreApplication::sendEvent(&widget, &enter);
}

void Leave(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &leave);
}

class RecordingDialog : public TemplateDialog {
public:
    std::vector<int> commands;
    void OnCommand(int id) override { commands.push_back(id); }
};

TEST(CTivoraCustomButton, ShowsTheFirstPictureWhileHoveredOrPressedAndMovesWhenPressed) {
    Backdrop backdrop(kBlue);
    backdrop.resize(100, 50);
    CTivoraCustomButton button;
    ASSERT_TRUE(button.Create(Res::IDB_SEARCH_HOT, Res::IDB_SEARCH, "Search the web", 10, 10,
                              &backdrop, 120));
    EXPECT_EQ(button.geometry(), QRect(10, 10, 60, 21));
    const QImage hot = LoadBitmap(Res::IDB_SEARCH_HOT);
    const QImage normal = LoadBitmap(Res::IDB_SEARCH);

    EXPECT_TRUE(Shows(Render(backdrop), normal, {10, 10}));
    Hover(button, {5, 5});
    EXPECT_TRUE(button.IsHovering());
    EXPECT_TRUE(Shows(Render(backdrop), hot, {10, 10}));
    Leave(button);
    EXPECT_FALSE(button.IsHovering());
    EXPECT_TRUE(Shows(Render(backdrop), normal, {10, 10}));

    button.setDown(true);
    const QImage pressed = Render(backdrop);
    // Moved one pixel right and down; the button's edge cuts off its last column and row.
    EXPECT_TRUE(Shows(pressed, hot, {11, 11}, QSize(59, 20)));
    EXPECT_FALSE(Shows(pressed, hot, {10, 10}, QSize(59, 20)));
    EXPECT_EQ(pressed.pixelColor(10, 10), kBlue);  // the uncovered edge shows the parent
}

TEST(CTivoraCustomButton, ClickReachesTheWindowThatHoldsItOnce) {
    RecordingDialog dialog;
    CTivoraCustomButton button;
    button.Create(Res::IDB_ADD_HOT, Res::IDB_ADD, "", 5, 5, &dialog, 1006);
    dialog.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(dialog.commands, (std::vector<int>{1006}));
    EXPECT_EQ(dialog.focusWidget(), &button);
}

TEST(CButtonST, TooltipsOnlyForTextAndInBalloonsWhenAsked) {
    Backdrop backdrop(kBlue);
    CTivoraCustomButton silent;
    silent.Create(Res::IDB_ADD_HOT, Res::IDB_ADD, "", 0, 0, &backdrop, 1);
    CTivoraCustomButton talking;
    talking.Create(Res::IDB_ADD_HOT, Res::IDB_ADD, "Add the game", 0, 30, &backdrop, 2);
    backdrop.resize(100, 100);
    backdrop.show();

    EXPECT_FALSE(silent.HasTip());
    QHelpEvent quiet(QEvent::ToolTip, {5, 5}, silent.mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(&silent, &quiet);
    EXPECT_EQ(BalloonTip::Shown(), nullptr);
    EXPECT_FALSE(QToolTip::isVisible());

    EXPECT_TRUE(talking.IsTipActive());
    EXPECT_TRUE(talking.IsBalloonTip());
    QHelpEvent ask(QEvent::ToolTip, {5, 5}, talking.mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(&talking, &ask);
    ASSERT_NE(BalloonTip::Shown(), nullptr);
    EXPECT_EQ(BalloonTip::Shown()->Text(), "Add the game");
    EXPECT_EQ(BalloonTip::Shown()->Owner(), &talking);
    Leave(talking);
    EXPECT_EQ(BalloonTip::Shown(), nullptr);

    // A deactivated tip stays silent; a plain one is Qt's tooltip.
    talking.SetTip("Add the game", false);
    QCoreApplication::sendEvent(&talking, &ask);
    EXPECT_EQ(BalloonTip::Shown(), nullptr);
}

DialogTemplate ButtonsTemplate() {
    using namespace WindowStyles;
    return DialogTemplate{
        1,
        "Buttons",
        200,
        100,
        {
            {"BUTTON", "SAVE", Res::IDOK, 62, 10, 44, 13, BS_DEFPUSHBUTTON | WS_TABSTOP},
            {"BUTTON", "Always on top", 1007, 7, 40, 61, 10, BS_AUTOCHECKBOX | WS_TABSTOP},
        },
    };
}

class ButtonsDialog : public TemplateDialog {
public:
    ButtonsDialog() {
        Build(ButtonsTemplate(),
              {{Res::IDOK, MakerFor<CTivoraButton>()}, {1007, MakerFor<CTivoraCheckbox>()}});
    }
    void OnCommand(int) override {}
};

// The lightest pixel of the text: among the pixels inside rect that differ from the
// button's bare picture, the one farthest from it.
QColor LightestText(const QImage& image, const QImage& picture, const QRect& rect) {
    QColor lightest(0, 0, 0);
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c != picture.pixelColor(x, y) && c.lightness() > lightest.lightness()) {
                lightest = c;
            }
        }
    }
    return lightest;
}

TEST(CTivoraButton, IsAlways69By23AtTheTemplatesCornerWithWhiteTextOnItsPicture) {
    ButtonsDialog dialog;
    auto* save = qobject_cast<CTivoraButton*>(dialog.GetDlgItem(Res::IDOK));
    ASSERT_NE(save, nullptr);
    // 62, 10 dialog units: 93, 16 pixels; 44 x 13 units would be 66 x 21.
    EXPECT_EQ(save->geometry(), QRect(93, 16, 69, 23));
    EXPECT_TRUE(save->IsDefaultButton());
    EXPECT_FALSE(save->IsCheckBoxMode());
    EXPECT_EQ(save->text(), "SAVE");

    const QImage image = save->grab().toImage();
    const QImage normal = LoadBitmap(Res::IDB_BUTTON);
    const QColor text = LightestText(image, normal, QRect(5, 5, 59, 13));
    EXPECT_GE(text.lightness(), 235);  // white, but for the edge smoothing
    EXPECT_EQ(image.pixelColor(3, 20), normal.pixelColor(3, 20));
}

TEST(CButtonST, ADisabledButtonShowsItsDarkenedNormalPictureAndGreyText) {
    ButtonsDialog dialog;
    auto* save = qobject_cast<CTivoraButton*>(dialog.GetDlgItem(Res::IDOK));
    save->setEnabled(false);
    dialog.show();
    Hover(*save, {10, 10});
    EXPECT_FALSE(save->IsHovering());  // hover has no effect

    const QImage image = save->grab().toImage();
    const QImage darkened = Scaled(LoadBitmap(Res::IDB_BUTTON), 0.75);
    EXPECT_EQ(image.pixelColor(3, 20), darkened.pixelColor(3, 20));
    EXPECT_EQ(image.pixelColor(60, 3), darkened.pixelColor(60, 3));
    const QColor text = LightestText(image, darkened, QRect(5, 5, 59, 13));
    EXPECT_TRUE(skin_test::Near(text, CButtonST::kDisabledText, 8)) << text.name().toStdString();
    EXPECT_LE(text.lightness(), CButtonST::kDisabledText.lightness());
}

TEST(CTivoraCheckbox, TogglesOnClicksShowsItsBoxesAndNeverMoves) {
    ButtonsDialog dialog;
    auto* box = qobject_cast<CTivoraCheckbox*>(dialog.GetDlgItem(1007));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsCheckBoxMode());
    dialog.show();
    // 61 x 10 units: 91 x 16 pixels; the 12 x 12 box at the left margin, centred.
    const QPoint boxAt(3, (box->height() - 12) / 2);
    auto boxShown = [&](int bitmap) {
        const QImage image = box->grab().toImage();
        const QImage picture = LoadBitmap(bitmap);
        // Compare the box's inside, which has no key colour.
        for (int y = 2; y < 10; ++y) {
            for (int x = 2; x < 10; ++x) {
                if (image.pixelColor(boxAt.x() + x, boxAt.y() + y) != picture.pixelColor(x, y)) {
                    return false;
                }
            }
        }
        return true;
    };
    EXPECT_EQ(box->GetCheck(), 0);
    EXPECT_TRUE(boxShown(Res::IDB_CHECKBOX));
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(box->GetCheck(), 1);
    EXPECT_TRUE(boxShown(Res::IDB_CHECKBOX_CHECKED));
    box->setDown(true);
    EXPECT_TRUE(boxShown(Res::IDB_CHECKBOX_CHECKED));  // pressed: no offset
    box->setDown(false);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(box->GetCheck(), 0);

    box->SetCheck(2);
    EXPECT_EQ(box->GetCheck(), 1);
    box->SetCheck(7);
    EXPECT_EQ(box->GetCheck(), 0);
    box->SetCheck(1);
    EXPECT_EQ(box->GetCheck(), 1);
    // The label is white, right of the box.
    const auto white = [](const QColor& c) { return c.lightness() > 200; };
    EXPECT_GT(CountPixels(box->grab().toImage(), white, QRect(16, 0, 75, 16)), 10);

    // Disabled, the box still tells ticked from empty, darkened.
    box->setEnabled(false);
    const QColor tickedInk = LoadBitmap(Res::IDB_CHECKBOX_CHECKED).pixelColor(9, 2);
    const QColor shownInk = box->grab().toImage().pixelColor(boxAt.x() + 9, boxAt.y() + 2);
    EXPECT_EQ(shownInk,
              QColor(tickedInk.red() * 3 / 4, tickedInk.green() * 3 / 4, tickedInk.blue() * 3 / 4));
    box->SetCheck(0);
    const QColor emptyInk = LoadBitmap(Res::IDB_CHECKBOX).pixelColor(9, 2);
    EXPECT_EQ(box->grab().toImage().pixelColor(boxAt.x() + 9, boxAt.y() + 2),
              QColor(emptyInk.red() * 3 / 4, emptyInk.green() * 3 / 4, emptyInk.blue() * 3 / 4));
}

TEST(CButtonST, SetCheckChangesNothingOutsideCheckBoxModeAndTwoQuickClicksAreTwoClicks) {
    CButtonST button;
    button.Create("x", WindowStyles::WS_VISIBLE, Rect{0, 0, 30, 20}, nullptr, 5);
    button.SetCheck(1);
    EXPECT_EQ(button.GetCheck(), 0);
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    // A double click arrives as press, release, double click, release: the double click
    // counts as a second press.
    const QPointF at(5, 5);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, button.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&button, &event);
    }
    EXPECT_EQ(clicks, 2);
}

TEST(CButtonST, LoadPicturesResultsAndAutomaticSecondPictures) {
    CButtonST button;
    EXPECT_EQ(button.LoadPictures(9999, kKeyColor), CButtonST::kLoadFailed);
    EXPECT_TRUE(button.Picture(0).isNull());

    EXPECT_EQ(button.LoadPictures(Res::IDB_BUTTON, kKeyColor, Res::IDB_BUTTON_HOT, kKeyColor),
              CButtonST::kOk);
    EXPECT_FALSE(button.Picture(1).isNull());
    // A missing second bitmap fails too and leaves nothing behind.
    EXPECT_EQ(button.LoadPictures(Res::IDB_BUTTON, kKeyColor, 9999, kKeyColor),
              CButtonST::kLoadFailed);
    EXPECT_TRUE(button.Picture(0).isNull());
    EXPECT_TRUE(button.Picture(1).isNull());

    const QImage source = LoadBitmap(Res::IDB_BUTTON_HOT);
    const QColor original = source.pixelColor(30, 10);
    ASSERT_EQ(button.LoadPictures(Res::IDB_BUTTON_HOT, kKeyColor, CButtonST::kAutoDarkened),
              CButtonST::kOk);
    EXPECT_EQ(button.Picture(1).pixelColor(30, 10),
              QColor(original.red() * 3 / 4, original.green() * 3 / 4, original.blue() * 3 / 4));
    EXPECT_EQ(button.Picture(1).pixelColor(0, 0).alpha(), 0);  // the key stays transparent
    ASSERT_EQ(button.LoadPictures(Res::IDB_BUTTON_HOT, kKeyColor, CButtonST::kAutoGrey),
              CButtonST::kOk);
    const QColor grey = button.Picture(1).pixelColor(30, 10);
    EXPECT_EQ(grey.red(), grey.green());
    EXPECT_EQ(grey.green(), grey.blue());
    EXPECT_EQ(grey.red(), static_cast<int>(0.299 * original.red() + 0.587 * original.green() +
                                           0.114 * original.blue()));
    // The disabled picture is the second picture darkened again.
    EXPECT_EQ(button.Picture(2).pixelColor(30, 10).red(), grey.red() * 3 / 4);

    EXPECT_EQ(button.SetPictureLayout(4), CButtonST::kBadLayout);
    EXPECT_EQ(button.SetPictureLayout(3), CButtonST::kOk);
    EXPECT_EQ(button.SetStateColors(6, Qt::red), CButtonST::kBadColorIndex);
    EXPECT_EQ(button.SetStateColors(5, Qt::red), CButtonST::kOk);
    EXPECT_EQ(button.GetStateColor(5), QColor(Qt::red));
}

TEST(CButtonST, StateColoursAndBordersOfAButtonWithABackgroundOfItsOwn) {
    Backdrop backdrop(kBlue);
    backdrop.resize(60, 40);
    CButtonST button;
    button.Create("", WindowStyles::WS_VISIBLE, Rect{5, 5, 45, 25}, &backdrop, 1);
    button.SetStateColors(CButtonST::kBackOut, QColor(10, 10, 10));
    button.SetStateColors(CButtonST::kBackIn, QColor(20, 20, 20));
    const QPalette& palette = button.palette();
    auto role = [&palette](QPalette::ColorRole r) { return QColor(palette.color(r).rgb()); };
    // Flat: no border until hovered, then a raised one; pressed, a sunken one.
    QImage image = Render(backdrop);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(10, 10, 10));
    EXPECT_EQ(image.pixelColor(20, 15), QColor(10, 10, 10));
    Hover(button, {3, 3});
    image = Render(backdrop);
    EXPECT_EQ(image.pixelColor(20, 15), QColor(20, 20, 20));
    EXPECT_EQ(image.pixelColor(5, 5), role(QPalette::Light));
    EXPECT_EQ(image.pixelColor(44, 24), role(QPalette::Dark));
    button.setDown(true);
    image = Render(backdrop);
    EXPECT_EQ(image.pixelColor(5, 5), role(QPalette::Dark));
    EXPECT_EQ(image.pixelColor(44, 24), role(QPalette::Light));
    button.setDown(false);
    Leave(button);
    // Not flat: the four-colour raised frame; as the default button, a black frame outside.
    button.SetFlatLook(false);
    image = Render(backdrop);
    EXPECT_EQ(image.pixelColor(5, 5), role(QPalette::Light));
    EXPECT_EQ(image.pixelColor(6, 6), role(QPalette::Midlight));
    EXPECT_EQ(image.pixelColor(44, 24), role(QPalette::Shadow));
    EXPECT_EQ(image.pixelColor(43, 23), role(QPalette::Dark));
    button.SetButtonStyle(WindowStyles::BS_DEFPUSHBUTTON);
    image = Render(backdrop);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(6, 6), role(QPalette::Light));
}

TEST(CButtonST, LayoutsPlaceThePictureAroundTheText) {
    Backdrop backdrop(kBlue);
    backdrop.resize(120, 60);
    CButtonST button;
    button.Create("", WindowStyles::WS_VISIBLE, Rect{0, 0, 100, 40}, &backdrop, 1);
    button.LoadPictures(Res::IDB_CLOSE, kKeyColor);
    button.UseParentBackground();
    button.EnableBorder(false);
    const QImage cross = LoadBitmap(Res::IDB_CLOSE);
    // Without text: centred both ways in layouts 0 and 1, at the top edge in layout 2.
    EXPECT_TRUE(Shows(Render(backdrop), cross, {44, 14}));
    button.SetPictureLayout(CButtonST::kPictureRight);
    EXPECT_TRUE(Shows(Render(backdrop), cross, {44, 0}));
    button.SetPictureLayout(CButtonST::kPictureOver);
    EXPECT_TRUE(Shows(Render(backdrop), cross, {0, 0}));
    // With text: left margin, right margin, top margin.
    button.setText("Go");
    button.SetPictureLayout(CButtonST::kPictureLeft);
    EXPECT_TRUE(Shows(Render(backdrop), cross, {3, 14}));
    button.SetPictureLayout(CButtonST::kPictureRight);
    EXPECT_TRUE(Shows(Render(backdrop), cross, {100 - 3 - 12, 14}));
    button.SetPictureLayout(CButtonST::kPictureTop);
    EXPECT_TRUE(Shows(Render(backdrop), cross, {44, 3}));
}

}  // namespace
