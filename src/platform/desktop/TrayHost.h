#pragma once

#include <QObject>
#include <QString>
#include <memory>

// Tells whether the desktop has somewhere to show a tray icon, and when that changes: a
// StatusNotifierWatcher with a host on the session bus, or an XEmbed tray owning the X11
// tray selection. Qt picks its kind of tray icon once, when the icon is made, so an icon made
// before a tray host exists must be made again when one appears or restarts.
// Without a session bus or an X server the answer is simply "none".
class TrayHost : public QObject {
    Q_OBJECT
public:
    // The two ways a desktop shows tray icons; one panel may offer both.
    enum class Protocol { StatusNotifier, XEmbed };
    Q_ENUM(Protocol)

    // watchNow false: nothing is asked until Watch, so that a window can be on the screen
    // before the session bus is reached.
    explicit TrayHost(QObject* parent = nullptr, bool watchNow = true);
    ~TrayHost() override;

    // Starts watching and asks whether a tray is there now (a call on the session bus that
    // waits for its answer); Appeared when one is. Does nothing once watching.
    void Watch();
    bool IsWatching() const { return watching_; }

    bool IsPresent() const { return statusNotifier_ || xembed_; }
    // Each kind on its own: an icon made for one kind shows only while that kind is there.
    bool HasStatusNotifier() const { return statusNotifier_; }
    bool HasXEmbed() const { return xembed_; }
    // Which kind answered, for the trace: "StatusNotifier", "XEmbed" or "none".
    QString Kind() const;

signals:
    // A tray host appeared where there was none, or came back after it was restarted.
    void Appeared();
    // The last tray host went away.
    void Gone();
    // The same for each protocol on its own: a panel that speaks both appears once as each
    // when it restarts, and an icon of one protocol is made again only when that one appears.
    void ProtocolAppeared(TrayHost::Protocol protocol);
    void ProtocolGone(TrayHost::Protocol protocol);

private slots:
    void OnHostRegistrationChanged();

private:
    void OnWatcherOwnerChanged(const QString& service, const QString& oldOwner,
                               const QString& newOwner);
    void SetStatusNotifier(bool present, bool restarted);
    void SetXEmbed(bool present, bool restarted);
    void Update(Protocol protocol, bool wasThere, bool wasPresent, bool restarted);
    bool AskWatcherForHost() const;

    class XEmbedWatch;
    std::unique_ptr<XEmbedWatch> xembedWatch_;
    bool watching_ = false;
    bool statusNotifier_ = false;
    bool xembed_ = false;
};
