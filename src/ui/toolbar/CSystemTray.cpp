#include "ui/toolbar/CSystemTray.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMenu>
#include <QSystemTrayIcon>
#include <algorithm>
#include <climits>
#include <utility>

#include "ResourceIds.h"
#include "app/ErrorLog.h"
#include "app/Trace.h"
#include "platform/desktop/TrayHost.h"
#include "ui/controls/DialogTemplate.h"
#include "ui/controls/Drawing.h"

namespace {

// Qt asks once per process, when its first tray icon is made, whether a StatusNotifier host
// is there, and from then on makes every icon of that kind (a D-Bus item, or else an XEmbed
// icon). Remembered here so that an icon counts as shown only while a tray of its kind is.
enum class QtTrayKind { Unknown, StatusNotifier, XEmbed };
QtTrayKind g_qtTrayKind = QtTrayKind::Unknown;

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");

// The themed icons a notification server knows for the balloon's icons.
QString NotificationIcon(int flags) {
    switch (flags) {
        case CSystemTray::NIIF_INFO:
            return QStringLiteral("dialog-information");
        case CSystemTray::NIIF_WARNING:
            return QStringLiteral("dialog-warning");
        case CSystemTray::NIIF_ERROR:
            return QStringLiteral("dialog-error");
        default:
            return {};
    }
}

QSystemTrayIcon::MessageIcon BalloonIcon(int flags) {
    switch (flags) {
        case CSystemTray::NIIF_INFO:
            return QSystemTrayIcon::Information;
        case CSystemTray::NIIF_WARNING:
            return QSystemTrayIcon::Warning;
        case CSystemTray::NIIF_ERROR:
            return QSystemTrayIcon::Critical;
        default:
            return QSystemTrayIcon::NoIcon;
    }
}

}  // namespace

CSystemTray::CSystemTray(TrayHost* host, QObject* parent) : QObject(parent), host_(host) {
    if (host_ == nullptr) {
        ownHost_ = std::make_unique<TrayHost>();
        host_ = ownHost_.get();
    }
    connect(host_, &TrayHost::ProtocolAppeared, this, &CSystemTray::OnHostAppeared);
    connect(host_, &TrayHost::ProtocolGone, this, &CSystemTray::OnHostGone);
    menu_ = BuildMenu();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus.connect(kNotifications, kNotificationsPath, kNotifications,
                    QStringLiteral("ActionInvoked"), this,
                    SLOT(OnNotificationAction(uint, QString)));
        bus.connect(kNotifications, kNotificationsPath, kNotifications,
                    QStringLiteral("NotificationClosed"), this,
                    SLOT(OnNotificationClosed(uint, uint)));
    }
}

CSystemTray::~CSystemTray() {
    animationTimer_.reset();
    DeleteIcon();
}

std::unique_ptr<QMenu> CSystemTray::BuildMenu() {
    auto menu = std::make_unique<QMenu>();
    struct Item {
        int id;
        const char* text;
    };
    // 0 is a separator.
    static constexpr Item kItems[] = {
        {Res::ID_SHOW_HIDE, "Show/Hide Tivora"},
        {0, nullptr},
        {Res::ID_SETTINGS, "Settings..."},
        {Res::ID_FAVORITES, "Favorites..."},
        {Res::ID_MY_INFO, "My Info..."},
        {0, nullptr},
        {Res::ID_CHECK_UPDATES, "Check Updates"},
        {Res::ID_ABOUT, "About..."},
        {0, nullptr},
        {Res::ID_EXIT, "Exit"},
    };
    for (const Item& item : kItems) {
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromLatin1(item.text));
        action->setData(item.id);
        const int id = item.id;
        // Queued: the command may open a modal dialog, which must not run inside the
        // delivery of the menu's click (over D-Bus, a call that waits for its answer).
        connect(action, &QAction::triggered, this, [this, id] { PostCommand(id); });
    }
    // The default command is drawn bold, where the menu is drawn by this program.
    QAction* first = menu->actions().front();
    QFont bold = first->font();
    bold.setBold(true);
    first->setFont(bold);
    connect(menu.get(), &QMenu::aboutToShow, this, [this, shown = menu.get()] {
        PrepareMenu(shown);
        emit menuAboutToShow();
    });
    return menu;
}

void CSystemTray::PostCommand(int id) {
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            // The target as it is when the command runs: it may have been withdrawn meanwhile.
            if (target_ != nullptr) {
                target_->OnCommand(id);
            }
        },
        Qt::QueuedConnection);
}

bool CSystemTray::CreateTrayIcon(const std::string& tooltip, int iconResource, int id,
                                 bool startHidden, const std::string& balloonText,
                                 const std::string& balloonTitle, int balloonIcon,
                                 int timeoutSeconds) {
    const QIcon icon = LoadIcon(iconResource);
    if (icon.isNull()) {
        LogError("Unable to load the tray icon " + std::to_string(iconResource));
        return false;
    }
    DropIcon();
    wanted_ = true;
    startHidden_ = startHidden;
    tooltip_ = QString::fromUtf8(CutUtf8(tooltip, kMaxTipBytes));
    if (animationTimer_ != nullptr) {
        // A running animation goes on; its end puts back the new icon.
        resourceBeforeAnimation_ = iconResource;
        iconBeforeAnimation_ = icon;
    } else {
        currentResource_ = iconResource;
        currentIcon_ = icon;
    }
    if (!HostForIcons()) {
        Trace("No tray on the desktop: the tray icon " + std::to_string(id) + " waits for one");
        return false;
    }
    MakeIcon();
    if (!balloonText.empty()) {
        ShowTrayBalloon(balloonText, balloonTitle, balloonIcon, timeoutSeconds);
    }
    return true;
}

void CSystemTray::MakeIcon() {
    // Qt chooses between a D-Bus item and an XEmbed icon when the icon is made: make it only
    // now that a tray is there, and anew for a tray that came back.
    DropIcon();
    if (g_qtTrayKind == QtTrayKind::Unknown) {
        g_qtTrayKind = host_->HasStatusNotifier() ? QtTrayKind::StatusNotifier : QtTrayKind::XEmbed;
    }
    icon_ = std::make_unique<QSystemTrayIcon>();
    icon_->setIcon(currentIcon_);
    icon_->setToolTip(tooltip_);
    icon_->setContextMenu(menu_.get());
    // The tray's own balloon, where no notification server shows them. Only an XEmbed icon has
    // one: Qt's D-Bus item reports a click on any notification on the desktop as its own.
    if (g_qtTrayKind == QtTrayKind::XEmbed) {
        connect(icon_.get(), &QSystemTrayIcon::messageClicked, this, &CSystemTray::balloonClicked);
    }
    connect(icon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    PostCommand(Res::ID_SHOW_HIDE);
                }
            });
    if (!startHidden_) {
        icon_->show();
    }
    Trace("Tray icon added");
}

void CSystemTray::DropIcon() {
    if (icon_ == nullptr) {
        return;
    }
    // The icon first: it still refers to its menu while it goes. The menu stays with the icon
    // that exported it (it may be the one whose signal runs now); the next icon gets a new one.
    icon_.reset();
    menu_.release()->deleteLater();
    menu_ = BuildMenu();
}

bool CSystemTray::HostForIcons() const {
    if (host_ == nullptr) {
        return false;  // the watch ended before the tray
    }
    switch (g_qtTrayKind) {
        case QtTrayKind::StatusNotifier:
            return host_->HasStatusNotifier();
        case QtTrayKind::XEmbed:
            return host_->HasXEmbed();
        case QtTrayKind::Unknown:
            break;
    }
    return host_->IsPresent();
}

bool CSystemTray::IsIconProtocol(TrayHost::Protocol protocol) {
    switch (g_qtTrayKind) {
        case QtTrayKind::StatusNotifier:
            return protocol == TrayHost::Protocol::StatusNotifier;
        case QtTrayKind::XEmbed:
            return protocol == TrayHost::Protocol::XEmbed;
        case QtTrayKind::Unknown:
            break;
    }
    return true;
}

void CSystemTray::OnHostAppeared(TrayHost::Protocol protocol) {
    if (!wanted_) {
        return;
    }
    // A panel that is both kinds of tray comes back as both: only the kind that shows this
    // process's icons gets the icon again, so that one appearance makes one registration.
    if (!IsIconProtocol(protocol) || !HostForIcons()) {
        Trace("A tray appeared of a kind this program's tray icon cannot use");
        return;
    }
    Trace("A tray appeared: the tray icon is added again");
    MakeIcon();
}

void CSystemTray::OnHostGone(TrayHost::Protocol protocol) {
    if (!IsIconProtocol(protocol)) {
        return;
    }
    if (icon_ != nullptr) {
        Trace("The tray went away: the tray icon waits for another");
    }
    DropIcon();
}

void CSystemTray::SetCommandTarget(CommandTarget* target) {
    target_ = target;
}

void CSystemTray::DeleteIcon() {
    wanted_ = false;
    DropIcon();
}

bool CSystemTray::IsAvailable() const {
    return icon_ != nullptr && icon_->isVisible() && HostForIcons();
}

bool CSystemTray::ShowTrayBalloon(const std::string& text, const std::string& title, int iconFlags,
                                  int timeoutSeconds) {
    if (!IsAvailable()) {
        return false;
    }
    Balloon balloon{QString::fromUtf8(CutUtf8(title, kMaxBalloonTitleBytes)),
                    QString::fromUtf8(CutUtf8(text, kMaxBalloonTextBytes)), iconFlags,
                    std::clamp(timeoutSeconds, 0, INT_MAX / 1000) * 1000};
    if (notifying_) {
        // The answer to the previous one brings its id, which this one is to replace.
        queuedBalloon_ = std::move(balloon);
        return true;
    }
    Notify(balloon);
    return true;
}

void CSystemTray::Notify(const Balloon& balloon) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        ShowOwnBalloon(balloon);
        return;
    }
    // Sent by the program itself rather than through Qt's tray icon, which shows a balloon
    // only on a StatusNotifier tray and there turns the item to "needs attention" with the
    // balloon's text as tooltip, hiding the animation and the tooltip.
    QDBusMessage notify = QDBusMessage::createMethodCall(kNotifications, kNotificationsPath,
                                                         kNotifications, QStringLiteral("Notify"));
    notify << QStringLiteral("Tivora") << notificationId_ << NotificationIcon(balloon.iconFlags)
           << balloon.title << balloon.text
           << QStringList{QStringLiteral("default"), QStringLiteral("Show")}
           << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("tivora")}}
           << balloon.milliseconds;
    notifying_ = true;
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, balloon](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                notifying_ = false;
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    // No notification server on the desktop: the tray shows the balloon.
                    Trace("No notification server: " + reply.error().message().toStdString());
                    notificationId_ = 0;
                    ShowOwnBalloon(balloon);
                } else {
                    notificationId_ = reply.value();
                }
                if (queuedBalloon_) {
                    const Balloon next = *std::exchange(queuedBalloon_, std::nullopt);
                    Notify(next);
                }
            });
}

void CSystemTray::ShowOwnBalloon(const Balloon& balloon) {
    if (IsAvailable()) {
        icon_->showMessage(balloon.title, balloon.text, BalloonIcon(balloon.iconFlags),
                           balloon.milliseconds);
    }
}

void CSystemTray::OnNotificationAction(uint id, const QString& action) {
    if (id != 0 && id == notificationId_ && action == QLatin1String("default")) {
        emit balloonClicked();
    }
}

void CSystemTray::OnNotificationClosed(uint id, uint) {
    // A closed notification is not replaced: the next one is a new one.
    if (id == notificationId_) {
        notificationId_ = 0;
    }
}

bool CSystemTray::LoadAnimationIcons(int first, int last) {
    frameResources_.clear();
    if (last < first) {
        return false;
    }
    for (int resource = first; resource <= last; ++resource) {
        frameResources_.push_back(resource);
    }
    return true;
}

bool CSystemTray::LoadFrames() {
    // Decoded for an animation and dropped after it: a dozen icons of six sizes each, kept for
    // an update that seldom comes, were the largest part of the bar's heap.
    std::vector<Frame> frames;
    for (int resource : frameResources_) {
        QIcon icon = LoadIcon(resource);
        if (icon.isNull()) {
            LogError("Unable to load the tray animation's icon " + std::to_string(resource));
            return false;
        }
        frames.push_back({resource, std::move(icon)});
    }
    frames_ = std::move(frames);
    return true;
}

bool CSystemTray::StartIconAnimation(int periodMs, int durationSeconds) {
    if (frameResources_.empty()) {
        return false;
    }
    StopIconAnimation();
    if (!LoadFrames()) {
        return false;
    }
    frameIndex_ = 0;
    ticks_ = 0;
    periodMs_ = std::max(1, periodMs);
    durationSeconds_ = durationSeconds;
    resourceBeforeAnimation_ = currentResource_;
    iconBeforeAnimation_ = currentIcon_;
    animationTimer_ = TimerSource::Current().Start(periodMs_, [this] {
        ++ticks_;
        // Whole seconds, rounded; a duration of 0 or less never ends.
        const long elapsedSeconds = (ticks_ * periodMs_ + 500) / 1000;
        if (durationSeconds_ > 0 && elapsedSeconds > durationSeconds_) {
            StopIconAnimation();
        } else {
            NextAnimationIcon();
        }
    });
    return true;
}

void CSystemTray::NextAnimationIcon() {
    frameIndex_ = (frameIndex_ + 1) % frames_.size();
    const Frame& frame = frames_[frameIndex_];
    ShowIcon(frame.resource, frame.icon);
}

void CSystemTray::StopIconAnimation() {
    if (animationTimer_ == nullptr) {
        return;
    }
    animationTimer_.reset();
    frames_.clear();
    ShowIcon(resourceBeforeAnimation_, iconBeforeAnimation_);
}

bool CSystemTray::IsAnimating() const {
    return animationTimer_ != nullptr;
}

void CSystemTray::ShowIcon(int resource, const QIcon& icon) {
    currentResource_ = resource;
    currentIcon_ = icon;
    if (icon_ != nullptr) {
        icon_->setIcon(icon);
    }
}

std::optional<Rect> CSystemTray::FindTrayRect() const {
    if (icon_ != nullptr) {
        const QRect geometry = icon_->geometry();
        if (geometry.isValid() && !geometry.isEmpty()) {
            return Rect::FromQRect(geometry);
        }
    }
    return std::nullopt;
}

QMenu* CSystemTray::Menu() const {
    return menu_.get();
}

QSystemTrayIcon* CSystemTray::Icon() const {
    return icon_.get();
}

std::string CSystemTray::CutUtf8(const std::string& text, int maxBytes) {
    if (maxBytes <= 0) {
        return {};
    }
    const auto limit = static_cast<std::size_t>(maxBytes);
    if (text.size() <= limit) {
        return text;
    }
    std::size_t cut = limit;
    // A continuation byte just past the cut means a character straddles it: drop it whole.
    // A character is at most four bytes; longer runs are not UTF-8 and are cut where they are.
    for (int back = 0; back < 4 && cut > 0; ++back) {
        if ((static_cast<unsigned char>(text[cut]) & 0xC0) != 0x80) {
            return text.substr(0, cut);
        }
        --cut;
    }
    return text.substr(0, limit);
}

void CSystemTray::PrepareMenu(QMenu*) {}
