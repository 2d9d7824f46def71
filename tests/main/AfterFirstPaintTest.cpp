// The worker waits for the bar's first paint: never before it, once after it, and not for
// ever when no paint comes.
#include "main/AfterFirstPaint.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include "support/SkinTestSupport.h"

namespace {

constexpr int kLimitMs = 1000;

TEST(AfterFirstPaint, RunsOnceAfterThePaintAtOnceWhenHiddenAndAtTheLimitWithoutPaint) {
    struct Case {
        const char* name;
        bool shown;
        bool painted;
        int runsAtStart;  // before any event is handled
        int runsAfterPaint;
        int runsAfterLimit;
    };
    for (const Case& c :
         {Case{"hidden window", false, false, 1, 1, 1}, Case{"painted window", true, true, 0, 1, 1},
          Case{"window never painted", true, false, 0, 0, 1}}) {
        skin_test::ManualTimers timers;
        QWidget window;
        window.resize(50, 20);
        if (c.shown) {
            window.show();
        }
        int runs = 0;
        AfterFirstPaint after(window, kLimitMs, [&runs] { ++runs; });
        EXPECT_EQ(runs, c.runsAtStart) << c.name;
        if (c.painted) {
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&window)) << c.name;
            window.repaint();
            QCoreApplication::processEvents();
            window.repaint();  // a second paint starts nothing more
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(runs, c.runsAfterPaint) << c.name;
        timers.Advance(kLimitMs - 1);
        EXPECT_EQ(runs, c.runsAfterPaint) << c.name;
        timers.Advance(1);
        EXPECT_EQ(runs, c.runsAfterLimit) << c.name;
        timers.Advance(kLimitMs);
        EXPECT_EQ(runs, c.runsAfterLimit) << c.name;
    }
}

}  // namespace
