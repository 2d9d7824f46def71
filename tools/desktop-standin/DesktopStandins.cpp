#include "DesktopStandins.h"

#include <xcb/xcb.h>

#include <QAtomicInt>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>

#include "DesktopStandins_p.h"

namespace desktop_standin {

// One bus object under one well-known name, on a private connection whose calls are served by
// a thread of its own.
class BusObjectThread {
public:
    BusObjectThread(QString service, QString path, std::function<QObject*()> make)
        : service_(std::move(service)), path_(std::move(path)), make_(std::move(make)) {}
    ~BusObjectThread() { Stop(); }

    bool Start() {
        if (object_ != nullptr) {
            return true;
        }
        static QAtomicInt counter;
        connectionName_ =
            QStringLiteral("tivora-test-%1-%2").arg(service_).arg(counter.fetchAndAddRelaxed(1));
        QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_);
        if (!bus.isConnected()) {
            QDBusConnection::disconnectFromBus(connectionName_);
            return false;
        }
        thread_ = std::make_unique<QThread>();
        object_ = make_();
        object_->moveToThread(thread_.get());
        QObject::connect(thread_.get(), &QThread::finished, object_, &QObject::deleteLater);
        thread_->start();
        // The object first, then the name: whoever sees the name can call at once.
        if (!bus.registerObject(path_, object_, QDBusConnection::ExportAdaptors) ||
            !bus.registerService(service_)) {
            Stop();
            return false;
        }
        return true;
    }

    void Stop() {
        if (object_ == nullptr) {
            return;
        }
        QDBusConnection bus(connectionName_);
        bus.unregisterService(service_);
        bus.unregisterObject(path_);
        QDBusConnection::disconnectFromBus(connectionName_);
        thread_->quit();
        thread_->wait();
        thread_.reset();
        object_ = nullptr;  // deleted by its thread as it finished
    }

private:
    QString service_;
    QString path_;
    std::function<QObject*()> make_;
    QString connectionName_;
    std::unique_ptr<QThread> thread_;
    QObject* object_ = nullptr;
};

struct TestStatusNotifierWatcher::State {
    mutable std::mutex mutex;
    QStringList items;
};

WatcherAdaptor::WatcherAdaptor(QObject* parent,
                               std::shared_ptr<TestStatusNotifierWatcher::State> state)
    : QDBusAbstractAdaptor(parent), state_(std::move(state)) {}

QStringList WatcherAdaptor::RegisteredStatusNotifierItems() const {
    std::lock_guard lock(state_->mutex);
    return state_->items;
}

void WatcherAdaptor::RegisterStatusNotifierItem(const QString& service) {
    {
        std::lock_guard lock(state_->mutex);
        state_->items.append(service);
    }
    emit StatusNotifierItemRegistered(service);
}

TestStatusNotifierWatcher::TestStatusNotifierWatcher()
    : state_(std::make_shared<State>()),
      thread_(std::make_unique<BusObjectThread>(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                QStringLiteral("/StatusNotifierWatcher"),
                                                [state = state_] {
                                                    auto* object = new QObject;
                                                    new WatcherAdaptor(object, state);
                                                    return object;
                                                })) {}

TestStatusNotifierWatcher::~TestStatusNotifierWatcher() = default;

bool TestStatusNotifierWatcher::Start() {
    return thread_->Start();
}

void TestStatusNotifierWatcher::Stop() {
    thread_->Stop();
    std::lock_guard lock(state_->mutex);
    state_->items.clear();
}

QStringList TestStatusNotifierWatcher::Items() const {
    std::lock_guard lock(state_->mutex);
    return state_->items;
}

struct TestNotificationServer::State {
    mutable std::mutex mutex;
    std::vector<Notification> notifications;
    std::vector<uint> closed;
    uint lastId = 0;
    QPointer<NotificationsAdaptor> adaptor;  // lives on the server's thread
};

NotificationsAdaptor::NotificationsAdaptor(QObject* parent,
                                           std::shared_ptr<TestNotificationServer::State> state)
    : QDBusAbstractAdaptor(parent), state_(std::move(state)) {
    std::lock_guard lock(state_->mutex);
    state_->adaptor = this;
}

uint NotificationsAdaptor::Notify(const QString& appName, uint replacesId, const QString& appIcon,
                                  const QString& summary, const QString& body,
                                  const QStringList& actions, const QVariantMap&,
                                  int expireTimeout) {
    std::lock_guard lock(state_->mutex);
    const uint id = replacesId != 0 ? replacesId : ++state_->lastId;
    state_->notifications.push_back(
        {id, appName, summary, body, appIcon, expireTimeout, replacesId, actions});
    return id;
}

QStringList NotificationsAdaptor::GetCapabilities() const {
    return {QStringLiteral("body"), QStringLiteral("icon-static")};
}

QString NotificationsAdaptor::GetServerInformation(QString& vendor, QString& version,
                                                   QString& specVersion) const {
    vendor = QStringLiteral("Tivora tests");
    version = QStringLiteral("1.0");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("tivora-test-notifications");
}

void NotificationsAdaptor::CloseNotification(uint id) {
    {
        std::lock_guard lock(state_->mutex);
        state_->closed.push_back(id);
    }
    emit NotificationClosed(id, 3);  // closed by a call
}

TestNotificationServer::TestNotificationServer()
    : state_(std::make_shared<State>()),
      thread_(std::make_unique<BusObjectThread>(QStringLiteral("org.freedesktop.Notifications"),
                                                QStringLiteral("/org/freedesktop/Notifications"),
                                                [state = state_] {
                                                    auto* object = new QObject;
                                                    new NotificationsAdaptor(object, state);
                                                    return object;
                                                })) {}

TestNotificationServer::~TestNotificationServer() = default;

bool TestNotificationServer::Start() {
    return thread_->Start();
}

void TestNotificationServer::Stop() {
    thread_->Stop();
}

std::vector<TestNotificationServer::Notification> TestNotificationServer::Notifications() const {
    std::lock_guard lock(state_->mutex);
    return state_->notifications;
}

std::vector<uint> TestNotificationServer::Closed() const {
    std::lock_guard lock(state_->mutex);
    return state_->closed;
}

void TestNotificationServer::InvokeAction(uint id, const QString& action) {
    std::lock_guard lock(state_->mutex);
    if (state_->adaptor == nullptr) {
        return;
    }
    // Emitted on the server's own thread, where its bus connection sends it.
    QMetaObject::invokeMethod(
        state_->adaptor.data(),
        [adaptor = state_->adaptor, id, action] {
            if (adaptor != nullptr) {
                emit adaptor->ActionInvoked(id, action);
            }
        },
        Qt::QueuedConnection);
}

struct TestXEmbedTray::Connection {
    xcb_connection_t* connection = nullptr;
    int screen = 0;
    ~Connection() { xcb_disconnect(connection); }

    xcb_atom_t Atom(const std::string& name) const {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str()),
            nullptr);
        xcb_atom_t atom = XCB_ATOM_NONE;
        if (reply != nullptr) {
            atom = reply->atom;
            std::free(reply);
        }
        return atom;
    }
};

TestXEmbedTray::TestXEmbedTray() = default;

TestXEmbedTray::~TestXEmbedTray() {
    Stop();
}

bool TestXEmbedTray::Start() {
    if (window_ != 0) {
        return true;
    }
    if (x_ == nullptr) {
        auto x = std::make_unique<Connection>();
        x->connection = xcb_connect(nullptr, &x->screen);
        if (xcb_connection_has_error(x->connection) != 0) {
            return false;
        }
        x_ = std::move(x);
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x_->connection));
    for (int i = 0; i < x_->screen; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_window_t root = screens.data->root;
    const xcb_atom_t selection = x_->Atom("_NET_SYSTEM_TRAY_S" + std::to_string(x_->screen));
    window_ = xcb_generate_id(x_->connection);
    xcb_create_window(x_->connection, XCB_COPY_FROM_PARENT, window_, root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(x_->connection, window_, selection, XCB_CURRENT_TIME);
    xcb_client_message_event_t manager{};
    manager.response_type = XCB_CLIENT_MESSAGE;
    manager.format = 32;
    manager.window = root;
    manager.type = x_->Atom("MANAGER");
    manager.data.data32[0] = XCB_CURRENT_TIME;
    manager.data.data32[1] = selection;
    manager.data.data32[2] = window_;
    xcb_send_event(x_->connection, 0, root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&manager));
    xcb_flush(x_->connection);
    return true;
}

void TestXEmbedTray::Stop() {
    if (window_ == 0) {
        return;
    }
    xcb_destroy_window(x_->connection, window_);
    xcb_flush(x_->connection);
    window_ = 0;
}

}  // namespace desktop_standin
