// Hiding the bar towards the tray and bringing it back, with a rectangle that flies between
// the two so that the user sees where the bar went.
#include <QApplication>
#include <QPainter>
#include <QVariantAnimation>
#include <QWidget>

#include "ui/toolbar/CSystemTray.h"

namespace {

constexpr int kFlightMs = 200;

// An outline that moves from one place to another and then removes itself. It takes no input
// and no focus, and nothing waits for it.
class FlyingRect : public QWidget {
public:
    FlyingRect(const QRect& from, const QRect& to)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                               Qt::NoDropShadowWindowHint) {
        setObjectName(QStringLiteral("TrayFlyingRect"));
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(from);
        auto* flight = new QVariantAnimation(this);
        flight->setDuration(kFlightMs);
        flight->setStartValue(from);
        flight->setEndValue(to);
        connect(flight, &QVariantAnimation::valueChanged, this,
                [this](const QVariant& place) { setGeometry(place.toRect()); });
        connect(flight, &QVariantAnimation::finished, this, &QObject::deleteLater);
        show();
        flight->start();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
};

bool Animate(const std::optional<Rect>& trayPlace, bool forced) {
    return trayPlace.has_value() && (forced || QApplication::isEffectEnabled(Qt::UI_General));
}

}  // namespace

void HideToTray(QWidget& window, const std::optional<Rect>& trayPlace, bool forceAnimation) {
    if (Animate(trayPlace, forceAnimation)) {
        new FlyingRect(window.frameGeometry(), trayPlace->ToQRect());
    }
    window.hide();
}

void RestoreFromTray(QWidget& window, const std::optional<Rect>& trayPlace, bool forceAnimation) {
    if (Animate(trayPlace, forceAnimation)) {
        new FlyingRect(trayPlace->ToQRect(), window.frameGeometry());
    }
    window.show();
    window.raise();
    window.activateWindow();
}
