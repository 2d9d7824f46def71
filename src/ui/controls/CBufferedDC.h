#pragma once

#include <QImage>
#include <QPainter>
#include <memory>
#include <optional>
#include <vector>

#include "platform/desktop/Rect.h"
#include "ui/controls/TimerSource.h"

class QWidget;

// The roll-out animation of a freshly shown window: its finished picture slides down into
// view, about nine steps of 8 ms, from what was there before. Frames are shown by the owner's
// own paint events: while the animation runs, the owner paints PaintFrame and nothing else.
class RollOut {
public:
    static constexpr int kStepMs = 8;

    explicit RollOut(QWidget& target);
    ~RollOut();
    RollOut(const RollOut&) = delete;
    RollOut& operator=(const RollOut&) = delete;

    // How many rows of the picture each frame shows, for a picture height rows high: the
    // bottom edge moves up by a ninth of the height (at least one row) per step, starting
    // with nothing shown; the full picture follows the last of them.
    static std::vector<int> Steps(int height);

    // Starts sliding picture in over before, both covering rect of the target.
    void Start(const QImage& before, const QImage& picture, const Rect& rect);
    bool Running() const { return timer_ != nullptr; }
    // The frame being shown: its index in Steps, or -1 when nothing runs.
    int Frame() const { return Running() ? frame_ : -1; }
    void PaintFrame(QPainter& painter) const;
    // Ends at once; the owner paints the full picture at its next paint.
    void Stop();

private:
    void Tick();

    QWidget& target_;
    QImage before_;
    QImage picture_;
    Rect rect_;
    std::vector<int> steps_;
    int frame_ = 0;
    std::unique_ptr<TimerSource::Timer> timer_;
};

// Off-screen painting for one paint event: the caller paints into a buffer in the target
// widget's own coordinates, and closing the buffer puts it on the target in one step (or
// starts the roll-out), so that nothing flickers.
class CBufferedDC {
public:
    // rect: the part of the widget to paint (its clip box). copyScreen: the buffer starts with
    // what the widget's ancestors show under rect, for painting that reads the pixels below
    // it; otherwise it starts transparent. rollOut: show the result through that animation.
    CBufferedDC(QWidget& widget, QPainter& target, const Rect& rect, bool copyScreen,
                RollOut* rollOut = nullptr);
    ~CBufferedDC();
    CBufferedDC(const CBufferedDC&) = delete;
    CBufferedDC& operator=(const CBufferedDC&) = delete;

    QPainter& Painter() { return *painter_; }
    const Rect& Bounds() const { return rect_; }

    // The buffer's device pixels per logical pixel: the painter's, so that the buffer is put
    // on the target one to one.
    qreal Ratio() const { return buffer_.devicePixelRatio(); }

    // The device pixels of the logical pixel (x, y), in the buffer's own coordinates: the
    // device pixels whose left and top edges lie inside it. Neighbouring logical pixels share
    // none and leave none out, also at a fractional ratio such as 1.5, so that reading and
    // writing pixel by pixel never meets a pixel twice.
    QRect DevicePixels(int x, int y) const;
    QRgb DevicePixel(const QPoint& at) const;
    void SetDevicePixel(const QPoint& at, QRgb color);

    // Per-pixel access in the target's coordinates, for pixels inside Bounds(): the first
    // device pixel of the logical one is read; all of them are written.
    QRgb Pixel(int x, int y) const;
    void SetPixel(int x, int y, QRgb color);

    // Puts the buffer on the target; the destructor does it when not done before.
    void Close();

private:
    QWidget& widget_;
    QPainter& target_;
    Rect rect_;
    RollOut* rollOut_;
    QImage buffer_;
    QImage before_;
    std::optional<QPainter> painter_;
    bool closed_ = false;
};

// Renders what the ancestors of widget paint under rect (in widget coordinates) into image,
// whose top-left is rect's top-left.
void RenderBackground(QWidget& widget, QImage& image, const Rect& rect);
