// The skin gallery: renders every control in each of its states offscreen and writes one
// PNG per control into <build>/gallery/, so that the skin can be looked at without running
// the program. Each test is one sheet; it checks a few facts of what it shows and that the
// sheet written shows each picture.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QEnterEvent>
#include <QPainter>
#include <QTest>
#include <deque>

#include "Artwork.h"
#include "ResourceIds.h"
#include "StoresFixture.h"
#include "config/Settings.h"
#include "platform/desktop/Fonts.h"
#include "services/RegistrationJobs.h"
#include "support/ModalRecorder.h"
#include "support/SkinTestSupport.h"
#include "support/TestEnvironment.h"
#include "ui/controls/BalloonTip.h"
#include "ui/controls/CGamesList.h"
#include "ui/controls/CTivoraDialog.h"
#include "ui/controls/CTivoraTabCtrl.h"
#include "ui/controls/CToolbarEdit.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/controls/TivoraStatics.h"
#include "ui/controls/WindowStyles.h"
#include "ui/dialogs/CAboutDialog.h"
#include "ui/dialogs/CAppSettingsDialog.h"
#include "ui/dialogs/CUpdateInformation.h"
#include "ui/toolbar/CAllGamesButton.h"
#include "ui/toolbar/CControlButton.h"
#include "ui/toolbar/CMainWnd.h"
#include "ui/toolbar/ControlButtonsPanel.h"
#include "ui/toolbar/SearchPanel.h"

namespace {

using skin_test::Backdrop;
using skin_test::ManualTimers;
using skin_test::Render;

const QColor kDesk(58, 84, 110);     // behind everything: shows what is transparent
const QColor kBody(70, 70, 70);      // a dialog's body
const QColor kSheet(236, 236, 236);  // the sheet's paper

// A sheet of labelled pictures, each shown scale times as large as it is (pictures rendered at
// a device pixel ratio are shown one device pixel to one sheet pixel).
class Sheet {
public:
    explicit Sheet(QString title, int scale = 2) : title_(std::move(title)), scale_(scale) {}

    const QImage& Add(const QString& label, const QImage& image) {
        QImage plain = image;
        plain.setDevicePixelRatio(1.0);
        cells_.push_back({label, plain});
        return cells_.back().image;
    }
    void NewRow() { cells_.push_back({QString(), QImage()}); }

    struct Shown {
        QPoint at;  // where the picture's top-left lies on the sheet
        QImage image;
    };

    // Writes the sheet; returns its path, or an empty string when it could not be written.
    // shown receives where each picture went.
    QString Save(const QString& name, std::vector<Shown>* shown = nullptr) const {
        const int kScale = scale_;
        constexpr int kGap = 12;
        constexpr int kLabel = 16;
        constexpr int kMaxWidth = 1000;
        const QFont font = Fonts::Make("Tahoma", 13);
        // Lay out in rows.
        struct Placed {
            QPoint at;
            const Cell* cell;
        };
        std::vector<Placed> placed;
        int x = kGap;
        int y = kGap + 24;
        int rowHeight = 0;
        int width = 0;
        for (const Cell& cell : cells_) {
            if (cell.image.isNull()) {
                x = kGap;
                y += rowHeight + kGap;
                rowHeight = 0;
                continue;
            }
            const QSize size = cell.image.size() * kScale;
            const int cellWidth = std::max(size.width(), 90);
            if (x > kGap && x + cellWidth > kMaxWidth) {
                x = kGap;
                y += rowHeight + kGap;
                rowHeight = 0;
            }
            placed.push_back({QPoint(x, y), &cell});
            x += cellWidth + kGap;
            width = std::max(width, x);
            rowHeight = std::max(rowHeight, size.height() + kLabel);
        }
        QImage sheet(std::max(width, 300), y + rowHeight + kGap, QImage::Format_RGB32);
        sheet.fill(kSheet);
        QPainter painter(&sheet);
        painter.setFont(Fonts::Make("Tahoma", 16, 700));
        painter.setPen(Qt::black);
        painter.drawText(kGap, kGap + 14, title_);
        painter.setFont(font);
        for (const Placed& p : placed) {
            painter.setPen(QColor(40, 40, 40));
            painter.drawText(p.at.x(), p.at.y() + 11, p.cell->label);
            const QImage big = p.cell->image.scaled(p.cell->image.size() * kScale,
                                                    Qt::IgnoreAspectRatio, Qt::FastTransformation);
            painter.drawImage(p.at.x(), p.at.y() + kLabel, big);
            if (shown != nullptr) {
                shown->push_back({QPoint(p.at.x(), p.at.y() + kLabel), big});
            }
        }
        painter.end();
        const QString folder = QStringLiteral(TIVORA_BINARY_DIR "/gallery");
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        return sheet.save(path, "PNG") ? path : QString();
    }

private:
    struct Cell {
        QString label;
        QImage image;
    };
    QString title_;
    int scale_;
    std::deque<Cell> cells_;  // Add hands out references that must stay valid
};

// Saves the sheet and reads it back: it must show every picture where it was placed.
void ExpectWritten(const Sheet& sheet, const QString& name, int minimumWidth) {
    std::vector<Sheet::Shown> shown;
    const QString path = sheet.Save(name, &shown);
    ASSERT_FALSE(path.isEmpty());
    const QImage written(path);
    ASSERT_FALSE(written.isNull());
    EXPECT_GE(written.width(), minimumWidth);
    ASSERT_FALSE(shown.empty());
    for (const Sheet::Shown& picture : shown) {
        const QImage placed = written.copy(QRect(picture.at, picture.image.size()));
        EXPECT_EQ(placed.convertToFormat(QImage::Format_RGB32),
                  picture.image.convertToFormat(QImage::Format_RGB32))
            << name.toStdString() << " at " << picture.at.x() << "," << picture.at.y();
    }
}

// The darkest grey level inside rect.
int Darkest(const QImage& image, const QRect& rect) {
    int darkest = 255;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
        }
    }
    return darkest;
}

const auto kNearWhite = [](const QColor& c) { return c.lightness() > 240; };

void Hover(QWidget& widget) {
    const QPointF at(3, 3);
    QEnterEvent enter(at, at, widget.mapToGlobal(at));
    QCoreApplication::sendEvent(&widget, &enter);
}

void Unhover(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &leave);
}

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
    left.setText("New Tivora version is avaliable.");
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
        header->setText("Avaliable Games");
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

// The bar as the toolbar will assemble it from these pieces, to judge the look as a whole.
}  // namespace

// The program's dialogs as they open, over the sample catalogue and stores under the test's
// home.
struct GalleryStores : ui_testing::Stores {
    GalleryStores() {
        games.LoadGamesConfig(TIVORA_BINARY_DIR "/tivora.cfg");
        registration.SetUserInfo("Ann Smith", "ann.smith@example.com");
    }
};

TEST(Gallery, ProgramDialogs) {
    GalleryStores stores;
    Sheet sheet("The program's dialogs: About, Update Information and the three settings pages");
    CAboutDialog about;
    const QImage& aboutShot = sheet.Add("About (192 x 101 units)", Render(about));
    // The icon stands on its dark ground.
    EXPECT_GT(
        skin_test::CountPixels(aboutShot, [](const QColor& c) { return c == QColor(61, 61, 61); }),
        100);
    stores.update.SetUpdateManifest(
        {"1.0.11.0", "42", "Faster start", "http://127.0.0.1/get", "2008-03-01"});
    CUpdateInformation update(stores.update);
    sheet.Add("Update Information (192 x 101 units)", Render(update));
    sheet.NewRow();
    CAppSettingsDialog settings(stores.Parts());
    const char* names[] = {"settings: Application", "settings: Favorites", "settings: My Info"};
    std::vector<QImage> pages;
    for (int page = 0; page < CAppSettingsDialog::kPageCount; ++page) {
        testing_support::ModalRecorder modal;
        modal.onShown = [&](QDialog&) {
            pages.push_back(sheet.Add(names[page], Render(settings)));
        };
        settings.SetActivePage(page);
        settings.DoModal();
    }
    // Each page shows itself, not the one before it.
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_NE(pages[0], pages[1]);
    EXPECT_NE(pages[1], pages[2]);
    ExpectWritten(sheet, "program-dialogs", 600);
}

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

    stores.window.sizeMode = WindowSection::kMiniSize;
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

    QTest::mouseClick(&button, Qt::LeftButton);
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
    CMainWnd bar(CMainWnd::Parts{stores.games, stores.window, stores.update,
                                 std::make_unique<CAppSettingsDialog>(stores.Parts()), nullptr});
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
