#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

namespace desktop_standin {

class BusObjectThread;

// A tray host's StatusNotifierWatcher on the session bus, served from a thread and a bus
// connection of its own so that a program's blocking calls to it are answered. It always
// reports a host, keeps the items registered with it, and can be stopped and started again
// to model a tray that comes late or restarts.
class TestStatusNotifierWatcher {
public:
    TestStatusNotifierWatcher();
    ~TestStatusNotifierWatcher();
    TestStatusNotifierWatcher(const TestStatusNotifierWatcher&) = delete;
    TestStatusNotifierWatcher& operator=(const TestStatusNotifierWatcher&) = delete;

    // False when there is no session bus or the name is owned already.
    bool Start();
    // Gives up the name; items registered so far are forgotten, as a restarted tray forgets them.
    void Stop();
    QStringList Items() const;

    struct State;

private:
    std::shared_ptr<State> state_;
    std::unique_ptr<BusObjectThread> thread_;
};

// A desktop notification server (org.freedesktop.Notifications) that records what it is asked
// to show, served like the watcher above.
class TestNotificationServer {
public:
    struct Notification {
        uint id = 0;
        QString appName;
        QString summary;
        QString body;
        QString appIcon;
        int expireTimeout = 0;  // milliseconds
        uint replacesId = 0;
        QStringList actions;  // key, label, key, label...
    };

    TestNotificationServer();
    ~TestNotificationServer();
    TestNotificationServer(const TestNotificationServer&) = delete;
    TestNotificationServer& operator=(const TestNotificationServer&) = delete;

    bool Start();
    void Stop();
    std::vector<Notification> Notifications() const;
    std::vector<uint> Closed() const;
    // The user chose the notification's action (a click on it is the action "default").
    void InvokeAction(uint id, const QString& action);

    struct State;

private:
    std::shared_ptr<State> state_;
    std::unique_ptr<BusObjectThread> thread_;
};

// An XEmbed tray of another client on the X server of $DISPLAY: it owns the tray selection of
// the screen and announces it, as a tray starting does; it docks nothing.
class TestXEmbedTray {
public:
    TestXEmbedTray();
    ~TestXEmbedTray();
    TestXEmbedTray(const TestXEmbedTray&) = delete;
    TestXEmbedTray& operator=(const TestXEmbedTray&) = delete;

    // False without an X server.
    bool Start();
    // Ends the tray: its window goes, with the selection.
    void Stop();

private:
    struct Connection;
    std::unique_ptr<Connection> x_;
    unsigned window_ = 0;
};

}  // namespace desktop_standin
