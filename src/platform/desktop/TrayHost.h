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
    explicit TrayHost(QObject* parent = nullptr);
    ~TrayHost() override;

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

private slots:
    void OnHostRegistrationChanged();

private:
    void OnWatcherOwnerChanged(const QString& service, const QString& oldOwner,
                               const QString& newOwner);
    void SetStatusNotifier(bool present, bool restarted);
    void SetXEmbed(bool present, bool restarted);
    void Update(bool wasPresent, bool restarted);
    bool AskWatcherForHost() const;

    class XEmbedWatch;
    std::unique_ptr<XEmbedWatch> xembedWatch_;
    bool statusNotifier_ = false;
    bool xembed_ = false;
};
