#include "ui/toolbar/CAllGamesButton.h"

#include "ResourceIds.h"
#include "app/TextTable.h"
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

void CAllGamesButton::OnClicked() {
    if (listener_ != nullptr) {
        listener_->OnButtonClicked(GetDlgCtrlID(this));
    }
    if (!dropDownMade_) {
        return;
    }
    const QPoint corner = mapToGlobal(QPoint(0, height()));
    dropDown_.ShowDropDown(corner.x(), corner.y() + 1);
}
