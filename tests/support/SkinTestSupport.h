#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "ui/controls/TimerSource.h"

class QPainter;

namespace skin_test {

// A timer source whose time moves only when the test says so. Installed while alive.
class ManualTimers : public TimerSource {
public:
    ManualTimers();
    ~ManualTimers() override;
    ManualTimers(const ManualTimers&) = delete;
    ManualTimers& operator=(const ManualTimers&) = delete;

    std::unique_ptr<Timer> Start(int periodMs, std::function<void()> onTick) override;

    // Lets milliseconds pass, firing every timer that falls due on the way, in time order.
    void Advance(int milliseconds);
    long Now() const { return now_; }
    int Running() const;

private:
    struct Entry;
    class Handle;
    std::vector<std::shared_ptr<Entry>> entries_;
    TimerSource* previous_;
    long now_ = 0;
    long sequence_ = 0;
};

// A plain widget filled with one colour, to stand under the controls.
class Backdrop : public QWidget {
public:
    explicit Backdrop(const QColor& color, QWidget* parent = nullptr);
};

// What the widget shows, with its children, as opaque pixels.
QImage Render(QWidget& widget);
// The same at a device pixel ratio: the image has ceil(size x ratio) device pixels.
QImage RenderAt(QWidget& widget, qreal ratio);

// The bounding box of the pixels in which two images of one size differ by more than
// tolerance in some channel; null when none does.
QRect Difference(const QImage& a, const QImage& b, int tolerance = 0);

// A white image of the given size with draw's painting on it.
QImage Canvas(int width, int height, const std::function<void(QPainter&)>& draw);

// How many pixels of image inside rect (whole image when null) satisfy the test.
int CountPixels(const QImage& image, const std::function<bool(const QColor&)>& test,
                const QRect& rect = QRect());

// True when the colours differ by at most tolerance in every channel.
bool Near(const QColor& a, const QColor& b, int tolerance = 0);

}  // namespace skin_test
