#include "ui/toolbar/CAllGamesButton.h"

#include "ResourceIds.h"
#include "app/TextTable.h"
#include "platform/desktop/WindowHints.h"
#include "ui/controls/WindowStyles.h"

CAllGamesButton::CAllGamesButton(GamesConfig& games, QWidget* parent)
    : CButtonST(parent), dropDown_(games) {}

bool CAllGamesButton::Create(int x, int y, QWidget* parent, int id) {
    using namespace WindowStyles;
    if (!CButtonST::Create(QString(), WS_CHILD | WS_VISIBLE, Rect::FromSize(x, y, kWidth, kHeight),
                           parent, id)) {
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
    dropDown_.ShowDropDown(corner.x(), corner.y() + 1);
}
