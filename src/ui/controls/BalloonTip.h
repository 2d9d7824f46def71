#pragma once

#include <QPainterPath>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// The balloon-style tooltip: a rounded bubble with a stem that points at the spot it belongs
// to. One balloon is shown at a time, for one owner widget.
class BalloonTip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxWidth = 400;

    // Shows text in a balloon whose stem points at anchor (global coordinates), for owner.
    static void ShowBalloon(QWidget* owner, const QPoint& anchor, const QString& text,
                            int maxWidth = kMaxWidth);
    // Hides the balloon when owner (or, with nullptr, anyone) shows it.
    static void HideBalloon(QWidget* owner = nullptr);
    // The balloon on screen, or nullptr.
    static BalloonTip* Shown();

    QString Text() const { return text_; }
    QWidget* Owner() const { return owner_; }

    // Lays the balloon out for text with its stem at the top (or, flipped, at the bottom).
    void SetContent(const QString& text, int maxWidth, bool stemBelow);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    BalloonTip();
    QPainterPath Outline() const;

    QString text_;
    QPointer<QWidget> owner_;
    QRect textRect_;
    bool stemBelow_ = false;
    QTimer hideTimer_;
};
