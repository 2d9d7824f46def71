// The bar window as a real window manager (openbox, started by tests/desktop-session.sh) sees
// it, read back over an X connection of the test's own.
#include "platform/desktop/WindowHints.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QPoint>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/TestDesktopServices.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::WaitFor;

#define SKIP_WITHOUT_WINDOW_MANAGER()                                                    \
    if (const std::string missing = testing_support::DesktopMissing(); !missing.empty()) \
        GTEST_SKIP() << missing;                                                         \
    if (const char* wm = std::getenv("TIVORA_WM_MISSING"))                               \
    GTEST_SKIP() << "not installed: " << wm

// A second client of the X server: what it reads is what the window manager has published.
class XProbe {
public:
    XProbe() {
        int screen = 0;
        connection_ = xcb_connect(nullptr, &screen);
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (; screen > 0; --screen) {
            xcb_screen_next(&screens);
        }
        root_ = screens.data->root;
    }
    ~XProbe() { xcb_disconnect(connection_); }
    XProbe(const XProbe&) = delete;
    XProbe& operator=(const XProbe&) = delete;

    xcb_atom_t Atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t atom = reply->atom;
        std::free(reply);
        return atom;
    }

    // A 32-bit property's values; empty when the window has none.
    std::vector<uint32_t> Values(xcb_window_t window, const char* property) {
        return Property<uint32_t>(window, property, 32);
    }

    std::string Text(xcb_window_t window, const char* property) {
        const auto bytes = Property<char>(window, property, 8);
        return std::string(bytes.begin(), bytes.end());
    }

    bool HasState(xcb_window_t window, const char* state) {
        const auto states = Values(window, "_NET_WM_STATE");
        return std::find(states.begin(), states.end(), Atom(state)) != states.end();
    }

    // Where the window's top-left corner is on the screen.
    QPoint Origin(xcb_window_t window) {
        auto* reply = xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr);
        if (reply == nullptr) {
            return {-1, -1};
        }
        const QPoint origin(reply->dst_x, reply->dst_y);
        std::free(reply);
        return origin;
    }

    // Asks for the window at (x, y) as any client may; the window manager carries it out.
    void Move(xcb_window_t window, int x, int y) {
        const uint32_t values[] = {static_cast<uint32_t>(x), static_cast<uint32_t>(y)};
        xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                             values);
        xcb_flush(connection_);
    }

    xcb_window_t ActiveWindow() {
        const auto active = Values(root_, "_NET_ACTIVE_WINDOW");
        return active.empty() ? xcb_window_t{XCB_WINDOW_NONE} : active.front();
    }

    // The server's time now, as a launcher takes it from the user's click.
    uint32_t ServerTime() {
        const xcb_window_t window = xcb_generate_id(connection_);
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &mask);
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                            XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(connection_);
        uint32_t time = 0;
        WaitFor([&] {
            Poll([&](const xcb_generic_event_t* event) {
                if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                    time = reinterpret_cast<const xcb_property_notify_event_t*>(event)->time;
                }
            });
            return time != 0;
        });
        xcb_destroy_window(connection_, window);
        xcb_flush(connection_);
        return time;
    }

    // Listens from now on to what is broadcast on the root window: startup-notification
    // messages and requests to the window manager.
    void ListenOnRoot() {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
        begin_ = Atom("_NET_STARTUP_INFO_BEGIN");
        more_ = Atom("_NET_STARTUP_INFO");
        activate_ = Atom("_NET_ACTIVE_WINDOW");
    }

    // The whole startup messages received so far.
    std::vector<std::string> StartupMessages() {
        Receive();
        return startupMessages_;
    }

    // The times of the activation requests for window received so far.
    std::vector<uint32_t> ActivationTimes(xcb_window_t window) {
        Receive();
        return activationTimes_[window];
    }

private:
    void Receive() {
        Poll([&](const xcb_generic_event_t* event) {
            if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) {
                return;
            }
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if (message->type == activate_ && message->format == 32) {
                activationTimes_[message->window].push_back(message->data.data32[1]);
            }
            if (message->format != 8 || (message->type != begin_ && message->type != more_)) {
                return;
            }
            std::string& text = partial_[message->window];
            if (message->type == begin_) {
                text.clear();
            }
            const char* data = reinterpret_cast<const char*>(message->data.data8);
            const std::size_t length = strnlen(data, 20);
            text.append(data, length);
            if (length < 20) {
                startupMessages_.push_back(text);
                partial_.erase(message->window);
            }
        });
    }

    template <typename T>
    std::vector<T> Property(xcb_window_t window, const char* property, uint8_t format) {
        auto* reply =
            xcb_get_property_reply(connection_,
                                   xcb_get_property(connection_, 0, window, Atom(property),
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
                                   nullptr);
        std::vector<T> values;
        if (reply != nullptr && reply->format == format) {
            const auto* data = static_cast<const T*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / sizeof(T));
        }
        std::free(reply);
        return values;
    }

    template <typename Handler>
    void Poll(Handler handler) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            handler(event);
            std::free(event);
        }
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_atom_t begin_ = XCB_ATOM_NONE;
    xcb_atom_t more_ = XCB_ATOM_NONE;
    xcb_atom_t activate_ = XCB_ATOM_NONE;
    std::map<xcb_window_t, std::string> partial_;
    std::vector<std::string> startupMessages_;
    std::map<xcb_window_t, std::vector<uint32_t>> activationTimes_;
};

std::unique_ptr<QWidget> MakeBar() {
    auto bar = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::Tool);
    bar->resize(300, 40);
    return bar;
}

xcb_window_t Id(const QWidget& window) {
    return static_cast<xcb_window_t>(window.windowHandle()->winId());
}

// The window manager has the window on screen (ICCCM NormalState), not withdrawn.
bool Managed(XProbe& x, const QWidget& window) {
    const auto state = x.Values(Id(window), "WM_STATE");
    return !state.empty() && state.front() == 1;
}

bool SkipsTaskbarAndPager(XProbe& x, const QWidget& window) {
    return x.HasState(Id(window), "_NET_WM_STATE_SKIP_TASKBAR") &&
           x.HasState(Id(window), "_NET_WM_STATE_SKIP_PAGER");
}

// Without a frame, out of the taskbar and the pager, whether the hints come before the first
// showing or after it, and again after a hide (the window manager forgets the states of a
// window that is hidden).
TEST(WindowHintsTest, BarIsUndecoratedAndSkipsTaskbarAndPagerAtEveryShowing) {
    SKIP_WITHOUT_WINDOW_MANAGER();
    XProbe x;
    for (const bool beforeShowing : {true, false}) {
        SCOPED_TRACE(beforeShowing);
        auto bar = MakeBar();
        if (beforeShowing) {
            ApplyToolbarHints(*bar);
        }
        bar->show();
        ASSERT_TRUE(WaitFor([&] { return Managed(x, *bar); }));
        if (!beforeShowing) {
            EXPECT_FALSE(SkipsTaskbarAndPager(x, *bar));
            ApplyToolbarHints(*bar);
        }
        EXPECT_TRUE(WaitFor([&] { return SkipsTaskbarAndPager(x, *bar); }));
        EXPECT_TRUE(WaitFor([&] {
            return x.Values(Id(*bar), "_NET_FRAME_EXTENTS") == std::vector<uint32_t>{0, 0, 0, 0};
        }));

        bar->hide();
        ASSERT_TRUE(WaitFor([&] { return !Managed(x, *bar); }));
        bar->show();
        ASSERT_TRUE(WaitFor([&] { return Managed(x, *bar); }));
        EXPECT_TRUE(WaitFor([&] { return SkipsTaskbarAndPager(x, *bar); }));
    }
}

// "Above" exactly while set, whether the window is on screen or hidden at the change, and the
// window stays where it is, on screen, out of the taskbar.
TEST(WindowHintsTest, KeepAboveFollowsTheSettingAndKeepsPlaceAndStates) {
    SKIP_WITHOUT_WINDOW_MANAGER();
    XProbe x;
    auto bar = MakeBar();
    ApplyToolbarHints(*bar);
    SetKeepAbove(*bar, true);
    bar->move(100, 200);
    bar->show();
    ASSERT_TRUE(WaitFor([&] { return Managed(x, *bar); }));
    const xcb_window_t id = Id(*bar);
    EXPECT_TRUE(WaitFor([&] { return x.HasState(id, "_NET_WM_STATE_ABOVE"); }));

    struct Step {
        bool above;
        bool hidden;
    };
    for (const Step step :
         {Step{false, false}, Step{true, false}, Step{false, true}, Step{true, true}}) {
        SCOPED_TRACE(std::to_string(step.above) + (step.hidden ? " hidden" : " shown"));
        if (step.hidden) {
            bar->hide();
            ASSERT_TRUE(WaitFor([&] { return !Managed(x, *bar); }));
        }
        SetKeepAbove(*bar, step.above);
        if (step.hidden) {
            bar->show();
            ASSERT_TRUE(WaitFor([&] { return Managed(x, *bar); }));
        }
        EXPECT_TRUE(WaitFor([&] { return x.HasState(id, "_NET_WM_STATE_ABOVE") == step.above; }));
        EXPECT_EQ(Id(*bar), id);
        EXPECT_TRUE(bar->isVisible());
        EXPECT_TRUE(SkipsTaskbarAndPager(x, *bar));
        EXPECT_TRUE(WaitFor([&] { return x.Origin(id) == QPoint(100, 200); }));
        EXPECT_EQ(bar->windowFlags().testFlag(Qt::WindowStaysOnTopHint), step.above);
    }
}

// The stored place is where the window appears, and a move by the program takes it there.
TEST(WindowHintsTest, WindowAppearsAtItsPlaceAndMovesWhereItIsMoved) {
    SKIP_WITHOUT_WINDOW_MANAGER();
    XProbe x;
    auto bar = MakeBar();
    ApplyToolbarHints(*bar);
    bar->move(100, 200);
    bar->show();
    ASSERT_TRUE(WaitFor([&] { return Managed(x, *bar); }));
    EXPECT_TRUE(WaitFor([&] { return x.Origin(Id(*bar)) == QPoint(100, 200); }))
        << x.Origin(Id(*bar)).x() << "," << x.Origin(Id(*bar)).y();
    bar->move(340, 25);
    EXPECT_TRUE(WaitFor([&] { return x.Origin(Id(*bar)) == QPoint(340, 25); }));
    EXPECT_TRUE(WaitFor([&] { return bar->pos() == QPoint(340, 25); }));
}

// The place is the X server's, also while Qt has not yet handled the window manager's report
// of a move; a window not made yet has none.
TEST(WindowHintsTest, PlaceOnScreenIsTheServersAheadOfQt) {
    SKIP_WITHOUT_WINDOW_MANAGER();
    XProbe x;
    auto bar = MakeBar();
    EXPECT_EQ(PlaceOnScreen(*bar), std::nullopt);
    bar->move(100, 200);
    bar->show();
    // Not Qt's own idea: right after showing it is now and then the frame's first corner.
    ASSERT_TRUE(
        WaitFor([&] { return Managed(x, *bar) && x.Origin(Id(*bar)) == QPoint(100, 200); }));
    x.Move(Id(*bar), 300, 150);
    // Qt's events are not handled meanwhile: its own idea stays at the old place.
    for (int i = 0; i < 500 && x.Origin(Id(*bar)) != QPoint(300, 150); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(x.Origin(Id(*bar)), QPoint(300, 150));
    EXPECT_EQ(PlaceOnScreen(*bar), std::optional<QPoint>(QPoint(300, 150)));
}

// A later start's token reaches the window manager with the window, which takes the focus from
// another window, and the launch it names is ended.
TEST(WindowHintsTest, ActivationWithATokenNamesTheLaunchAndTakesTheFocus) {
    SKIP_WITHOUT_WINDOW_MANAGER();
    XProbe x;
    auto bar = MakeBar();
    ApplyToolbarHints(*bar);
    bar->show();
    QWidget other;
    other.resize(200, 200);
    other.show();
    ASSERT_TRUE(WaitFor([&] { return Managed(x, *bar) && Managed(x, other); }));
    ActivateWithToken(other, "");
    ASSERT_TRUE(WaitFor([&] { return x.ActiveWindow() == Id(other); }));

    const uint32_t launchTime = x.ServerTime();
    x.ListenOnRoot();
    const std::string token = "launcher-7-host-tivora-0_TIME" + std::to_string(launchTime);
    ActivateWithToken(*bar, token);
    EXPECT_TRUE(WaitFor([&] { return x.Text(Id(*bar), "_NET_STARTUP_ID") == token; }));
    EXPECT_TRUE(WaitFor([&] { return x.ActiveWindow() == Id(*bar); }));
    // The request carries the launcher's time, which focus-stealing prevention weighs.
    EXPECT_TRUE(WaitFor([&] {
        const auto times = x.ActivationTimes(Id(*bar));
        return std::find(times.begin(), times.end(), launchTime) != times.end();
    }));
    EXPECT_TRUE(WaitFor([&] {
        const auto messages = x.StartupMessages();
        return std::find(messages.begin(), messages.end(), "remove: ID=" + token) != messages.end();
    }));
}

}  // namespace
