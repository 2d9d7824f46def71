// The tray icon where the desktop has no tray (the offscreen platform never has one): the
// text cuts, the menu and its commands, the animation on manual timers, the tray's place and
// hiding the bar towards it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>
#include <string>
#include <vector>

#include "ResourceIds.h"
#include "platform/desktop/TrayHost.h"
#include "support/BarFixtures.h"
#include "support/SkinTestSupport.h"
#include "support/TestEnvironment.h"
#include "ui/controls/DialogTemplate.h"
#include "ui/toolbar/CSystemTray.h"

namespace {

using testing_support::WaitFor;

using bar_testing::RecordingTarget;

// A session bus address where nothing listens, so that no tray of the machine running the
// tests can turn up.
class NoTrayTest : public ::testing::Test {
protected:
    QTemporaryDir dir_;
    testing_support::ScopedEnv bus_{"DBUS_SESSION_BUS_ADDRESS",
                                    ("unix:path=" + dir_.path() + "/no-bus").toStdString()};
};

std::vector<QWidget*> FlyingRects() {
    std::vector<QWidget*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "TrayFlyingRect") {
            found.push_back(widget);
        }
    }
    return found;
}

TEST(CutUtf8Test, CutsOnACharacterBoundary) {
    const std::string euro = "\xE2\x82\xAC";      // three bytes
    const std::string clef = "\xF0\x9D\x84\x9E";  // four bytes
    struct Case {
        std::string text;
        int maxBytes;
        std::string expected;
    };
    const Case cases[] = {
        {"", 63, ""},
        {std::string(70, 't'), 63, std::string(63, 't')},
        {std::string(63, 't'), 63, std::string(63, 't')},
        {"ab" + euro, 4, "ab"},  // the euro straddles the cut: dropped whole
        {"ab" + euro, 5, "ab" + euro},
        {"a" + clef + "b", 4, "a"},
        {"a" + clef + "b", 5, "a" + clef},
        {"abc", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " / " + std::to_string(c.maxBytes));
        EXPECT_EQ(CSystemTray::CutUtf8(c.text, c.maxBytes), c.expected);
    }
}

TEST_F(NoTrayTest, WithoutATrayNothingIsShownButTheMenuIsReady) {
    CSystemTray tray;
    RecordingTarget target;
    tray.SetCommandTarget(&target);
    EXPECT_FALSE(tray.CreateTrayIcon("Tivora", 32512, Res::IDR_TRAY_MENU, false, "", "", 0, 10));
    EXPECT_FALSE(tray.IsAvailable());
    EXPECT_EQ(tray.Icon(), nullptr);
    EXPECT_EQ(tray.CurrentIconResource(), 32512);
    EXPECT_FALSE(tray.ShowTrayBalloon("text", "title", CSystemTray::NIIF_INFO, 10));

    // The ten entries in order, the first one bold; each command reaches the target only
    // once the event loop runs again.
    const QStringList texts = {
        "Show/Hide Tivora", "", "Settings...", "Favorites...", "My Info...", "", "Check Updates",
        "About...",         "", "Exit"};
    const std::vector<int> ids = {32771, 32776, 32774, 32775, 32781, 32782, 32779};
    const QList<QAction*> actions = tray.Menu()->actions();
    ASSERT_EQ(actions.size(), texts.size());
    for (int i = 0; i < actions.size(); ++i) {
        EXPECT_EQ(actions[i]->isSeparator(), texts[i].isEmpty()) << i;
        EXPECT_EQ(actions[i]->text(), texts[i]);
        EXPECT_EQ(actions[i]->font().bold(), i == 0) << i;
        if (!actions[i]->isSeparator()) {
            actions[i]->trigger();
        }
    }
    EXPECT_TRUE(target.commands.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(target.commands, ids);
}

TEST_F(NoTrayTest, AnimationAlternatesFramesAndPutsTheIconBack) {
    skin_test::ManualTimers timers;
    CSystemTray tray;
    tray.CreateTrayIcon("Tivora", 32512, Res::IDR_TRAY_MENU, false, "", "", 0, 10);
    EXPECT_FALSE(tray.StartIconAnimation(400, -1));  // no frames yet
    EXPECT_FALSE(tray.LoadAnimationIcons(1046, 1045));
    ASSERT_TRUE(tray.LoadAnimationIcons(1045, 1046));

    ASSERT_TRUE(tray.StartIconAnimation(400, -1));
    EXPECT_EQ(tray.CurrentIconResource(), 32512);
    for (int frame : {1046, 1045, 1046, 1045}) {
        timers.Advance(400);
        EXPECT_EQ(tray.CurrentIconResource(), frame);
    }
    timers.Advance(3600 * 1000);  // -1: no end
    EXPECT_TRUE(tray.IsAnimating());
    tray.StopIconAnimation();
    EXPECT_FALSE(tray.IsAnimating());
    EXPECT_EQ(timers.Running(), 0);
    EXPECT_EQ(tray.CurrentIconResource(), 32512);

    // Two seconds: the elapsed time rounded to whole seconds must pass 2, which it does at
    // the seventh tick (2.8 s).
    ASSERT_TRUE(tray.StartIconAnimation(400, 2));
    timers.Advance(2400);
    EXPECT_TRUE(tray.IsAnimating());
    timers.Advance(400);
    EXPECT_FALSE(tray.IsAnimating());
    EXPECT_EQ(tray.CurrentIconResource(), 32512);
}

TEST_F(NoTrayTest, TrayPlaceIsUnknownWithoutAnIcon) {
    CSystemTray tray;
    EXPECT_EQ(tray.FindTrayRect(), std::nullopt);
}

TEST_F(NoTrayTest, HidingAndRestoringFlyOnlyWithEffectsOrWhenForcedToAKnownPlace) {
    const std::optional<Rect> known = Rect{900, 740, 922, 762};
    struct Case {
        bool effects;
        bool forced;
        std::optional<Rect> place;
        bool flies;
    };
    for (const Case c : {Case{false, false, known, false}, Case{false, true, known, true},
                         Case{true, false, known, true}, Case{true, true, std::nullopt, false}}) {
        SCOPED_TRACE(std::to_string(c.effects) + std::to_string(c.forced) +
                     std::to_string(c.place.has_value()));
        QApplication::setEffectEnabled(Qt::UI_General, c.effects);
        ASSERT_EQ(QApplication::isEffectEnabled(Qt::UI_General), c.effects);
        QWidget window;
        window.setGeometry(100, 100, 357, 46);
        window.show();

        const QRect bar = window.frameGeometry();

        HideToTray(window, c.place, c.forced);
        EXPECT_FALSE(window.isVisible());
        const std::vector<QWidget*> flying = FlyingRects();
        ASSERT_EQ(flying.size(), c.flies ? 1u : 0u);
        if (c.flies) {
            EXPECT_EQ(flying.front()->geometry(), bar);  // it leaves from the bar
        }
        RestoreFromTray(window, c.place, c.forced);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(FlyingRects().size(), c.flies ? 2u : 0u);
        // The rectangles remove themselves.
        EXPECT_TRUE(WaitFor([] { return FlyingRects().empty(); }));
    }
}

}  // namespace
