#include "ui/toolbar/CAllGamesDropDown.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

#include "config/Game.h"
#include "config/GamesConfig.h"
#include "launch/LaunchGame.h"
#include "ui/controls/WindowStyles.h"

CAllGamesDropDown::CAllGamesDropDown(GamesConfig& games, QWidget* owner)
    : games_(games), owner_(owner) {
    SetPopupMode(true);
    setAccessibleName(QStringLiteral("All games"));
    // Another program coming forward closes the list, as a click outside would.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive && isVisible()) {
                    Hide();
                }
            });
}

bool CAllGamesDropDown::CreateWindow() {
    using namespace WindowStyles;
    if (!CreateEx(WS_EX_TOOLWINDOW, WS_POPUP, Rect{0, 0, kWidth, kCreateHeight}, nullptr, 0)) {
        return false;
    }
    hoverTracking = true;
    update();
    SetImageList(&games_.GetGameImages());
    return true;
}

void CAllGamesDropDown::FillDropDown() {
    std::vector<GamesListItem> rows;
    const std::unique_ptr<GamesIterator> games = games_.CreateFullIterator();
    while (games->HasNext()) {
        const Game& game = games->Next();
        if (game.isFavorite) {
            continue;
        }
        GamesListItem row;
        row.text = game.name;
        row.image = games_.GetImageIndex(game);
        row.data = &game;
        rows.push_back(std::move(row));
    }
    SetItems(std::move(rows));
}

const Game* CAllGamesDropDown::GameAt(int row) const {
    return static_cast<const Game*>(GetItemData(row));
}

Rect CAllGamesDropDown::PlaceDropDown(int x, int y, int width, int rowCount, int rowHeight,
                                      const Rect& screen) {
    const int height =
        rowCount > 0 ? std::clamp(rowCount, kMinRows, kMaxRows) * rowHeight : kEmptyHeight;
    Rect place = Rect::FromSize(x, y, width, height);
    if (place.bottom > screen.bottom) {
        const int overflow = place.bottom - screen.bottom;
        place.top -= overflow;
        place.bottom -= overflow;
    }
    if (place.right > screen.right) {
        const int overflow = place.right - screen.right;
        place.left -= overflow;
        place.right -= overflow;
    }
    return place;
}

void CAllGamesDropDown::ShowDropDown(int x, int y, bool fromKeyboard) {
    FillDropDown();
    Rect row;
    const int rowHeight = GetItemRect(0, row, kPartRow) != 0 ? row.Height() : 0;
    // The screen of the button: the point just above the list's corner is on it.
    const QScreen* screen = QGuiApplication::screenAt(QPoint(x, y - 1));
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const Rect area = screen != nullptr ? Rect::FromQRect(screen->geometry()) : Rect{};
    const Rect place = PlaceDropDown(x, y, width(), GetItemCount(), rowHeight, area);
    rollOutOnNextPaint = true;
    setGeometry(place.ToQRect());
    show();
    raise();
    activateWindow();
    setFocus(Qt::PopupFocusReason);
    if (fromKeyboard) {
        HighlightFromKeyboard(0);
    }
}

void CAllGamesDropDown::ActivateRow(int index) {
    if (index < 0 || index >= GetItemCount()) {
        return;
    }
    if (const Game* game = GameAt(index)) {
        LaunchGame(GameLaunch::Of(*game));
    }
    Hide();
}

void CAllGamesDropDown::Hide() {
    ReleaseCapture();
    hide();
}

void CAllGamesDropDown::OnSetCursor() {
    setCursor(Qt::PointingHandCursor);
}

void CAllGamesDropDown::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        Hide();
        CGamesList::mousePressEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        CGamesList::mousePressEvent(event);
        return;
    }
    if (!rect().contains(point)) {
        Hide();
        event->accept();
        return;
    }
    ActivateRow(HitTest(point));
    CGamesList::mousePressEvent(event);
}

void CAllGamesDropDown::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Hide();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        if (!event->isAutoRepeat()) {
            ActivateRow(CurrentIndex());
        }
        return;
    }
    CGamesList::keyPressEvent(event);
}

void CAllGamesDropDown::focusOutEvent(QFocusEvent* event) {
    // A pop-up loses the focus only to another window, never to its own children.
    if (event->reason() != Qt::PopupFocusReason) {
        Hide();
    }
    CGamesList::focusOutEvent(event);
}
