// The skin gallery: renders every control in each of its states offscreen and writes one
// PNG per control into <build>/gallery/, so that the skin can be looked at without running
// the program. Each test is one sheet; it checks a few facts of what it shows and that the
// sheet written shows each picture. The bar's and the dialogs' sheets are beside their tests.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QPainter>
#include <QTest>

#include "Artwork.h"
#include "ResourceIds.h"
#include "platform/desktop/Fonts.h"
#include "support/GallerySheet.h"
#include "support/SkinTestSupport.h"
#include "ui/controls/BalloonTip.h"
#include "ui/controls/CGamesList.h"
#include "ui/controls/CTivoraDialog.h"
#include "ui/controls/CTivoraTabCtrl.h"
#include "ui/controls/CToolbarEdit.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/FocusCues.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/controls/TivoraStatics.h"
#include "ui/controls/WindowStyles.h"

namespace {

using namespace gallery;
using skin_test::Backdrop;
using skin_test::ManualTimers;
using skin_test::Render;

const auto kNearWhite = [](const QColor& c) { return c.lightness() > 240; };

// The button over its backdrop in the given state (focus cannot be had offscreen without an
// active window, so the owner-draw entry is called with the state).
QImage ButtonShot(QWidget& backdrop, CButtonST& button, CButtonST::ItemState state) {
    QImage image = Render(backdrop);
    QPainter painter(&image);
    // Paint the backdrop again under the button, then the button in the wanted state.
    painter.fillRect(button.geometry(), backdrop.palette().color(QPalette::Window));
    painter.translate(button.pos());
    button.DrawItem(painter, state);
    return image;
}

struct ButtonStates {
    QImage normal, hovered, pressed, focused, disabled;
};

ButtonStates AddButtonStates(Sheet& sheet, const QString& name, QWidget& backdrop,
                             CButtonST& button) {
    ButtonStates shots;
    CButtonST::ItemState normal;
    shots.normal = sheet.Add(name + " normal", ButtonShot(backdrop, button, normal));
    Hover(button);
    shots.hovered = sheet.Add("hovered", ButtonShot(backdrop, button, normal));
    CButtonST::ItemState pressed;
    pressed.selected = true;
    shots.pressed = sheet.Add("pressed", ButtonShot(backdrop, button, pressed));
    Unhover(button);
    CButtonST::ItemState focused;
    focused.focus = true;
    shots.focused = sheet.Add("focused", ButtonShot(backdrop, button, focused));
    CButtonST::ItemState disabled;
    disabled.disabled = true;
    shots.disabled = sheet.Add("disabled", ButtonShot(backdrop, button, disabled));
    sheet.NewRow();
    return shots;
}

TEST(Gallery, DialogButtons) {
    Sheet sheet("CTivoraButton: SAVE, CANCEL and GET UPDATE");
    Backdrop backdrop(kBody);
    backdrop.resize(81, 35);
    const QRect face(6, 6, 69, 23);
    const auto grey = [](const QColor& c) { return skin_test::Near(c, QColor(128, 128, 128), 24); };
    for (const char* text : {"SAVE", "CANCEL"}) {
        CTivoraButton button(&backdrop);
        button.Create(text, WindowStyles::WS_VISIBLE, Rect::FromSize(6, 6, 40, 20), &backdrop, 1);
        const ButtonStates shots = AddButtonStates(sheet, text, backdrop, button);
        // White text on the picture; grey and no white when disabled.
        const auto light = [](const QColor& c) { return c.lightness() > 190; };
        EXPECT_GT(skin_test::CountPixels(shots.normal, light, face), 10) << text;
        EXPECT_EQ(skin_test::CountPixels(shots.disabled, light, face), 0) << text;
        EXPECT_GT(skin_test::CountPixels(shots.disabled, grey, face), 5) << text;
    }
    CTivoraButton update(&backdrop);
    update.Create("GET UPDATE", WindowStyles::WS_VISIBLE, Rect::FromSize(6, 6, 40, 20), &backdrop,
                  1);
    update.LoadPictures(Res::IDB_GET_UPDATE_HOT, kKeyColor, Res::IDB_GET_UPDATE, kKeyColor);
    AddButtonStates(sheet, "GET UPDATE", backdrop, update);
    ExpectWritten(sheet, "dialog-buttons", 400);
}

TEST(Gallery, PictureButtons) {
    Sheet sheet("CTivoraCustomButton: the bar's and the favourites page's buttons");
    Backdrop backdrop(kBody);
    backdrop.resize(82, 34);
    const struct {
        const char* name;
        int hot;
        int normal;
        int width;
    } kinds[] = {{"search", Res::IDB_SEARCH_HOT, Res::IDB_SEARCH, 60},
                 {"settings", Res::IDB_SETTINGS_HOT, Res::IDB_SETTINGS, 60},
                 {"add", Res::IDB_ADD_HOT, Res::IDB_ADD, 69},
                 {"remove", Res::IDB_REMOVE_HOT, Res::IDB_REMOVE, 69}};
    for (const auto& kind : kinds) {
        CTivoraCustomButton button(&backdrop);
        button.Create(kind.hot, kind.normal, "tip", 6, 6, &backdrop, 1);
        button.resize(kind.width, 22);
        const ButtonStates shots = AddButtonStates(sheet, kind.name, backdrop, button);
        // The hot picture while hovered; pressed, it moves by a pixel.
        EXPECT_NE(shots.hovered, shots.normal) << kind.name;
        EXPECT_NE(shots.pressed, shots.hovered) << kind.name;
    }
    // The single-picture buttons of the bar and the dialog's close cross.
    Backdrop strip(QColor(239, 144, 0));
    strip.resize(24, 32);
    for (const auto& [name, id, size] :
         {std::tuple{"hide to tray", Res::IDB_HIDE_TO_TRAY, QSize(12, 13)},
          std::tuple{"size", Res::IDB_SIZE, QSize(12, 13)},
          std::tuple{"all games", Res::IDB_ALL_GAMES, QSize(12, 20)},
          std::tuple{"close", Res::IDB_CLOSE, QSize(13, 13)}}) {
        CButtonST button(&strip);
        button.Create("", WindowStyles::WS_VISIBLE,
                      Rect::FromSize(6, 6, size.width(), size.height()), &strip, 1);
        button.LoadPictures(id, kKeyColor);
        button.EnableBorder(false);
        button.UseParentBackground();
        AddButtonStates(sheet, name, strip, button);
    }
    ExpectWritten(sheet, "picture-buttons", 400);
}

TEST(Gallery, CheckBox) {
    Sheet sheet("CTivoraCheckbox");
    Backdrop backdrop(QColor(79, 79, 79));
    backdrop.resize(170, 28);
    CTivoraCheckbox box(&backdrop);
    box.Create("Always on top", WindowStyles::WS_VISIBLE | WindowStyles::BS_AUTOCHECKBOX,
               Rect::FromSize(6, 6, 150, 16), &backdrop, 1007);
    const QImage unchecked = AddButtonStates(sheet, "unchecked", backdrop, box).normal;
    box.SetCheck(1);
    const ButtonStates checked = AddButtonStates(sheet, "checked", backdrop, box);
    const QRect tick(9, 8, 12, 12);
    EXPECT_NE(checked.normal.copy(tick), unchecked.copy(tick));
    EXPECT_EQ(checked.pressed, checked.normal);  // a check box never moves when pressed
    ExpectWritten(sheet, "checkbox", 400);
}

// Five small game pictures, 21 x 21 each on the key colour.
QImage SampleStrip() {
    const QColor colors[] = {QColor(200, 30, 30), QColor(30, 120, 200), QColor(40, 160, 60),
                             QColor(150, 60, 170), QColor(230, 190, 20)};
    QImage strip(21 * 5, 21, QImage::Format_RGB32);
    strip.fill(QColor(0, 255, 0));
    QPainter painter(&strip);
    for (int i = 0; i < 5; ++i) {
        painter.setPen(Qt::black);
        painter.setBrush(colors[i]);
        painter.drawEllipse(21 * i + 2, 2, 16, 16);
        painter.setPen(Qt::white);
        painter.drawLine(21 * i + 7, 10, 21 * i + 13, 10);
    }
    return strip;
}

ImageList& SampleIcons() {
    static ImageList icons(21, 21);
    if (icons.Count() == 0) {
        icons.AddMasked(SampleStrip(), kKeyColor);
    }
    return icons;
}

const char* const kGames[] = {"Roulette",      "Blackjack",     "Keno",    "Video Poker",
                              "Baccarat",      "Bingo",         "Slots",   "Craps",
                              "Sic Bo",        "Pai Gow",       "Red Dog", "Let It Ride",
                              "Texas Hold'em", "Scratch Cards", "Wheel"};

std::unique_ptr<CGamesList> FilledList(int rows, int height) {
    auto list = std::make_unique<CGamesList>();
    list->SetImageList(&SampleIcons());
    list->resize(170, height);
    for (int i = 0; i < rows; ++i) {
        list->AddItem(kGames[i % 15], i % 5);
    }
    return list;
}

TEST(Gallery, GamesList) {
    Sheet sheet("CGamesList");
    CGamesList empty;
    empty.resize(170, 120);
    const QImage emptyShot = sheet.Add("empty", Render(empty));
    EXPECT_EQ(emptyShot.pixelColor(0, 60), QColor(Qt::black));               // the frame
    EXPECT_NE(emptyShot.pixelColor(10, 60), emptyShot.pixelColor(160, 60));  // the gradient

    auto shortList = FilledList(4, 120);
    shortList->SetSelectedIndex(1);
    sheet.Add("short, row 1 selected", Render(*shortList));

    auto scrolled = FilledList(15, 200);
    scrolled->SetSelectedIndex(6);
    scrolled->EnsureVisible(9);
    scrolled->ScrollBar().SetScrollPos(scrolled->GetScrollPos(), false);
    sheet.Add("scrolled", Render(*scrolled));

    auto hover = FilledList(15, 200);
    hover->hoverTracking = true;
    hover->show();
    QCursor::setPos(hover->mapToGlobal(QPoint(60, 60)));
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 60), hover->mapToGlobal(QPointF(60, 60)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(hover.get(), &move);
    sheet.Add("hover tracking", Render(*hover));

    const Rect thumb = hover->ScrollBar().ThumbRect();
    hover->ScrollBar().OnMouseMove(QPoint(thumb.left + 5, thumb.top + 5));
    const QImage hotThumb = sheet.Add("hot thumb", Render(*hover));
    const Rect down = hover->ScrollBar().DownArrowRect();
    hover->ScrollBar().OnMouseMove(QPoint(down.left + 5, down.top + 5));
    const QImage hotArrow = sheet.Add("hot down arrow", Render(*hover));
    // Only the thumb under the mouse is brightened, then only the arrow.
    EXPECT_GT(hotThumb.pixelColor(thumb.left + 6, thumb.top + 8).lightness(),
              hotArrow.pixelColor(thumb.left + 6, thumb.top + 8).lightness());
    EXPECT_LT(hotThumb.pixelColor(down.left + 7, down.top + 7).lightness(),
              hotArrow.pixelColor(down.left + 7, down.top + 7).lightness());
    sheet.NewRow();

    // The roll-out, frame by frame.
    ManualTimers timers;
    auto rolling = FilledList(9, 200);
    rolling->hoverTracking = true;
    rolling->rollOutOnNextPaint = true;
    int frame = 0;
    do {
        sheet.Add(QStringLiteral("roll-out %1").arg(frame++), Render(*rolling));
        timers.Advance(RollOut::kStepMs);
    } while (rolling->RollOutAnimation().Running() && frame < 20);
    EXPECT_GE(frame, 9);
    EXPECT_LT(frame, 20);
    sheet.Add("rolled out", Render(*rolling));
    ExpectWritten(sheet, "games-list", 400);
}

TEST(Gallery, ScrollBarThumb) {
    Sheet sheet("CSkinScrollBar thumb by height, normal and hot");
    for (int height : {15, 25, 26, 40, 80}) {
        const QImage thumb = CSkinScrollBar::ComposeThumb(height);
        sheet.Add(QStringLiteral("%1 px").arg(height), thumb);
        const QImage hot = CreateBrightenedBitmap(thumb, CSkinScrollBar::kHotFactor);
        sheet.Add("hot", hot);
        EXPECT_EQ(thumb.size(), QSize(14, height));
        EXPECT_GT(hot.pixelColor(6, height / 2).lightness(),
                  thumb.pixelColor(6, height / 2).lightness());
    }
    ExpectWritten(sheet, "scrollbar-thumb", 200);
}

TEST(Gallery, TabStrip) {
    Sheet sheet("CTivoraTabCtrl");
    for (int selected = 0; selected < 3; ++selected) {
        Backdrop backdrop(QColor(54, 54, 54));
        backdrop.resize(330, 80);
        CTivoraTabCtrl tabs(&backdrop);
        tabs.setGeometry(6, 6, 318, 68);
        tabs.InsertItem(0, "Application");
        tabs.InsertItem(1, "Favorites");
        tabs.InsertItem(2, "My Info");
        tabs.SetCurSel(selected);
        const QImage first = Render(backdrop);
        // A repaint more: the shadow must not grow darker.
        const QImage shot =
            sheet.Add(QStringLiteral("tab %1 selected").arg(selected), Render(backdrop));
        sheet.NewRow();
        EXPECT_EQ(shot, first);
        // The selected tab is the blue one; beyond the last tab its shadow lies on the body.
        const QColor inSelected = shot.pixelColor(6 + 77 * selected + 8, 6 + 8);
        EXPECT_GT(inSelected.blue(), inSelected.red() + 30) << selected;
        EXPECT_LT(shot.pixelColor(6 + 237 + 1, 6 + 8).lightness(),
                  shot.pixelColor(6 + 300, 6 + 8).lightness());
    }
    ExpectWritten(sheet, "tab-strip", 600);
}

// Each kind of skinned control with the keyboard focus: as a click leaves it (no mark), and as
// the keyboard shows it (the dotted mark inside the control, or inside the list's current row).
TEST(Gallery, FocusMarks) {
    Sheet sheet("Keyboard focus: after a click, after a key");
    Backdrop window(kBody);
    window.resize(350, 300);
    CTivoraCustomButton search(&window);
    search.Create(Res::IDB_SEARCH_HOT, Res::IDB_SEARCH, "tip", 8, 8, &window, 1);
    CTivoraButton save(&window);
    save.Create("SAVE", WindowStyles::WS_VISIBLE, Rect::FromSize(80, 8, 69, 23), &window, 2);
    Backdrop strip(QColor(239, 144, 0), &window);
    strip.setGeometry(160, 4, 28, 30);
    CButtonST hide(&strip);
    hide.Create("", WindowStyles::WS_VISIBLE, Rect::FromSize(8, 8, 12, 13), &strip, 3);
    hide.LoadPictures(Res::IDB_HIDE_TO_TRAY, kKeyColor);
    hide.EnableBorder(false);
    hide.UseParentBackground();
    CTivoraCheckbox box(&window);
    box.Create("Always on top", WindowStyles::WS_VISIBLE | WindowStyles::BS_AUTOCHECKBOX,
               Rect::FromSize(8, 44, 150, 16), &window, 4);
    box.SetCheck(1);
    CTivoraTabCtrl tabs(&window);
    tabs.setGeometry(8, 70, 318, 68);
    for (const char* text : {"Application", "Favorites", "My Info"}) {
        tabs.InsertItem(tabs.count(), text);
    }
    tabs.SetCurSel(1);
    auto list = FilledList(15, 120);
    list->setParent(&window);
    list->move(8, 150);
    list->hoverTracking = true;  // the drop-down's list: the keys move its highlight
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    list->setFocus();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(list.get(), &down);
    QCoreApplication::sendEvent(list.get(), &down);

    Rect row;
    list->GetItemRect(1, row, CGamesList::kPartRow);
    const struct {
        const char* name;
        QWidget* control;
        QRect mark;  // where the mark lies, in the control
    } shots[] = {
        {"search", &search, QRect(3, 3, search.width() - 6, search.height() - 6)},
        {"SAVE", &save, QRect(3, 3, save.width() - 6, save.height() - 6)},
        {"hide to tray", &hide, QRect(3, 3, 6, 7)},
        {"check box", &box, QRect(20, 0, box.width() - 20, box.height())},  // the words only
        {"tab", &tabs, tabs.TabRect(1).ToQRect().adjusted(3, 2, -3, -1)},
        {"list row 1", list.get(), row.ToQRect()},
    };
    for (const auto& shot : shots) {
        shot.control->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(shot.control->hasFocus()) << shot.name;
        // Around the control a little of what lies beside it, to show where the mark sits.
        const QRect around(shot.control->mapTo(&window, QPoint(-4, -4)),
                           shot.control->size() + QSize(8, 8));
        FocusCues::SetShown(false);
        const QImage clicked =
            sheet.Add(QStringLiteral("%1, clicked").arg(shot.name), Render(window).copy(around));
        FocusCues::SetShown(true);
        const QImage keyed = sheet.Add("by the keyboard", Render(window).copy(around));
        sheet.NewRow();
        const QRect changed = skin_test::Difference(clicked, keyed);
        EXPECT_FALSE(changed.isNull()) << shot.name << ": no mark";
        EXPECT_TRUE(shot.mark.translated(4, 4).contains(changed))
            << shot.name << ": the mark spills to " << changed.x() << "," << changed.y() << " "
            << changed.width() << "x" << changed.height();
    }
    FocusCues::SetShown(false);
    ExpectWritten(sheet, "focus-marks", 300);
}

TEST(Gallery, Edit) {
    Sheet sheet("CToolbarEdit");
    Backdrop backdrop(QColor(60, 60, 60));
    backdrop.resize(190, 30);
    CToolbarEdit edit(&backdrop);
    edit.Create(WindowStyles::WS_VISIBLE, Rect::FromSize(6, 6, 170, 30), &backdrop, 1017);
    sheet.Add("empty", Render(backdrop));
    edit.setText("John Smith");
    sheet.Add("with text", Render(backdrop));
    edit.setText("a.very.long.address@example.invalid, too long to fit");
    edit.setCursorPosition(0);
    const QImage enabled = sheet.Add("longer than the field", Render(backdrop));
    edit.setEnabled(false);
    const QImage disabled = sheet.Add("disabled", Render(backdrop));
    const QRect text(11, 10, 160, 11);
    EXPECT_LT(Darkest(enabled, text), 40);   // black text
    EXPECT_GE(Darkest(disabled, text), 90);  // grey text
    EXPECT_LT(Darkest(disabled, text), 160);
    edit.setEnabled(true);
    edit.resize(10, 18);
    sheet.Add("10 px: the ends only", Render(backdrop));
    ExpectWritten(sheet, "edit", 300);
}

TEST(Gallery, Statics) {
    Sheet sheet("CTivoraStatic and CSimpleStatic");
    Backdrop backdrop(QColor(67, 67, 67));
    backdrop.resize(200, 46);
    CTivoraStatic header(&backdrop);
    header.setText("Favorite Games");
    header.setGeometry(6, 6, 120, 20);
    CSimpleStatic left(&backdrop);
    left.setText("New Tivora version is available.");
    left.setGeometry(6, 26, 188, 13);
    const QImage leftShot = sheet.Add("header, simple left", Render(backdrop));
    left.alignment = CSimpleStatic::kRight;
    const QImage rightShot = sheet.Add("simple right", Render(backdrop));
    // The header's bar is 13 pixels of gradient; below it the body shows.
    EXPECT_EQ(leftShot.pixelColor(60, 6 + 15), QColor(67, 67, 67));
    EXPECT_LT(leftShot.pixelColor(110, 7).lightness(), 100);
    const QRect simple(6, 26, 188, 13);
    EXPECT_NE(leftShot.copy(simple), rightShot.copy(simple));
    EXPECT_GT(skin_test::CountPixels(rightShot, kNearWhite, QRect(150, 26, 44, 13)), 5);
    EXPECT_EQ(skin_test::CountPixels(leftShot, kNearWhite, QRect(170, 26, 24, 13)), 0);
    ExpectWritten(sheet, "statics", 300);
}

TEST(Gallery, Balloon) {
    Sheet sheet("The balloon tooltip");
    Backdrop owner(kBody);
    owner.resize(60, 20);
    BalloonTip::ShowBalloon(&owner, QPoint(200, 200), "Click this button to play the game");
    ASSERT_NE(BalloonTip::Shown(), nullptr);
    const QImage shortTip = sheet.Add("short", Render(*BalloonTip::Shown()));
    BalloonTip::ShowBalloon(&owner, QPoint(200, 200),
                            "To update Tivora please click the \"Get Update\" button and follow "
                            "the instructions. A long text wraps at 400 pixels.");
    const QImage longTip = sheet.Add("long", Render(*BalloonTip::Shown()));
    EXPECT_GT(longTip.height(), shortTip.height());  // it wraps
    EXPECT_LE(longTip.width(), 420);
    BalloonTip::HideBalloon();
    ExpectWritten(sheet, "balloon", 300);
}

class AboutLike : public CTivoraDialog {
public:
    AboutLike() {
        drawPanelFrame = true;
        setWindowTitle("About");
        Build(DialogTemplate{1047,
                             "About",
                             192,
                             101,
                             {
                                 {"STATIC", "", 1029, 10, 7, 20, 20},
                                 {"STATIC", "Tivora", 1028, 38, 12, 42, 15},
                                 {"STATIC", "Version: 1.0.10.7", 1022, 82, 5, 100, 8},
                                 {"STATIC", "A game bar for your desktop.", 1031, 10, 39, 136, 8},
                                 {"STATIC", "Made with Qt.", 1032, 10, 51, 119, 8},
                                 {"BUTTON", "CLOSE", Res::IDOK, 71, 85, 50, 14},
                             }},
              {{1028, MakerFor<CSimpleStatic>()},
               {1022, MakerFor<CSimpleStatic>()},
               {1031, MakerFor<CSimpleStatic>()},
               {1032, MakerFor<CSimpleStatic>()},
               {Res::IDOK, MakerFor<CTivoraButton>()}});
        static_cast<CSimpleStatic*>(GetDlgItem(1022))->alignment = CSimpleStatic::kRight;
        GetDlgItem(1028)->setFont(Fonts::Make("Tahoma", 15, 700));
        auto* icon = qobject_cast<QLabel*>(GetDlgItem(1029));
        icon->setPixmap(LoadIcon(Res::IDI_ABOUT).pixmap(32, 32));
    }
};

class SettingsLike : public CTivoraDialog {
public:
    SettingsLike() {
        using namespace WindowStyles;
        Build(DialogTemplate{1033,
                             "Tivora Settings",
                             220,
                             139,
                             {
                                 {"BUTTON", "SAVE", 1, 62, 123, 44, 13, BS_DEFPUSHBUTTON},
                                 {"BUTTON", "CANCEL", 2, 113, 123, 44, 13},
                                 {"TABS", "", 1009, 4, 3, 212, 117},
                             }},
              {{1, MakerFor<CTivoraButton>()},
               {2, MakerFor<CTivoraButton>()},
               {1009, MakerFor<CTivoraTabCtrl>()}});
        auto* tabs = static_cast<CTivoraTabCtrl*>(GetDlgItem(1009));
        tabs->InsertItem(0, "Application");
        tabs->InsertItem(1, "Favorites");
        tabs->InsertItem(2, "My Info");
        tabs->SetCurSel(1);
        // A page like the favourites page: a gradient ground, headers, two lists, buttons.
        page = new Page(tabs);
        page->setGeometry(tabs->GetPageRect().ToQRect());
        auto* header = new CTivoraStatic(page);
        header->setText("Available Games");
        header->setGeometry(3, 4, 91, 17);
        auto* all = new CGamesList(page);
        all->SetImageList(&SampleIcons());
        all->setGeometry(3, 17, 117, 149);
        for (const char* game : kGames) {
            all->AddItem(game, static_cast<int>(std::strlen(game)) % 5);
        }
        all->SetSelectedIndex(2);
        auto* favHeader = new CTivoraStatic(page);
        favHeader->setText("Favorite Games");
        favHeader->setGeometry(195, 4, 87, 17);
        auto* favorites = new CGamesList(page);
        favorites->SetImageList(&SampleIcons());
        favorites->setGeometry(195, 17, 117, 149);
        favorites->AddItem("Blackjack", 1);
        favorites->AddItem("Roulette", 0);
        favorites->SetSelectedIndex(0);
        auto* add = new CTivoraCustomButton(page);
        add->Create(Res::IDB_ADD_HOT, Res::IDB_ADD, "", 123, 61, page, 1006);
        add->resize(69, 22);
        auto* remove = new CTivoraCustomButton(page);
        remove->Create(Res::IDB_REMOVE_HOT, Res::IDB_REMOVE, "", 123, 87, page, 1007);
        remove->resize(69, 22);
    }

    class Page : public QWidget {
    public:
        using QWidget::QWidget;

    protected:
        void paintEvent(QPaintEvent*) override {
            QPainter painter(this);
            FillGradient(painter, Rect::FromSize(0, 0, width(), height()), QColor(67, 67, 67),
                         QColor(91, 91, 91), GradientDirection::Vertical);
        }
    };
    Page* page = nullptr;
};

TEST(Gallery, SkinnedDialogs) {
    Sheet sheet("CTivoraDialog with its title bar, statics, buttons, tabs and lists");
    SettingsLike settings;
    const QImage settingsShot = sheet.Add("settings (no panel frame)", Render(settings));
    sheet.NewRow();
    AboutLike about;
    const QImage aboutShot = sheet.Add("about (panel frame)", Render(about));
    // SAVE at 123 dialog units lands at 200 pixels, below the 18-pixel title bar.
    EXPECT_EQ(settings.GetDlgItem(1)->pos(), QPoint(93, 218));
    EXPECT_EQ(settingsShot.pixelColor(150, 5), CDialogTitleBar::kBackground);
    // The about dialog's groove, and its bold product name in white.
    EXPECT_EQ(aboutShot.pixelColor(100, 24), QColor(Qt::white));
    EXPECT_GT(skin_test::CountPixels(aboutShot, kNearWhite, about.GetDlgItem(1028)->geometry()),
              40);
    ExpectWritten(sheet, "dialogs", 600);
}

// The dialogs on a screen of twice the density: drawn at device pixel ratio 2, shown one
// device pixel to one sheet pixel.
TEST(Gallery, TwiceTheDensity) {
    Sheet sheet("The dialogs at device pixel ratio 2", 1);
    SettingsLike settings;
    const QImage once = Render(settings);
    const QImage twice = sheet.Add("settings", skin_test::RenderAt(settings, 2.0));
    sheet.NewRow();
    AboutLike about;
    sheet.Add("about", skin_test::RenderAt(about, 2.0));
    ASSERT_EQ(twice.size(), once.size() * 2);
    // Flat areas keep their colours on all four device pixels: the title bar, the body, and
    // the tab shadow on the body right of the last tab (the strip starts at 6, 23).
    for (const QPoint& at : {QPoint(150, 5), QPoint(150, 18), QPoint(6 + 237 + 2, 23 + 8)}) {
        for (const QPoint& device : {at * 2, at * 2 + QPoint(1, 1)}) {
            EXPECT_EQ(twice.pixelColor(device), once.pixelColor(at)) << at.x() << "," << at.y();
        }
    }
    // The caption is drawn at the full density, not enlarged: some 2 x 2 blocks of it are
    // not one colour.
    int mixed = 0;
    for (int y = 2; y < 30; y += 2) {
        for (int x = 34; x < 200; x += 2) {
            const QRgb corner = twice.pixel(x, y);
            mixed += twice.pixel(x + 1, y) != corner || twice.pixel(x, y + 1) != corner ||
                     twice.pixel(x + 1, y + 1) != corner;
        }
    }
    EXPECT_GT(mixed, 10);
    ExpectWritten(sheet, "dialogs-2x", 600);
}

// The pictures drawn at twice the density on a sheet of their own, one device pixel to one
// sheet pixel: as large as the plain ones on theirs, where each pixel is shown twice as large.
TEST(Gallery, Artwork) {
    Sheet sheet("Every bitmap and icon (green is transparent)");
    Sheet twice("Every bitmap and icon drawn at twice the density", 1);
    for (const Artwork::Piece& piece : Artwork::DrawAll()) {
        const QString file = QString::fromStdString(piece.file);
        const bool doubled = file.contains("@2x");
        if (file.startsWith("icons/") && !file.contains("-32") && !file.contains("-16")) {
            continue;
        }
        QImage shown(piece.image.size(), QImage::Format_RGB32);
        shown.fill(kDesk);
        QPainter painter(&shown);
        painter.drawImage(QRect(QPoint(), shown.size()), piece.image);
        painter.end();
        (doubled ? twice : sheet).Add(file.section('/', 1).section('.', 0, 0), shown);
    }
    ExpectWritten(sheet, "artwork", 600);
    ExpectWritten(twice, "artwork@2x", 600);
}

}  // namespace
