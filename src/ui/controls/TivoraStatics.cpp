#include "ui/controls/TivoraStatics.h"

#include <QPainter>

#include "platform/desktop/Fonts.h"
#include "platform/desktop/Rect.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/SkinText.h"

CTivoraStatic::CTivoraStatic(QWidget* parent) : QLabel(parent) {
    setFont(Fonts::Make("Tahoma", 13));
}

void CTivoraStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Rect bar{0, 0, width(), kBarHeight};
    FillGradient(painter, bar, QColor(90, 90, 90), QColor(70, 70, 70), GradientDirection::Vertical);
    Draw3dRect(painter, bar, QColor(68, 68, 68), QColor(68, 68, 68));
    painter.setFont(font());
    painter.setPen(Qt::white);
    SkinText::Draw(painter, Rect{bar.left + 2, bar.top, bar.right, bar.bottom}, text(),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine);
}

CSimpleStatic::CSimpleStatic(QWidget* parent) : QLabel(parent) {
    setFont(Fonts::Make("Tahoma", 13));
}

void CSimpleStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(Qt::white);
    // Word-wrapped text starts at the top: vertical centring applies to single lines only.
    int flags = Qt::TextWordWrap | Qt::AlignTop;
    if ((alignment & kRight) != 0) {
        flags |= Qt::AlignRight;
    } else if ((alignment & kCenter) != 0) {
        flags |= Qt::AlignHCenter;
    } else {
        flags |= Qt::AlignLeft;
    }
    SkinText::Draw(painter, Rect{2, 0, width(), height()}, text(), flags);
}
