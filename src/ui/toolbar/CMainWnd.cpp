#include "ui/toolbar/CMainWnd.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "ResourceIds.h"
#include "app/ComeForwardEvent.h"
#include "app/ErrorLog.h"
#include "app/Resources.h"
#include "app/StartupTrace.h"
#include "app/Trace.h"
#include "config/UpdateSection.h"
#include "platform/desktop/TrayHost.h"
#include "platform/desktop/WindowHints.h"
#include "services/UpdateEvents.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/Modal.h"
#include "ui/dialogs/CAboutDialog.h"
#include "ui/dialogs/CAppSettingsDialog.h"
#include "ui/toolbar/BarAccessible.h"
#include "ui/toolbar/BarGeometry.h"
#include "ui/toolbar/CControlButton.h"
#include "ui/toolbar/CSystemTray.h"
#include "ui/toolbar/UpdateNotice.h"

namespace {

// The whole desktop: every screen together.
Rect DesktopRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return Rect{0, 0, 0, 0};
    }
    return Rect::FromQRect(screen->virtualGeometry());
}

}  // namespace

CMainWnd::CMainWnd(Parts parts)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool),
      window_(parts.window),
      favoritesPanel_(parts.games, parts.window),
      settingsPanel_(parts.window, std::move(parts.settingsDialog)),
      controlButtonsPanel_(parts.window),
      searchPanel_(parts.games, parts.window) {
    if (parts.trayHost == nullptr) {
        // Asked once the bar is on the screen, or before deciding on a hidden start (Create).
        ownTrayHost_ = std::make_unique<TrayHost>(nullptr, false);
        parts.trayHost = ownTrayHost_.get();
    }
    trayHost_ = parts.trayHost;
    tray_ = std::make_unique<CSystemTray>(trayHost_);
    notice_ = std::make_unique<UpdateNotice>(parts.update, *tray_, this);
    // The bar paints every pixel of itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    BarAccessible::Install();
    Trace("Main window instantiated");
    StartupTrace::Mark("window-object");
}

CMainWnd::~CMainWnd() {
    // The place saved at exit is where the window is, also when the window manager's report of
    // the last move is still on its way.
    if (const std::optional<QPoint> place = PlaceOnScreenNow()) {
        window_.left = place->x();
        window_.top = place->y();
    }
    Trace("Main window destroyed");
    topmostRegistration_ = {};
    Trace("Main window deleted");
    notice_.reset();
    tray_.reset();
    about_.reset();
    DestroyPanels();
}

Rect CMainWnd::StartRect(int left, int top, SizeMode mode, const Rect& desktop) {
    const QSize size = BarGeometry::SizeOf(mode);
    Rect rect{left, top, left + size.width(), top + size.height()};
    if (rect.right <= desktop.left) {
        rect.left = desktop.left;
        rect.right = desktop.left + size.width();
    }
    if (rect.bottom <= desktop.top) {
        rect.top = desktop.top;
        rect.bottom = desktop.top + size.height();
    }
    // The desktop's right and bottom edges are exclusive: a corner on them is already off it.
    if (rect.left >= desktop.right) {
        rect.right = desktop.right;
        rect.left = desktop.right - size.width();
    }
    if (rect.top >= desktop.bottom) {
        rect.bottom = desktop.bottom;
        rect.top = desktop.bottom - size.height();
    }
    return rect;
}

bool CMainWnd::PlacesItself(const QString& platformName) {
    return !platformName.startsWith(QLatin1String("wayland"));
}

bool CMainWnd::Create() {
    topmostRegistration_ = window_.AddTopmostListener(*this);
    setWindowFlag(Qt::WindowStaysOnTopHint, window_.AlwaysOnTop() != 0);
    setWindowTitle(QString::fromStdString(Resources::LoadString(Res::IDS_MAIN_WINDOW_TITLE)));
    const Rect start = StartRect(window_.left, window_.top, window_.Size(), DesktopRect());
    setGeometry(start.ToQRect());
    setFixedSize(start.Width(), start.Height());
    ApplyToolbarHints(*this);
    if (!PlacesItself(QGuiApplication::platformName())) {
        LogError(
            "Running as a Wayland client without XWayland: the bar cannot keep its position "
            "or stay above other windows");
    }

    const bool panelsMade = CreatePanels();
    StartupTrace::Mark("panels");

    // Only a tray can show a bar that was hidden at the last exit: that start waits for the
    // answer. Any other start shows the bar first and asks after its first paint, since the
    // question (and Qt's own, when the icon is made) waits on the session bus.
    if (window_.hidden != 0) {
        WatchTray();
    } else {
        trayWatchLimit_ = TimerSource::Current().Start(kTrayWatchLatestMs, [this] { WatchTray(); });
    }
    tray_->CreateTrayIcon("Tivora", Res::IDI_TRAY, Res::IDR_TRAY_MENU, false, "", "",
                          CSystemTray::NIIF_NONE, UpdateNotice::kBalloonSeconds);
    tray_->SetCommandTarget(this);
    tray_->LoadAnimationIcons(Res::IDI_TRAY_FRAME_FIRST, Res::IDI_TRAY_FRAME_LAST);
    connect(tray_.get(), &CSystemTray::menuAboutToShow, this, &CMainWnd::OnTrayMenuOpening);
    // The balloon that announces a release asks for a click: it shows the release as a click
    // on the icon would. Queued: the click may come from inside the balloon's own input.
    connect(
        tray_.get(), &CSystemTray::balloonClicked, this,
        [this] {
            if (notice_->IsPending()) {
                notice_->Show();
            }
        },
        Qt::QueuedConnection);
    // Any tray going may be the one that shows the icon (a panel can be two kinds at once).
    connect(trayHost_, &TrayHost::ProtocolGone, this, &CMainWnd::OnTrayGone);
    created_ = true;
    StartupTrace::Mark("tray-icon");

    // Hidden at the last exit: the tray icon alone shows, if there is a tray to show it in.
    if (window_.hidden != 0 && !tray_->IsAvailable()) {
        Trace("No tray to hide the bar in: the bar is shown");
        window_.hidden = 0;
    }
    if (window_.hidden == 0) {
        show();
        StartupTrace::Mark("shown");
    }
    return panelsMade;
}

bool CMainWnd::CreatePanels() {
    bool made = searchPanel_.Create(this);
    made = favoritesPanel_.Create(this) && made;
    made = settingsPanel_.Create(this) && made;
    made = controlButtonsPanel_.Create(this) && made;
    return made;
}

void CMainWnd::DestroyPanels() {
    settingsPanel_.Destroy();
    controlButtonsPanel_.Destroy();
    favoritesPanel_.Destroy();
    searchPanel_.Destroy();
}

std::optional<QPoint> CMainWnd::PlaceOnScreenNow() const {
    return created_ && isVisible() ? PlaceOnScreen(*this) : std::nullopt;
}

void CMainWnd::Relayout() {
    // A keyboard user who pressed the size button stays on it in the new size.
    QWidget* focused = focusWidget();
    const int focusedId = focused != nullptr && focused->hasFocus() ? GetDlgCtrlID(focused) : 0;
    DestroyPanels();
    const QSize size = BarGeometry::SizeOf(window_.Size());
    // A resize sends the corner that Qt believes in along with the size: it must be the real one,
    // or the bar jumps to a stale place.
    if (const std::optional<QPoint> place = PlaceOnScreenNow(); place && *place != pos()) {
        move(*place);
    }
    setFixedSize(size);
    CreatePanels();
    update();
    if (focusedId != 0) {
        const std::vector<QWidget*> stops = TabStops();
        const auto same = std::find_if(stops.begin(), stops.end(), [focusedId](QWidget* stop) {
            return GetDlgCtrlID(stop) == focusedId;
        });
        if (same != stops.end()) {
            (*same)->setFocus(Qt::OtherFocusReason);
        } else if (!stops.empty()) {
            stops.front()->setFocus(Qt::OtherFocusReason);
        }
    }
}

std::vector<QWidget*> CMainWnd::Controls() const {
    std::vector<QWidget*> order{searchPanel_.Edit(), searchPanel_.Button()};
    for (int i = 0; i < FavoritesPanel::kButtonCount; ++i) {
        order.push_back(favoritesPanel_.GameButton(i));
    }
    order.push_back(favoritesPanel_.AllGamesButton());
    order.push_back(settingsPanel_.Button());
    order.push_back(controlButtonsPanel_.HideButton());
    order.push_back(controlButtonsPanel_.SizeButton());
    order.erase(std::remove(order.begin(), order.end(), nullptr), order.end());
    return order;
}

std::vector<QWidget*> CMainWnd::TabStops() const {
    std::vector<QWidget*> stops;
    for (QWidget* control : Controls()) {
        if (control->isVisibleTo(this) && control->isEnabled() &&
            (control->focusPolicy() & Qt::TabFocus) != 0) {
            stops.push_back(control);
        }
    }
    return stops;
}

bool CMainWnd::focusNextPrevChild(bool next) {
    // The controls are made again whenever the favourites or the size change, in an order of
    // their own: Tab follows the bar's picture, not the order they were made in.
    const std::vector<QWidget*> stops = TabStops();
    if (stops.empty()) {
        return false;
    }
    const auto count = static_cast<int>(stops.size());
    const auto at = std::find(stops.begin(), stops.end(), focusWidget());
    int index = at != stops.end() ? static_cast<int>(at - stops.begin()) : (next ? -1 : 0);
    index = (index + (next ? 1 : -1) + count) % count;
    stops[static_cast<std::size_t>(index)]->setFocus(next ? Qt::TabFocusReason
                                                          : Qt::BacktabFocusReason);
    return true;
}

void CMainWnd::PaintBackground(QPainter& painter) const {
    // What the window class paints before the panels.
    painter.fillRect(rect(), QColor::fromRgb(BarGeometry::kBackgroundColor));
    searchPanel_.Paint(painter);
    favoritesPanel_.Paint(painter);
}

void CMainWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintBackground(painter);
    if (!painted_) {
        painted_ = true;
        StartupTrace::Mark("first-paint");
        // Once this paint has gone to the display.
        QMetaObject::invokeMethod(this, &CMainWnd::WatchTray, Qt::QueuedConnection);
    }
}

void CMainWnd::WatchTray() {
    trayWatchLimit_.reset();
    trayHost_->Watch();
}

void CMainWnd::mousePressEvent(QMouseEvent* event) {
    if (drag_.Press(*this, *event)) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CMainWnd::mouseMoveEvent(QMouseEvent* event) {
    if (drag_.Move(*this, *event)) {
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void CMainWnd::mouseReleaseEvent(QMouseEvent* event) {
    drag_.Release();
    QWidget::mouseReleaseEvent(event);
}

void CMainWnd::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (created_) {
        window_.left = pos().x();
        window_.top = pos().y();
    }
}

bool CMainWnd::event(QEvent* event) {
    switch (static_cast<int>(event->type())) {
        case UpdateAvailableEvent::kType:
            notice_->Available(static_cast<UpdateAvailableEvent*>(event)->manifest);
            return true;
        case UpdateResultEvent::kType:
            notice_->Result(static_cast<UpdateResultEvent*>(event)->code);
            return true;
        case ComeForwardEvent::kType:
            ComeForward(static_cast<ComeForwardEvent*>(event)->Token());
            event->accept();
            return true;
        case QEvent::WindowActivate:
            // The first time the bar has the keyboard, it starts on the first control in the
            // Tab order, whichever control was made first.
            if (focusWidget() == nullptr) {
                if (const std::vector<QWidget*> stops = TabStops(); !stops.empty()) {
                    stops.front()->setFocus(Qt::ActiveWindowFocusReason);
                }
            }
            return QWidget::event(event);
        default:
            return QWidget::event(event);
    }
}

void CMainWnd::OnCommand(int id) {
    switch (id) {
        case Res::IDC_SIZE:
            ToggleSize();
            break;
        case Res::IDC_HIDE_TO_TRAY:
            HideToTrayIfPossible();
            break;
        case Res::ID_SHOW_HIDE:
            ShowHide();
            break;
        case Res::ID_SETTINGS:
            settingsPanel_.OpenSettingsPage(CAppSettingsDialog::kApplicationPage);
            break;
        case Res::ID_FAVORITES:
            settingsPanel_.OpenSettingsPage(CAppSettingsDialog::kFavoritesPage);
            break;
        case Res::ID_MY_INFO:
            settingsPanel_.OpenSettingsPage(CAppSettingsDialog::kMyInfoPage);
            break;
        case Res::ID_CHECK_UPDATES:
            emit checkUpdatesRequested();
            break;
        case Res::ID_ABOUT:
            ShowAbout();
            break;
        case Res::ID_EXIT:
            emit exitRequested();
            break;
        default:
            // The panels' own controls; an identifier that none knows does nothing.
            if (!searchPanel_.OnCommand(id) && !favoritesPanel_.OnCommand(id)) {
                settingsPanel_.OnCommand(id);
            }
            break;
    }
}

void CMainWnd::ToggleSize() {
    window_.SetSize(window_.Size() == SizeMode::Mini ? SizeMode::Normal : SizeMode::Mini);
    window_.RequestSave();
    Relayout();
}

void CMainWnd::ShowHide() {
    if (notice_->IsPending()) {
        notice_->Show();
        return;
    }
    if (isVisible()) {
        HideToTrayIfPossible();
    } else {
        Restore();
    }
}

void CMainWnd::HideToTrayIfPossible() {
    // Without a tray nothing would be left to bring the bar back with.
    if (!tray_->IsAvailable()) {
        Trace("No tray to hide the bar in: the bar stays");
        return;
    }
    HideToTray(*this, tray_->FindTrayRect(), false);
    window_.hidden = 1;
}

void CMainWnd::Restore() {
    RestoreFromTray(*this, tray_->FindTrayRect(), false);
    window_.hidden = 0;
    ApplyStacking();
}

void CMainWnd::ComeForward(const std::string& token) {
    // Another start of the program: the user wants the bar, wherever it is now.
    if (!isVisible()) {
        Restore();
    }
    ActivateWithToken(*this, token);
}

void CMainWnd::OnTrayGone() {
    if (isHidden() && created_ && !tray_->IsAvailable()) {
        Trace("The tray went away: the bar is shown");
        Restore();
    }
}

void CMainWnd::OnTrayMenuOpening() {
    if (notice_->IsPending()) {
        // The menu's opening is a call from the desktop: the dialog runs after it returns.
        QMetaObject::invokeMethod(
            this, [this] { notice_->Show(); }, Qt::QueuedConnection);
    }
}

CAboutDialog& CMainWnd::About() {
    if (!about_) {
        about_ = std::make_unique<CAboutDialog>(this);
    }
    return *about_;
}

void CMainWnd::ShowAbout() {
    Modal::ExecOrRaise(About());
}

void CMainWnd::TopmostChanged(bool) {
    ApplyStacking();
}

void CMainWnd::ApplyStacking() {
    SetKeepAbove(*this, window_.AlwaysOnTop() != 0);
}
