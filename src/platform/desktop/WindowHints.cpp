#include "platform/desktop/WindowHints.h"

#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// EWMH: what a _NET_WM_STATE message asks for, and who asks.
constexpr uint32_t kStateRemove = 0;
constexpr uint32_t kStateAdd = 1;
constexpr uint32_t kSourceApplication = 1;

const char kHelperName[] = "tivora-toolbar-hints";

// Qt's X connection, or none when the window system is not X11.
xcb_connection_t* Connection() {
    if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    if (reply == nullptr) {
        return XCB_ATOM_NONE;
    }
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

// The X side of a widget's window, once Qt has made it.
struct XWindow {
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = XCB_WINDOW_NONE;
    xcb_window_t root = XCB_WINDOW_NONE;

    explicit operator bool() const { return root != XCB_WINDOW_NONE; }
};

XWindow XWindowOf(const QWidget& widget) {
    XWindow x;
    x.connection = Connection();
    if (x.connection == nullptr || !widget.testAttribute(Qt::WA_WState_Created) ||
        widget.windowHandle() == nullptr) {
        return {};
    }
    x.window = static_cast<xcb_window_t>(widget.windowHandle()->winId());
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(x.connection, xcb_query_tree(x.connection, x.window), nullptr);
    if (tree == nullptr) {
        return {};
    }
    x.root = tree->root;
    std::free(tree);
    return x;
}

// Before the window is mapped the client owns _NET_WM_STATE: edit it in place, keeping the
// states Qt put there.
void EditStateProperty(const XWindow& x, const std::vector<xcb_atom_t>& add,
                       const std::vector<xcb_atom_t>& remove) {
    const xcb_atom_t state = Atom(x.connection, "_NET_WM_STATE");
    std::vector<xcb_atom_t> atoms;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        x.connection, xcb_get_property(x.connection, 0, x.window, state, XCB_ATOM_ATOM, 0, 1024),
        nullptr);
    if (reply != nullptr) {
        if (reply->type == XCB_ATOM_ATOM && reply->format == 32) {
            const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
            atoms.assign(values, values + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
    }
    for (xcb_atom_t atom : remove) {
        atoms.erase(std::remove(atoms.begin(), atoms.end(), atom), atoms.end());
    }
    for (xcb_atom_t atom : add) {
        if (std::find(atoms.begin(), atoms.end(), atom) == atoms.end()) {
            atoms.push_back(atom);
        }
    }
    if (atoms.empty()) {
        xcb_delete_property(x.connection, x.window, state);
    } else {
        xcb_change_property(x.connection, XCB_PROP_MODE_REPLACE, x.window, state, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(atoms.size()), atoms.data());
    }
    xcb_flush(x.connection);
}

// Once the window is mapped the window manager owns _NET_WM_STATE: ask it by a message to the
// root window.
void SendRootMessage(const XWindow& x, const char* type, const std::vector<uint32_t>& data) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = x.window;
    message.type = Atom(x.connection, type);
    for (std::size_t i = 0; i < data.size() && i < 5; ++i) {
        message.data.data32[i] = data[i];
    }
    xcb_send_event(x.connection, 0, x.root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(x.connection);
}

void SendState(const XWindow& x, uint32_t action, xcb_atom_t first, xcb_atom_t second) {
    SendRootMessage(x, "_NET_WM_STATE", {action, first, second, kSourceApplication});
}

std::vector<xcb_atom_t> SkipStates(const XWindow& x) {
    return {Atom(x.connection, "_NET_WM_STATE_SKIP_TASKBAR"),
            Atom(x.connection, "_NET_WM_STATE_SKIP_PAGER")};
}

// Sets the window's states as the widget wants them: before its mapping in the property, after
// it through the window manager.
void PublishStates(QWidget& widget, bool skip, bool mapped) {
    const XWindow x = XWindowOf(widget);
    if (!x) {
        return;
    }
    const bool above = widget.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    const xcb_atom_t aboveAtom = Atom(x.connection, "_NET_WM_STATE_ABOVE");
    const std::vector<xcb_atom_t> skipAtoms = skip ? SkipStates(x) : std::vector<xcb_atom_t>{};
    if (mapped) {
        if (skip) {
            SendState(x, kStateAdd, skipAtoms[0], skipAtoms[1]);
        }
        SendState(x, above ? kStateAdd : kStateRemove, aboveAtom, XCB_ATOM_NONE);
        return;
    }
    std::vector<xcb_atom_t> add = skipAtoms;
    std::vector<xcb_atom_t> remove;
    (above ? add : remove).push_back(aboveAtom);
    EditStateProperty(x, add, remove);
}

// Puts the states back at every showing: the window manager drops _NET_WM_STATE when the
// window is withdrawn (hidden), and Qt only puts back what it knows of.
class StateKeeper : public QObject {
public:
    explicit StateKeeper(QWidget& widget) : QObject(&widget), widget_(&widget) {
        setObjectName(kHelperName);
        widget.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Show) {
            // Sent before Qt maps the window (though the widget counts as visible already):
            // the property is still the client's.
            PublishStates(*widget_, true, false);
            // A window manager still busy with an earlier hide may wipe the property after
            // this, so ask again once the window is mapped.
            QTimer::singleShot(0, this, [this] {
                if (widget_ != nullptr && widget_->isVisible()) {
                    PublishStates(*widget_, true, true);
                }
            });
        }
        return false;
    }

private:
    QPointer<QWidget> widget_;
};

// The startup-notification message that ends the launch of the given startup id: the
// launcher's busy cursor or animation stops.
void SendStartupRemove(const XWindow& x, const std::string& id) {
    std::string value = id;
    if (value.find_first_of(" \"\\") != std::string::npos) {
        std::string quoted = "\"";
        for (char c : value) {
            if (c == '"' || c == '\\') {
                quoted += '\\';
            }
            quoted += c;
        }
        value = quoted + "\"";
    }
    std::string text = "remove: ID=" + value;
    text.push_back('\0');

    // The message names a window of its sender; one made for it will do.
    const xcb_window_t sender = xcb_generate_id(x.connection);
    xcb_create_window(x.connection, XCB_COPY_FROM_PARENT, sender, x.root, -100, -100, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t begin = Atom(x.connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = Atom(x.connection, "_NET_STARTUP_INFO");
    for (std::size_t offset = 0; offset < text.size(); offset += 20) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 8;
        message.window = sender;
        message.type = offset == 0 ? begin : more;
        std::memcpy(message.data.data8, text.data() + offset,
                    std::min<std::size_t>(20, text.size() - offset));
        xcb_send_event(x.connection, 0, x.root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&message));
    }
    xcb_destroy_window(x.connection, sender);
    xcb_flush(x.connection);
}

// The launcher's user time that a startup id carries ("…_TIME<number>"), 0 when none.
uint32_t StartupTime(const std::string& id) {
    const auto at = id.rfind("_TIME");
    if (at == std::string::npos) {
        return 0;
    }
    const char* digits = id.c_str() + at + 5;
    char* end = nullptr;
    const unsigned long time = std::strtoul(digits, &end, 10);
    return end != digits && *end == '\0' && time <= UINT32_MAX ? static_cast<uint32_t>(time) : 0;
}

}  // namespace

void ApplyToolbarHints(QWidget& window) {
    if (Connection() == nullptr) {
        return;
    }
    if (window.findChild<QObject*>(QLatin1String(kHelperName), Qt::FindDirectChildrenOnly) ==
        nullptr) {
        new StateKeeper(window);
    }
    PublishStates(window, true, window.isVisible());
}

void SetKeepAbove(QWidget& window, bool above) {
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, above);
    if (window.windowHandle() == nullptr) {
        window.setWindowFlags(flags);  // nothing on screen yet: the window is made with it
        return;
    }
    if (Connection() == nullptr) {
        // Qt's own way: the window is hidden by the change and shown again in its place.
        const bool visible = window.isVisible();
        const QPoint place = window.pos();
        window.setWindowFlags(flags);
        if (visible) {
            window.move(place);
            window.show();
        }
        return;
    }
    // On X11 a change of the flag through Qt hides the window, or makes Qt replace the X window
    // at its next showing (losing what was set on it): only the widget's record changes, and
    // the window manager is told here and at every showing.
    window.overrideWindowFlags(flags);
    const bool keepsSkipStates = window.findChild<QObject*>(QLatin1String(kHelperName),
                                                            Qt::FindDirectChildrenOnly) != nullptr;
    PublishStates(window, keepsSkipStates, window.isVisible());
}

void ActivateWithToken(QWidget& window, const std::string& token) {
    const XWindow x = XWindowOf(window);
    if (x && !token.empty()) {
        // Window managers match the window to the launch by it.
        xcb_change_property(x.connection, XCB_PROP_MODE_REPLACE, x.window,
                            Atom(x.connection, "_NET_STARTUP_ID"),
                            Atom(x.connection, "UTF8_STRING"), 8,
                            static_cast<uint32_t>(token.size()), token.data());
    }
    window.raise();
    window.activateWindow();
    if (x && !token.empty()) {
        // The launcher's time is that of the user's request: newer than anything this
        // program saw, so a window manager that weighs times lets the focus go.
        if (const uint32_t time = StartupTime(token); time != 0) {
            SendRootMessage(x, "_NET_ACTIVE_WINDOW", {kSourceApplication, time, XCB_WINDOW_NONE});
        }
        SendStartupRemove(x, token);
    }
}

std::optional<QPoint> PlaceOnScreen(const QWidget& window) {
    const XWindow x = XWindowOf(window);
    if (!x) {
        return std::nullopt;
    }
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        x.connection, xcb_translate_coordinates(x.connection, x.window, x.root, 0, 0), nullptr);
    if (reply == nullptr) {
        return std::nullopt;
    }
    const QPoint place(reply->dst_x, reply->dst_y);
    std::free(reply);
    return place;
}
