#include "platform/desktop/TrayHost.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QVariant>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// A watcher that does not answer within this is taken for none, rather than holding the bar.
constexpr int kAskTimeoutMs = 2000;

// The screen number of $DISPLAY (":1.2" is screen 2), 0 when it names none.
int DisplayScreen() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr) {
        return 0;
    }
    const std::string text(display);
    const auto colon = text.rfind(':');
    const auto dot = text.find('.', colon == std::string::npos ? 0 : colon);
    if (dot == std::string::npos) {
        return 0;
    }
    return std::atoi(text.c_str() + dot + 1);
}

xcb_atom_t InternAtom(xcb_connection_t* connection, const std::string& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    if (reply == nullptr) {
        return XCB_ATOM_NONE;
    }
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

}  // namespace

// Follows the owner of the XEmbed tray selection on Qt's own X connection: a tray that takes
// the selection announces it with a MANAGER message on the root window, and a tray that ends
// destroys the window that owned it.
class TrayHost::XEmbedWatch : public QAbstractNativeEventFilter {
public:
    explicit XEmbedWatch(std::function<void(bool present, bool newOwner)> onChange)
        : onChange_(std::move(onChange)) {
        auto* x11 = qGuiApp != nullptr
                        ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                        : nullptr;
        if (x11 == nullptr || x11->connection() == nullptr) {
            return;
        }
        connection_ = x11->connection();
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = DisplayScreen(); i > 0 && screens.rem > 0; --i) {
            xcb_screen_next(&screens);
        }
        if (screens.rem <= 0) {
            connection_ = nullptr;
            return;
        }
        root_ = screens.data->root;
        selection_ =
            InternAtom(connection_, "_NET_SYSTEM_TRAY_S" + std::to_string(DisplayScreen()));
        manager_ = InternAtom(connection_, "MANAGER");
        // Add to Qt's own interest in the root window rather than replace it.
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, root_), nullptr);
        if (attributes != nullptr) {
            const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            std::free(attributes);
            xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        }
        owner_ = QueryOwner();
        qGuiApp->installNativeEventFilter(this);
    }

    ~XEmbedWatch() override {
        if (connection_ != nullptr && qGuiApp != nullptr) {
            qGuiApp->removeNativeEventFilter(this);
        }
    }

    bool Present() const { return owner_ != XCB_NONE; }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || message == nullptr) {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7f) {
            case XCB_CLIENT_MESSAGE: {
                const auto* client = static_cast<const xcb_client_message_event_t*>(message);
                if (client->type == manager_ && client->format == 32 &&
                    client->data.data32[1] == selection_) {
                    Refresh();
                }
                break;
            }
            case XCB_DESTROY_NOTIFY: {
                const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
                if (owner_ != XCB_NONE && destroyed->window == owner_) {
                    Refresh();
                }
                break;
            }
            default:
                break;
        }
        return false;  // Qt still sees every event
    }

private:
    xcb_window_t SelectionOwner() {
        xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
            connection_, xcb_get_selection_owner(connection_, selection_), nullptr);
        if (reply == nullptr) {
            return XCB_NONE;
        }
        const xcb_window_t owner = reply->owner;
        std::free(reply);
        return owner;
    }

    xcb_window_t QueryOwner() {
        xcb_window_t owner = SelectionOwner();
        while (owner != XCB_NONE) {
            // To hear of the tray's end: its window is destroyed with it. A window destroyed
            // before the server took our interest in it sends nothing, so ask again after it
            // did (a round trip): the selection then names its next owner or none.
            const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(connection_, owner, XCB_CW_EVENT_MASK, &mask);
            const xcb_window_t again = SelectionOwner();
            if (again == owner) {
                break;
            }
            owner = again;
        }
        return owner;
    }

    void Refresh() {
        const xcb_window_t previous = owner_;
        owner_ = QueryOwner();
        if (owner_ != previous) {
            onChange_(owner_ != XCB_NONE, owner_ != XCB_NONE);
        }
    }

    std::function<void(bool, bool)> onChange_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_atom_t selection_ = XCB_ATOM_NONE;
    xcb_atom_t manager_ = XCB_ATOM_NONE;
    xcb_window_t owner_ = XCB_NONE;
};

TrayHost::TrayHost(QObject* parent, bool watchNow) : QObject(parent) {
    if (watchNow) {
        Watch();
    }
}

void TrayHost::Watch() {
    if (watching_) {
        return;
    }
    watching_ = true;
    const bool wasPresent = IsPresent();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        auto* watcher = new QDBusServiceWatcher(kWatcherService, bus,
                                                QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                &TrayHost::OnWatcherOwnerChanged);
        for (const char* signal :
             {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
            bus.connect(kWatcherService, kWatcherPath, kWatcherService, QString::fromLatin1(signal),
                        this, SLOT(OnHostRegistrationChanged()));
        }
        // Asked after watching starts, so that a watcher starting meanwhile is not missed.
        statusNotifier_ = AskWatcherForHost();
    }
    xembedWatch_ = std::make_unique<XEmbedWatch>(
        [this](bool present, bool newOwner) { SetXEmbed(present, newOwner); });
    xembed_ = xembedWatch_->Present();
    // What is there at the start appears now, to whoever already listens.
    if (statusNotifier_) {
        emit ProtocolAppeared(Protocol::StatusNotifier);
    }
    if (xembed_) {
        emit ProtocolAppeared(Protocol::XEmbed);
    }
    if (IsPresent() && !wasPresent) {
        emit Appeared();
    }
}

TrayHost::~TrayHost() = default;

QString TrayHost::Kind() const {
    if (statusNotifier_) {
        return QStringLiteral("StatusNotifier");
    }
    return xembed_ ? QStringLiteral("XEmbed") : QStringLiteral("none");
}

bool TrayHost::AskWatcherForHost() const {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, kAskTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return false;
    }
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

void TrayHost::OnWatcherOwnerChanged(const QString&, const QString&, const QString& newOwner) {
    // Any new owner is a watcher (re)started: items registered with the old one are lost.
    if (newOwner.isEmpty()) {
        SetStatusNotifier(false, false);
    } else {
        SetStatusNotifier(AskWatcherForHost(), true);
    }
}

void TrayHost::OnHostRegistrationChanged() {
    SetStatusNotifier(AskWatcherForHost(), false);
}

void TrayHost::SetStatusNotifier(bool present, bool restarted) {
    const bool wasThere = statusNotifier_;
    const bool wasPresent = IsPresent();
    statusNotifier_ = present;
    Update(Protocol::StatusNotifier, wasThere, wasPresent, restarted && present);
}

void TrayHost::SetXEmbed(bool present, bool restarted) {
    const bool wasThere = xembed_;
    const bool wasPresent = IsPresent();
    xembed_ = present;
    Update(Protocol::XEmbed, wasThere, wasPresent, restarted && present);
}

void TrayHost::Update(Protocol protocol, bool wasThere, bool wasPresent, bool restarted) {
    const bool isThere = protocol == Protocol::StatusNotifier ? statusNotifier_ : xembed_;
    if (isThere && (!wasThere || restarted)) {
        emit ProtocolAppeared(protocol);
    } else if (!isThere && wasThere) {
        emit ProtocolGone(protocol);
    }
    if (IsPresent() && (!wasPresent || restarted)) {
        emit Appeared();
    } else if (!IsPresent() && wasPresent) {
        emit Gone();
    }
}
