#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/Rect.h"
#include "platform/desktop/TrayHost.h"
#include "ui/controls/TimerSource.h"

class CommandTarget;
class QMenu;
class QSystemTrayIcon;
class QWidget;

// The bar's icon in the desktop's tray: its tooltip, the menu of the bar's commands, balloons
// (desktop notifications) and the icon's animation while an update waits. The icon exists only
// while the desktop has a tray host; one that appears, or comes back after a restart, gets the
// icon again with the same tooltip and picture, and a running animation goes on.
class CSystemTray : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxTipBytes = 127;
    static constexpr int kMaxBalloonTextBytes = 255;
    static constexpr int kMaxBalloonTitleBytes = 63;

    // Balloon icons.
    static constexpr int NIIF_NONE = 0;
    static constexpr int NIIF_INFO = 1;
    static constexpr int NIIF_WARNING = 2;
    static constexpr int NIIF_ERROR = 3;

    // host tells when a tray exists; the tray makes its own when none is given.
    explicit CSystemTray(TrayHost* host = nullptr, QObject* parent = nullptr);
    ~CSystemTray() override;

    // Shows the icon (icon resource iconResource) with its tooltip and menu 1037 unless
    // startHidden; balloonText, when not empty, is shown once at once. False when the desktop
    // has no tray now (the icon comes when one appears).
    bool CreateTrayIcon(const std::string& tooltip, int iconResource, int id, bool startHidden,
                        const std::string& balloonText, const std::string& balloonTitle,
                        int balloonIcon, int timeoutSeconds);
    // Where the menu's commands and the left click go.
    void SetCommandTarget(CommandTarget* target);
    // Removes the icon; called by the destructor.
    void DeleteIcon();

    // True while a tray host shows the icon.
    bool IsAvailable() const;

    // A desktop notification (org.freedesktop.Notifications) from the application "Tivora",
    // replacing the one shown before; the tray's own balloon where no notification server
    // answers. Title and text cut to 63 and 255 bytes on a character boundary. False when there
    // is no tray. The tray item itself (icon, status, tooltip) is left as it is.
    bool ShowTrayBalloon(const std::string& text, const std::string& title, int iconFlags,
                         int timeoutSeconds);

    // Icon resources first..last, in order, for the animation. False when last < first.
    bool LoadAnimationIcons(int first, int last);
    // One icon after the other every periodMs; durationSeconds < 0 (or 0) runs until stopped.
    // False without icons, or when one of them cannot be loaded (they are loaded for the
    // animation). The timer comes from TimerSource::Current().
    bool StartIconAnimation(int periodMs, int durationSeconds);
    // The icon shown before the animation comes back.
    void StopIconAnimation();
    bool IsAnimating() const;

    // Where the icon is on the screen, when the tray says (an XEmbed tray does, a
    // StatusNotifier host does not); nullopt otherwise, also without an icon.
    std::optional<Rect> FindTrayRect() const;

    // For the program's own tests and the gallery: the menu as it is exported.
    QMenu* Menu() const;
    QSystemTrayIcon* Icon() const;
    // The icon resource that the icon shows now (the animation's frame while it runs), also
    // while no tray shows it; 0 before CreateTrayIcon.
    int CurrentIconResource() const { return currentResource_; }

    // Cuts text to at most maxBytes bytes of UTF-8, never inside a character.
    static std::string CutUtf8(const std::string& text, int maxBytes);

signals:
    // The menu is about to open (the update notice may take its place).
    void menuAboutToShow();
    // The user clicked the balloon: the notification, or the tray's own balloon.
    void balloonClicked();

protected:
    // Called with the menu just before it is shown; does nothing here.
    virtual void PrepareMenu(QMenu* menu);

private slots:
    void OnNotificationAction(uint id, const QString& action);
    void OnNotificationClosed(uint id, uint reason);

private:
    struct Balloon {
        QString title;
        QString text;
        int iconFlags = NIIF_NONE;
        int milliseconds = 0;
    };

    std::unique_ptr<QMenu> BuildMenu();
    void MakeIcon();
    void DropIcon();
    static bool IsIconProtocol(TrayHost::Protocol protocol);
    void OnHostAppeared(TrayHost::Protocol protocol);
    void OnHostGone(TrayHost::Protocol protocol);
    void Notify(const Balloon& balloon);
    void ShowOwnBalloon(const Balloon& balloon);
    void ShowIcon(int resource, const QIcon& icon);
    bool LoadFrames();
    void NextAnimationIcon();
    void PostCommand(int id);
    bool HostForIcons() const;

    std::unique_ptr<TrayHost> ownHost_;
    QPointer<TrayHost> host_;
    CommandTarget* target_ = nullptr;
    // Made only while a host is present; the menu is made with it, so that each icon exports
    // a menu of its own.
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QMenu> menu_;

    // The notification shown last (0: none), replaced by the next; a balloon asked for while
    // the server has not yet answered for the previous one waits for its id.
    uint notificationId_ = 0;
    bool notifying_ = false;
    std::optional<Balloon> queuedBalloon_;

    // What CreateTrayIcon asked for, kept to make the icon again when a tray comes back.
    bool wanted_ = false;
    bool startHidden_ = false;
    QString tooltip_;
    int currentResource_ = 0;
    QIcon currentIcon_;

    struct Frame {
        int resource = 0;
        QIcon icon;
    };
    std::vector<int> frameResources_;
    std::vector<Frame> frames_;  // while animating
    std::unique_ptr<TimerSource::Timer> animationTimer_;
    std::size_t frameIndex_ = 0;
    int periodMs_ = 0;
    int durationSeconds_ = 0;
    long ticks_ = 0;
    int resourceBeforeAnimation_ = 0;
    QIcon iconBeforeAnimation_;
};

// Hides window towards the tray, and shows it again from there. An outline flies between the
// window and trayPlace (CSystemTray::FindTrayRect) when the desktop's animations are on, or
// when forced, but only where the tray's place is known: one aimed at a guess would point the
// user to the wrong corner.
void HideToTray(QWidget& window, const std::optional<Rect>& trayPlace, bool forceAnimation);
void RestoreFromTray(QWidget& window, const std::optional<Rect>& trayPlace, bool forceAnimation);
