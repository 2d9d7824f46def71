#include "ui/toolbar/CControlButton.h"

#include "ui/controls/WindowStyles.h"

CControlButton::CControlButton(QWidget* parent) : CButtonST(parent) {}

bool CControlButton::Create(int bitmapId, const QString& tooltip, int x, int y, QWidget* parent,
                            int id) {
    using namespace WindowStyles;
    // A tab stop, as every control of the bar: the keyboard reaches all of them.
    if (!CButtonST::Create(QString(), WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                           Rect::FromSize(x, y, kWidth, kHeight), parent, id)) {
        return false;
    }
    // The same picture whether hovered or not.
    LoadPictures(bitmapId, kKeyColor);
    EnableBorder(false, false);
    UseParentBackground(false);
    UseBalloonTip();
    SetTip(tooltip, true);
    return true;
}
