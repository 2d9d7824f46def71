#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "ui/controls/TimerSource.h"

// Runs a function once, just after a window's first paint: at once when the window is not
// shown (nothing to wait for), and after limitMs at the latest when no paint comes (a display
// that never exposes the window). Destroyed before that, it never runs.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget& window, int limitMs, std::function<void()> run);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Run();

    QPointer<QWidget> window_;
    std::function<void()> run_;
    std::unique_ptr<TimerSource::Timer> limit_;
};
