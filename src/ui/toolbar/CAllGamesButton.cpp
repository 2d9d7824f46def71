#include "ui/toolbar/CAllGamesButton.h"

#include <QKeyEvent>

#include "ResourceIds.h"
#include "app/TextTable.h"
#include "platform/desktop/WindowHints.h"
#include "ui/controls/FocusCues.h"
#include "ui/controls/WindowStyles.h"
#include "ui/toolbar/BarAccessible.h"

CAllGamesButton::CAllGamesButton(GamesConfig& games, QWidget* parent)
    : CButtonST(parent), dropDown_(games, this) {
    BarAccessible::Install();
}

bool CAllGamesButton::Create(int x, int y, QWidget* parent, int id) {
    using namespace WindowStyles;
    if (!CButtonST::Create(QString(), WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                           Rect::FromSize(x, y, kWidth, kHeight), parent, id)) {
        return false;
    }
    LoadPictures(Res::IDB_ALL_GAMES, kKeyColor, Res::IDB_ALL_GAMES, kKeyColor);
    EnableBorder(false, false);
    UseParentBackground(false);
    UseBalloonTip();
    SetTip(QString::fromStdString(GetText("main.buttons.allgames.tooltip")), true);
    dropDownMade_ = dropDown_.CreateWindow();
    return true;
}

void CAllGamesButton::OpenDropDown() {
    if (!dropDownMade_) {
        return;
    }
    // Under the button where the bar really is: Qt's idea of the bar's place can lag behind the
    // window manager's right after the bar shows or is dragged.
    const QWidget& bar = *window();
    const QPoint corner =
        PlaceOnScreen(bar).value_or(bar.mapToGlobal(QPoint())) + mapTo(&bar, QPoint(0, height()));
    // Opened with the keyboard (Space, Enter or Down), the list's first row is picked for the
    // keys to go on from.
    dropDown_.ShowDropDown(corner.x(), corner.y() + 1, FocusCues::Shown());
}

void CAllGamesButton::keyPressEvent(QKeyEvent* event) {
    // Down opens the list, as on a drop-down box: the same click as the mouse's.
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat()) {
            click();
        }
        return;
    }
    CButtonST::keyPressEvent(event);
}
