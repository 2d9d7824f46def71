#include "ui/controls/CStaticLink.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/desktop/Fonts.h"
#include "ui/controls/DialogTemplate.h"
#include "ui/controls/SkinAccessible.h"
#include "ui/controls/SkinText.h"

CStaticLink::CStaticLink(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFont(Fonts::Make("Tahoma", 13, 400, true));
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    SkinAccessible::Install();
}

void CStaticLink::SetUrl(const std::string& url) {
    url_ = url;
    // The balloon tip names the address; without one there is nothing to show.
    setToolTip(QString::fromStdString(url_));
}

void CStaticLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(QColor::fromRgb(kLinkColor));
    Rect area{2, 0, width(), std::min(height(), kTextHeight)};
    SkinText::Draw(painter, area, text(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine);
}

void CStaticLink::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void CStaticLink::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) {
        Click();
    }
}

void CStaticLink::Click() {
    emit clicked();
    TemplateDialog::SendCommand(this);
}
