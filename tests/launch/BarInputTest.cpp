// The bar while a controlled game starts, on an X server of its own: a click that the X server
// delivers reaches the bar meanwhile, and a second click on the game starts nothing more.
// Against a real headless Chromium; skips itself without one or without the desktop.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <functional>

#include "LaunchTestSupport.h"
#include "launch/GameStarter.h"
#include "support/ShellRecorder.h"
#include "support/TestDesktopServices.h"

namespace {

using launch_testing::GamePages;
using launch_testing::HeadlessBrowser;
using launch_testing::WaitFor;
using testing_support::ShellRecorder;
using testing_support::TraceRecorder;

class Bar : public QWidget {
public:
    std::function<void()> onPress;

protected:
    void mousePressEvent(QMouseEvent*) override { onPress(); }
};

// A left click on window, sent through the X server as a user's click comes.
void ClickThroughTheServer(xcb_window_t window) {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(x), 0);
    for (const uint8_t type : {uint8_t{XCB_BUTTON_PRESS}, uint8_t{XCB_BUTTON_RELEASE}}) {
        xcb_button_press_event_t event{};
        event.response_type = type;
        event.detail = 1;
        event.event = window;
        event.event_x = 5;
        event.event_y = 5;
        event.same_screen = 1;
        if (type == XCB_BUTTON_RELEASE) {
            event.state = XCB_BUTTON_MASK_1;
        }
        // No event mask: the event goes to the client that made the window.
        xcb_send_event(x, 0, window, 0, reinterpret_cast<const char*>(&event));
    }
    // A round trip: the server has dealt with the events before this connection ends.
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    xcb_disconnect(x);
}

TEST(BarWhileAGameStarts, TakesClicksAndASecondClickOnTheGameStartsItNoMore) {
    if (const std::string missing = testing_support::DesktopMissing(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    if (!HeadlessBrowser::Available()) {
        GTEST_SKIP() << "Chromium is not installed";
    }
    GamePages pages;
    ShellRecorder shell;
    TraceRecorder traces;
    HeadlessBrowser browser;
    GameStarter& starter = GameStarter::Instance();
    const std::string game = pages.Url("/game?flash=same");

    Bar bar;
    int clicks = 0;
    bool startUnderWayAtClick = false;
    bar.onPress = [&] {
        ++clicks;
        startUnderWayAtClick = starter.Controllers().empty();
        starter.StartGame(game);
    };
    bar.resize(100, 40);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));

    // The user clicks just as the game starts: the click is at the X server before the browser.
    ClickThroughTheServer(static_cast<xcb_window_t>(bar.winId()));
    starter.StartGame(game);
    ASSERT_TRUE(WaitFor([&] { return clicks == 1; }));
    EXPECT_TRUE(startUnderWayAtClick);

    ASSERT_TRUE(
        WaitFor([&] { return !starter.Controllers().empty(); }, launch_testing::kLongestStartMs));
    EXPECT_EQ(starter.StartsUnderWay(), 0u);
    ASSERT_EQ(starter.Controllers().size(), 1u);
    const std::vector<std::string> window{starter.Controllers()[0]->WindowId().toStdString()};
    EXPECT_TRUE(WaitFor([&] { return browser.OpenWindows() == window; }));
    EXPECT_TRUE(traces.Contains("GameStarter: game " + game + " is on its way already"));
    auto texts = traces.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Start new IE with url: " + game), 1);
    EXPECT_TRUE(shell.calls.empty());
}

}  // namespace
