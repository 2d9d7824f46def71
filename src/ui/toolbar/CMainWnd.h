#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "config/GamesConfig.h"
#include "config/WindowSection.h"
#include "platform/desktop/Rect.h"
#include "ui/controls/CaretBlinkLimit.h"
#include "ui/controls/DialogTemplate.h"
#include "ui/controls/SurfaceDrag.h"
#include "ui/controls/TimerSource.h"
#include "ui/dialogs/CAppSettingsDialog.h"
#include "ui/toolbar/ControlButtonsPanel.h"
#include "ui/toolbar/FavoritesPanel.h"
#include "ui/toolbar/SearchPanel.h"
#include "ui/toolbar/SettingsPanel.h"

class CAboutDialog;
class CSystemTray;
class CUpdateInformation;
class TrayHost;
class UpdateNotice;
class UpdateSection;

// The bar: an always-on-top strip without a taskbar entry that the user drags where he likes,
// in normal or mini size, with its four panels and its tray icon. It turns the tray menu's
// commands and the update check's outcome into actions, and keeps its place, size, visibility
// and stacking in the settings' window section.
class CMainWnd : public QWidget, public TopmostListener, public CommandTarget {
    Q_OBJECT
public:
    // A shown bar asks for the tray after its first paint, or this long after Create at the
    // latest (a display that never shows it).
    static constexpr int kTrayWatchLatestMs = 1000;

    struct Parts {
        GamesConfig& games;
        WindowSection& window;
        UpdateSection& update;
        // The settings dialog; when null, the program's own over the process-wide settings,
        // made when first opened.
        std::unique_ptr<CAppSettingsDialog> settingsDialog;
        // Tells when the desktop has a tray; the tray icon makes its own when null.
        TrayHost* trayHost = nullptr;
    };

    explicit CMainWnd(Parts parts);
    ~CMainWnd() override;

    // Makes the window at its stored place, its controls and its tray icon, and shows it
    // unless it was hidden at the last exit (and a tray can show it). False when a panel
    // could not make its controls.
    bool Create();

    // The window's rectangle for a stored top-left corner and size mode on a desktop of the
    // given area: a window wholly left of or above the desktop comes to its edge, one whose
    // corner lies on or past its right or bottom edge comes back just inside; one partly off
    // stays.
    static Rect StartRect(int left, int top, SizeMode size, const Rect& desktop);
    // Whether a window on the named Qt platform can place itself and stay above the others: a
    // Wayland client can do neither (the program runs through XWayland where it can).
    static bool PlacesItself(const QString& platformName);

    void TopmostChanged(bool alwaysOnTop) override;
    // Every command of the bar arrives here: the tray menu's, and each control's click by its
    // identifier (Res::IDC_*), exactly once.
    void OnCommand(int id) override;

    CSystemTray& Tray() const { return *tray_; }
    UpdateNotice& Notice() const { return *notice_; }
    SearchPanel& GetSearchPanel() { return searchPanel_; }
    FavoritesPanel& GetFavoritesPanel() { return favoritesPanel_; }
    SettingsPanel& GetSettingsPanel() { return settingsPanel_; }
    ControlButtonsPanel& GetControlButtonsPanel() { return controlButtonsPanel_; }
    // Made when first asked for, not with the bar: no dialog delays the bar's first paint.
    CAboutDialog& About();

    // Draws the background as it is painted on screen.
    void PaintBackground(QPainter& painter) const;

    // The bar's controls in the order of its picture: the top row from the left (the search box
    // and its button), then the bottom row (the favourites, all games, settings), then the
    // column at the right edge from the top (hide, size); those the size has.
    std::vector<QWidget*> Controls() const;
    // Those that Tab walks, in that order: the ones that take the keyboard now.
    std::vector<QWidget*> TabStops() const;

signals:
    // "Check Updates": an immediate check that reports every outcome.
    void checkUpdatesRequested();
    // "Exit".
    void exitRequested();

protected:
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    bool CreatePanels();
    void DestroyPanels();
    void Relayout();
    // The size button: the other size, saved, and the bar rebuilt in it at the same corner.
    void ToggleSize();
    // Where the window is on the screen now, while it is shown (see PlaceOnScreen).
    std::optional<QPoint> PlaceOnScreenNow() const;
    void ShowHide();
    void HideToTrayIfPossible();
    void Restore();
    void OnTrayMenuOpening();
    void OnTrayGone();
    void ComeForward(const std::string& token);
    void ShowAbout();
    void ApplyStacking();
    void WatchTray();

    WindowSection& window_;
    FavoritesPanel favoritesPanel_;
    SettingsPanel settingsPanel_;
    ControlButtonsPanel controlButtonsPanel_;
    SearchPanel searchPanel_;
    std::unique_ptr<CAboutDialog> about_;
    std::unique_ptr<TrayHost> ownTrayHost_;
    TrayHost* trayHost_ = nullptr;
    std::unique_ptr<TimerSource::Timer> trayWatchLimit_;
    std::unique_ptr<CSystemTray> tray_;
    std::unique_ptr<UpdateNotice> notice_;
    WindowSection::TopmostRegistration topmostRegistration_;
    SurfaceDrag drag_;
    CaretBlinkLimit caretBlink_;
    bool created_ = false;
    bool painted_ = false;
};
