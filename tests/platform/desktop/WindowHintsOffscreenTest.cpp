// The window hints where there is no X server: offscreen, through Qt alone.
#include <gtest/gtest.h>

#include <QWidget>

#include "platform/desktop/WindowHints.h"

namespace {

// Away from X11 the flag goes through Qt, which hides the window to change it: the bar must
// not vanish, nor jump, when always-on-top is switched.
TEST(WindowHints, KeepAboveWithoutX11KeepsTheWindowShownInItsPlace) {
    QWidget bar(nullptr, Qt::FramelessWindowHint | Qt::Tool);
    bar.resize(300, 40);
    bar.move(100, 200);
    bar.show();
    for (const bool above : {true, false}) {
        SetKeepAbove(bar, above);
        EXPECT_EQ(bar.windowFlags().testFlag(Qt::WindowStaysOnTopHint), above);
        EXPECT_TRUE(bar.isVisible());
        EXPECT_EQ(bar.pos(), QPoint(100, 200));
    }
}

}  // namespace
