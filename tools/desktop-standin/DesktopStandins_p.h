#pragma once

// The D-Bus faces of the stand-in desktop services; moc needs them in a header.
#include <QDBusAbstractAdaptor>
#include <QStringList>
#include <QVariantMap>
#include <memory>

#include "DesktopStandins.h"

namespace desktop_standin {

class WatcherAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    // Declared in full: a program asks for the properties through the introspected interface.
    Q_CLASSINFO(
        "D-Bus Introspection",
        "  <interface name=\"org.kde.StatusNotifierWatcher\">\n"
        "    <method name=\"RegisterStatusNotifierItem\">\n"
        "      <arg name=\"service\" type=\"s\" direction=\"in\"/>\n"
        "    </method>\n"
        "    <method name=\"RegisterStatusNotifierHost\">\n"
        "      <arg name=\"service\" type=\"s\" direction=\"in\"/>\n"
        "    </method>\n"
        "    <property name=\"RegisteredStatusNotifierItems\" type=\"as\" access=\"read\"/>\n"
        "    <property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>\n"
        "    <property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/>\n"
        "    <signal name=\"StatusNotifierItemRegistered\">\n"
        "      <arg type=\"s\"/>\n"
        "    </signal>\n"
        "    <signal name=\"StatusNotifierItemUnregistered\">\n"
        "      <arg type=\"s\"/>\n"
        "    </signal>\n"
        "    <signal name=\"StatusNotifierHostRegistered\"/>\n"
        "  </interface>\n")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
public:
    WatcherAdaptor(QObject* parent, std::shared_ptr<TestStatusNotifierWatcher::State> state);
    QStringList RegisteredStatusNotifierItems() const;
    bool IsStatusNotifierHostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }

public slots:
    void RegisterStatusNotifierItem(const QString& service);
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierItemUnregistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    std::shared_ptr<TestStatusNotifierWatcher::State> state_;
};

class NotificationsAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    NotificationsAdaptor(QObject* parent, std::shared_ptr<TestNotificationServer::State> state);

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout);
    QStringList GetCapabilities() const;
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) const;
    void CloseNotification(uint id);

signals:
    void NotificationClosed(uint id, uint reason);
    void ActionInvoked(uint id, const QString& actionKey);

private:
    std::shared_ptr<TestNotificationServer::State> state_;
};

}  // namespace desktop_standin
