#include "ui/controls/TivoraButtons.h"

#include "ResourceIds.h"
#include "platform/desktop/Fonts.h"
#include "ui/controls/WindowStyles.h"

namespace {

void WhiteText(CButtonST& button) {
    for (int index : {CButtonST::kTextIn, CButtonST::kTextOut, CButtonST::kTextFocus}) {
        button.SetStateColors(index, Qt::white, false);
    }
}

}  // namespace

CTivoraButton::CTivoraButton(QWidget* parent) : CButtonST(parent) {
    setFont(Fonts::Make("Tahoma", 11, 400));
}

void CTivoraButton::OnSubclassed() {
    setGeometry(x(), y(), kWidth, kHeight);
    LoadPictures(Res::IDB_BUTTON_HOT, kKeyColor, Res::IDB_BUTTON, kKeyColor);
    EnableBorder(false, false);
    UseParentBackground(false);
    SetPictureLayout(kPictureOver, false);
    WhiteText(*this);
}

void CTivoraButton::OnSysColorChange() {
    WhiteText(*this);
}

CTivoraCustomButton::CTivoraCustomButton(QWidget* parent) : CButtonST(parent) {}

void CTivoraCustomButton::Setup(int firstBitmap, int secondBitmap, const QString& tooltip) {
    LoadPictures(firstBitmap, kKeyColor, secondBitmap, kKeyColor);
    SetPictureLayout(kPictureOver, false);
    EnableBorder(false, false);
    UseParentBackground(false);
    if (!tooltip.isEmpty()) {
        UseBalloonTip();
        SetTip(tooltip, true);
    }
}

bool CTivoraCustomButton::Create(int firstBitmap, int secondBitmap, const QString& tooltip, int x,
                                 int y, QWidget* parent, int id) {
    using namespace WindowStyles;
    if (!CButtonST::Create(QString(), WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                           Rect::FromSize(x, y, kWidth, kHeight), parent, id)) {
        return false;
    }
    Setup(firstBitmap, secondBitmap, tooltip);
    return true;
}

CTivoraCheckbox::CTivoraCheckbox(QWidget* parent) : CButtonST(parent) {
    setFont(Fonts::Make("Tahoma", 13, 400));
}

void CTivoraCheckbox::OnSubclassed() {
    LoadPictures(Res::IDB_CHECKBOX_CHECKED, kKeyColor, Res::IDB_CHECKBOX, kKeyColor);
    EnableBorder(false, false);
    UseParentBackground(false);
    WhiteText(*this);
}

void CTivoraCheckbox::OnSysColorChange() {
    WhiteText(*this);
}
