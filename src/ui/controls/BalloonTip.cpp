#include "ui/controls/BalloonTip.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

#include "platform/desktop/Fonts.h"

namespace {

constexpr int kStemHeight = 10;
constexpr int kStemX = 16;  // where the stem meets the body, from the left
constexpr int kPadding = 8;
constexpr int kRadius = 7;
constexpr int kShowMs = 10000;

QPointer<BalloonTip>& Instance() {
    static QPointer<BalloonTip> instance;
    return instance;
}

}  // namespace

BalloonTip::BalloonTip() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(Fonts::Make("Tahoma", 13));
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);
}

void BalloonTip::SetContent(const QString& text, int maxWidth, bool stemBelow) {
    text_ = text;
    stemBelow_ = stemBelow;
    const QFontMetrics metrics(font());
    QRect measured =
        metrics.boundingRect(QRect(0, 0, maxWidth, 10000), Qt::TextWordWrap | Qt::AlignLeft, text);
    const int width = std::max(measured.width() + 2 * kPadding, kStemX + 2 * kStemHeight);
    const int bodyHeight = measured.height() + 2 * kPadding;
    const int top = stemBelow ? 0 : kStemHeight;
    textRect_ = QRect(kPadding, top + kPadding, measured.width(), measured.height());
    resize(width + 1, bodyHeight + kStemHeight + 1);
    // Window managers without compositing show no transparency: the shape is a mask.
    setMask(QRegion(Outline().toFillPolygon().toPolygon())
                .united(QRegion(Outline().translated(1, 1).toFillPolygon().toPolygon())));
    update();
}

QPainterPath BalloonTip::Outline() const {
    const int bodyTop = stemBelow_ ? 0 : kStemHeight;
    const int bodyBottom = stemBelow_ ? height() - 1 - kStemHeight : height() - 1;
    QPainterPath body;
    body.addRoundedRect(QRectF(0, bodyTop, width() - 1, bodyBottom - bodyTop), kRadius, kRadius);
    QPainterPath stem;
    if (stemBelow_) {
        stem.moveTo(kStemX, bodyBottom - 1);
        stem.lineTo(kStemX - kStemHeight + 4, height() - 1);
        stem.lineTo(kStemX + kStemHeight, bodyBottom - 1);
    } else {
        stem.moveTo(kStemX, bodyTop + 1);
        stem.lineTo(kStemX - kStemHeight + 4, 0);
        stem.lineTo(kStemX + kStemHeight, bodyTop + 1);
    }
    stem.closeSubpath();
    return body.united(stem);
}

void BalloonTip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(96, 96, 96));
    painter.setBrush(QColor(255, 255, 225));
    painter.drawPath(Outline().translated(0.5, 0.5));
    painter.setPen(Qt::black);
    painter.drawText(textRect_, Qt::TextWordWrap | Qt::AlignLeft, text_);
}

void BalloonTip::mousePressEvent(QMouseEvent*) {
    hide();
}

void BalloonTip::ShowBalloon(QWidget* owner, const QPoint& anchor, const QString& text,
                             int maxWidth) {
    if (text.isEmpty()) {
        HideBalloon(owner);
        return;
    }
    if (Instance().isNull()) {
        Instance() = new BalloonTip();
    }
    BalloonTip* tip = Instance();
    tip->owner_ = owner;
    tip->SetContent(text, maxWidth, false);
    // Below the anchor, stem up; above it when there is no room below. Kept on the screen.
    QPoint topLeft(anchor.x() - kStemX + kStemHeight - 4, anchor.y());
    if (QScreen* screen = QGuiApplication::screenAt(anchor)) {
        const QRect area = screen->availableGeometry();
        if (topLeft.y() + tip->height() > area.bottom()) {
            tip->SetContent(text, maxWidth, true);
            topLeft.setY(anchor.y() - tip->height());
        }
        topLeft.setX(std::clamp(topLeft.x(), area.left(),
                                std::max(area.left(), area.right() - tip->width())));
    }
    tip->move(topLeft);
    tip->show();
    tip->raise();
    tip->hideTimer_.start(kShowMs);
}

void BalloonTip::HideBalloon(QWidget* owner) {
    BalloonTip* tip = Instance();
    if (tip != nullptr && (owner == nullptr || tip->owner_ == owner)) {
        tip->hide();
    }
}

BalloonTip* BalloonTip::Shown() {
    BalloonTip* tip = Instance();
    return tip != nullptr && tip->isVisible() ? tip : nullptr;
}
