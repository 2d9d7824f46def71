// The tab strip and the edit field skins.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <cmath>

#include "ResourceIds.h"
#include "support/SkinTestSupport.h"
#include "ui/controls/CButtonST.h"
#include "ui/controls/CTivoraTabCtrl.h"
#include "ui/controls/CToolbarEdit.h"
#include "ui/controls/CaretBlinkLimit.h"
#include "ui/controls/WindowStyles.h"

namespace {

using skin_test::Backdrop;
using skin_test::Render;

const QColor kBlue(0, 0, 255);

QColor Darker(const QColor& color, int column, int row) {
    static constexpr double kRaise[] = {0.20, 0.15, 0.10, 0.05};
    double factor = 0.55 + 0.05625 * column + (row < 4 ? kRaise[row] : 0.0);
    factor = std::min(factor, 1.0);
    return QColor(static_cast<int>(color.red() * factor), static_cast<int>(color.green() * factor),
                  static_cast<int>(color.blue() * factor));
}

struct TabStrip {
    TabStrip() {
        backdrop.resize(340, 200);
        tabs.setGeometry(0, 0, 318, 190);
        tabs.InsertItem(0, "Application");
        tabs.InsertItem(1, "Favorites");
        tabs.InsertItem(2, "My Info");
    }
    Backdrop backdrop{kBlue};
    CTivoraTabCtrl tabs{&backdrop};
};

TEST(CTivoraTabCtrl, TabsAreDrawnLastToFirstWithTheSelectedOneOnTop) {
    TabStrip strip;
    strip.tabs.SetCurSel(1);
    EXPECT_EQ(strip.tabs.DrawOrder(), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(strip.tabs.TabRect(2), (Rect{154, 0, 237, 17}));
    const QImage image = Render(strip.backdrop);
    const QImage bitmap = LoadBitmap(Res::IDB_TABS);
    // Where tab 1 overlaps its neighbours, tab 1 (blue) shows.
    EXPECT_EQ(image.pixelColor(80, 12), bitmap.pixelColor(83 + 3, 12));
    EXPECT_EQ(image.pixelColor(157, 12), bitmap.pixelColor(83 + 80, 12));
    // Tab 1's shadow darkens the left part of tab 2.
    EXPECT_EQ(image.pixelColor(163, 10), Darker(bitmap.pixelColor(9, 10), 5, 9));
    EXPECT_EQ(image.pixelColor(158, 2), Darker(bitmap.pixelColor(4, 2), 0, 1));
    // Tab 2 beyond the shadow is the plain grey picture.
    EXPECT_EQ(image.pixelColor(166, 10), bitmap.pixelColor(12, 10));
}

TEST(CTivoraTabCtrl, PaintsTheBodyFrameUnderTheTabs) {
    TabStrip strip;
    const QImage image = Render(strip.backdrop);
    EXPECT_EQ(image.pixelColor(250, 17), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(150, 189), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(0, 17), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(317, 189), QColor(Qt::black));
    EXPECT_GT(image.pixelColor(0, 60).lightness(), image.pixelColor(0, 150).lightness());
    EXPECT_EQ(image.pixelColor(150, 100), kBlue);  // the page area is left to the pages
    EXPECT_EQ(strip.tabs.GetPageRect(), (Rect{1, 18, 317, 189}));
}

TEST(CTivoraTabCtrl, TheShadowBeyondTheLastTabStaysAsDarkAfterManyRepaints) {
    TabStrip strip;
    strip.backdrop.show();
    const QPoint spot(239, 8);  // column 4 of the last tab's shadow, on the background
    const QColor once = Darker(kBlue, 4, 7);
    EXPECT_EQ(Render(strip.backdrop).pixelColor(spot), once);
    for (int i = 0; i < 20; ++i) {
        strip.tabs.repaint();
    }
    EXPECT_EQ(strip.backdrop.grab().toImage().pixelColor(spot), once);
    EXPECT_EQ(Render(strip.backdrop).pixelColor(spot), once);

    // A background that still shows the last shadow is not darkened a second time.
    QPalette colors = strip.backdrop.palette();
    colors.setColor(QPalette::Window, once);
    strip.backdrop.setPalette(colors);
    EXPECT_EQ(Render(strip.backdrop).pixelColor(spot), once);
    // Anything else below gets its shadow.
    colors.setColor(QPalette::Window, QColor(200, 100, 0));
    strip.backdrop.setPalette(colors);
    EXPECT_EQ(Render(strip.backdrop).pixelColor(spot), Darker(QColor(200, 100, 0), 4, 7));
}

TEST(CTivoraTabCtrl, IsDrawnAtTheDeviceDensityWithAnExactShadow) {
    // Beyond the last tab (right edge 237) the shadow's columns 2 to 7 lie on the background;
    // each device pixel there is the background darkened once by its logical pixel's factor,
    // also where a logical pixel covers one device pixel here and two there (ratio 1.5).
    for (qreal ratio : {1.0, 1.5, 2.0}) {
        TabStrip strip;
        skin_test::RenderAt(strip.backdrop, ratio);  // a repaint more must change nothing
        const QImage image = skin_test::RenderAt(strip.backdrop, ratio);
        if (ratio == 2.0) {
            // The labels are drawn at the full density, not enlarged from one pixel per
            // logical pixel: some 2 x 2 blocks of them are not one colour.
            int mixed = 0;
            for (int y = 0; y < 34; y += 2) {
                for (int x = 0; x < 474; x += 2) {
                    const QRgb corner = image.pixel(x, y);
                    mixed += image.pixel(x + 1, y) != corner || image.pixel(x, y + 1) != corner ||
                             image.pixel(x + 1, y + 1) != corner;
                }
            }
            EXPECT_GT(mixed, 20);
        }
        int wrong = 0;
        for (int dy = 0; dy < static_cast<int>(17 * ratio); ++dy) {
            for (int dx = static_cast<int>(std::ceil(237 * ratio));
                 dx < static_cast<int>(std::ceil(243 * ratio)); ++dx) {
                const int column = static_cast<int>(dx / ratio) - 235;
                const int row = static_cast<int>(dy / ratio) - 1;
                const QColor expected = row < 0 ? kBlue : Darker(kBlue, column, row);
                wrong += image.pixelColor(dx, dy) != expected;
            }
        }
        EXPECT_EQ(wrong, 0) << "ratio " << ratio;
    }
}

class CommandRecorder : public TemplateDialog {
public:
    std::vector<int> commands;
    void OnCommand(int id) override { commands.push_back(id); }
};

TEST(CTivoraTabCtrl, ClicksPickTabsAndPageCommandsGoOnToTheOwner) {
    CommandRecorder dialog;
    dialog.resize(340, 220);
    CTivoraTabCtrl tabs(&dialog);
    tabs.setGeometry(0, 0, 318, 190);
    tabs.InsertItem(0, "Application");
    tabs.InsertItem(1, "Favorites");
    tabs.InsertItem(2, QString(120, QLatin1Char('x')));
    EXPECT_EQ(tabs.GetItemText(2).size(), CTivoraTabCtrl::kMaxTextLength);
    QSignalSpy picked(&tabs, &CTivoraTabCtrl::selectionChanged);
    dialog.show();

    EXPECT_EQ(tabs.SetCurSel(2), 0);
    EXPECT_EQ(picked.count(), 0);  // selecting from code tells nobody
    tabs.SetCurSel(0);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, QPoint(80, 8));  // tab 0 lies on top there
    EXPECT_EQ(picked.count(), 0);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, QPoint(100, 8));
    EXPECT_EQ(tabs.GetCurSel(), 1);
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked.at(0).at(0).toInt(), 1);

    // A control on a page inside the tab control reports to the dialog.
    QWidget page(&tabs);
    page.setGeometry(tabs.GetPageRect().ToQRect());
    CButtonST button;
    button.Create("Go", WindowStyles::WS_VISIBLE, Rect{5, 5, 60, 25}, &page, 1234);
    page.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(dialog.commands, (std::vector<int>{1234}));
}

// --- The edit -----------------------------------------------------------------------------

class EditDialog : public TemplateDialog {
public:
    EditDialog() {
        using namespace WindowStyles;
        Build(DialogTemplate{1034,
                             "My Info",
                             140,
                             60,
                             {{"EDIT", "", 1017, 7, 14, 121, 14, ES_AUTOHSCROLL | WS_TABSTOP}}},
              {{1017, MakerFor<CToolbarEdit>()}});
    }
};

TEST(CToolbarEdit, ATemplateEditOf14UnitsBecomes18PixelsHigh) {
    EditDialog dialog;
    auto* edit = qobject_cast<CToolbarEdit*>(dialog.GetDlgItem(1017));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->geometry(), QRect(11, 23, 181, 18));
    EXPECT_EQ(edit->TextRect(), (Rect{5, 4, 176, 15}));

    CToolbarEdit made;
    made.Create(WindowStyles::WS_CHILD, Rect{115, 3, 280, 40}, &dialog, 220);
    EXPECT_EQ(made.geometry(), QRect(115, 3, 165, 18));
    EXPECT_EQ(GetDlgCtrlID(&made), 220);
}

TEST(CToolbarEdit, TheTextStartsFivePixelsInAndFourDown) {
    Backdrop backdrop(kBlue);
    backdrop.resize(200, 30);
    CToolbarEdit edit(&backdrop);
    edit.setGeometry(0, 0, 150, 18);
    const QImage empty = Render(backdrop);
    edit.setText("HIJK");
    const QImage written = Render(backdrop);
    int left = 1000;
    int top = 1000;
    int bottom = -1;
    for (int y = 0; y < 18; ++y) {
        for (int x = 0; x < 150; ++x) {
            if (empty.pixel(x, y) != written.pixel(x, y)) {
                left = std::min(left, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_GE(bottom, 0) << "no text drawn";
    EXPECT_GE(left, 5);
    EXPECT_LE(left, 6);
    EXPECT_GE(top, 4);
    EXPECT_LE(top, 6);
    EXPECT_LT(bottom, 15);  // above the bottom piece
    EXPECT_EQ(empty.pixelColor(20, 8), QColor(Qt::white));
}

TEST(CToolbarEdit, ADisabledEditGreysItsText) {
    Backdrop backdrop(kBlue);
    backdrop.resize(200, 30);
    CToolbarEdit edit(&backdrop);
    edit.setGeometry(0, 0, 150, 18);
    edit.setText("HIJK");
    auto darkest = [&] {
        const QImage image = Render(backdrop);
        int level = 255;
        for (int y = 4; y < 15; ++y) {
            for (int x = 5; x < 145; ++x) {
                level = std::min(level, qGray(image.pixel(x, y)));
            }
        }
        return level;
    };
    EXPECT_LT(darkest(), 40);  // black while enabled
    edit.setEnabled(false);
    const int grey = darkest();
    EXPECT_GE(grey, 90);
    EXPECT_LT(grey, 160);  // still drawn, in grey
}

TEST(CToolbarEdit, TheBorderIsMadeOfItsPieces) {
    Backdrop backdrop(kBlue);
    backdrop.resize(200, 30);
    CToolbarEdit edit(&backdrop);
    edit.setGeometry(0, 0, 40, 18);
    const QImage image = Render(backdrop);
    const QImage left = LoadBitmap(Res::IDB_EDIT_LEFT);
    const QImage right = LoadBitmap(Res::IDB_EDIT_RIGHT);
    const QImage top = LoadBitmap(Res::IDB_EDIT_TOP);
    const QImage bottom = LoadBitmap(Res::IDB_EDIT_BOTTOM);
    EXPECT_EQ(image.pixelColor(0, 0), kBlue);  // the rounded corner lets the parent through
    EXPECT_EQ(image.pixelColor(0, 9), left.pixelColor(0, 9));
    EXPECT_EQ(image.pixelColor(36, 9), right.pixelColor(1, 9));
    for (int x = 5; x < 35; x += 7) {
        for (int y = 0; y < 4; ++y) {
            EXPECT_EQ(image.pixelColor(x, y), top.pixelColor(0, y));
        }
        for (int y = 0; y < 3; ++y) {
            EXPECT_EQ(image.pixelColor(x, 15 + y), bottom.pixelColor(0, y));
        }
    }

    // Ten pixels wide or less: the two ends only.
    edit.setGeometry(0, 0, 10, 18);
    const QImage narrow = Render(backdrop);
    EXPECT_EQ(narrow.pixelColor(4, 0), left.pixelColor(4, 0));
    EXPECT_EQ(narrow.pixelColor(5, 9), right.pixelColor(0, 9));
    edit.setGeometry(0, 0, 11, 18);
    EXPECT_EQ(Render(backdrop).pixelColor(5, 0), top.pixelColor(0, 0));
}

}  // namespace

// An idle program must not wake twice a second for a blinking caret: the blink stops after the
// idle time and comes back with the next key or click, and the period is given back at the end.
TEST(CaretBlinkLimit, TheBlinkStopsWhenIdleAndComesBackWithInput) {
    skin_test::ManualTimers timers;
    QStyleHints* hints = QGuiApplication::styleHints();
    hints->setCursorFlashTime(1000);
    CToolbarEdit edit;
    {
        CaretBlinkLimit limit;
        // Before any input no caret blinks, and no timer is kept to wake an idle program.
        timers.Advance(CaretBlinkLimit::kIdleMs);
        EXPECT_EQ(timers.Running(), 0);
        EXPECT_EQ(hints->cursorFlashTime(), 1000);
        struct Step {
            int idleMs;
            QEvent::Type input;  // QEvent::None: no input after the wait
            int flashTime;
        };
        for (const Step& step :
             {Step{0, QEvent::KeyPress, 1000},
              Step{CaretBlinkLimit::kIdleMs - 1, QEvent::None, 1000}, Step{1, QEvent::None, 0},
              Step{0, QEvent::KeyPress, 1000}, Step{CaretBlinkLimit::kIdleMs, QEvent::None, 0},
              Step{0, QEvent::MouseButtonPress, 1000}}) {
            timers.Advance(step.idleMs);
            if (step.input == QEvent::KeyPress) {
                QTest::keyClick(&edit, Qt::Key_A);
            } else if (step.input == QEvent::MouseButtonPress) {
                QTest::mousePress(&edit, Qt::LeftButton);
            }
            EXPECT_EQ(hints->cursorFlashTime(), step.flashTime) << timers.Now();
        }
        timers.Advance(CaretBlinkLimit::kIdleMs);
        ASSERT_TRUE(limit.Stopped());
        EXPECT_EQ(timers.Running(), 0);
    }
    EXPECT_EQ(hints->cursorFlashTime(), 1000);
}
