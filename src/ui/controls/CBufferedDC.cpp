#include "ui/controls/CBufferedDC.h"

#include <QPaintEngine>
#include <QWidget>
#include <algorithm>
#include <cmath>

RollOut::RollOut(QWidget& target) : target_(target) {}

RollOut::~RollOut() = default;

std::vector<int> RollOut::Steps(int height) {
    std::vector<int> steps;
    const int step = std::max(1, height / 9);
    for (int shown = 0; shown < height; shown += step) {
        steps.push_back(shown);
    }
    return steps;
}

void RollOut::Start(const QImage& before, const QImage& picture, const Rect& rect) {
    before_ = before;
    picture_ = picture;
    rect_ = rect;
    steps_ = Steps(rect.Height());
    frame_ = 0;
    timer_.reset();
    if (steps_.empty()) {
        return;
    }
    timer_ = TimerSource::Current().Start(kStepMs, [this] { Tick(); });
}

void RollOut::Tick() {
    ++frame_;
    if (frame_ >= static_cast<int>(steps_.size())) {
        Stop();  // destroys the timer that called us; nothing of it is touched afterwards
    }
    target_.update(rect_.ToQRect());
}

void RollOut::Stop() {
    timer_.reset();
    before_ = QImage();
    picture_ = QImage();
}

void RollOut::PaintFrame(QPainter& painter) const {
    if (!Running()) {
        return;
    }
    painter.drawImage(QPoint(rect_.left, rect_.top), before_);
    const int shown = steps_[static_cast<std::size_t>(frame_)];
    if (shown <= 0) {
        return;
    }
    // The picture's bottom rows, from the top of the target down.
    const qreal ratio = picture_.devicePixelRatio();
    const int height = rect_.Height();
    QRectF source(0, (height - shown) * ratio, rect_.Width() * ratio, shown * ratio);
    QRectF target(rect_.left, rect_.top, rect_.Width(), shown);
    painter.drawImage(target, picture_, source);
}

void RenderBackground(QWidget& widget, QImage& image, const Rect& rect) {
    std::vector<QWidget*> ancestors;
    if (!widget.isWindow()) {
        for (QWidget* ancestor = widget.parentWidget(); ancestor != nullptr;
             ancestor = ancestor->parentWidget()) {
            ancestors.push_back(ancestor);
            if (ancestor->isWindow()) {
                break;
            }
        }
    }
    // The window first, then each ancestor over it, as they lie on the screen.
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
        QWidget* ancestor = *it;
        const QPoint origin = widget.mapTo(ancestor, QPoint(rect.left, rect.top));
        const QRegion region(QRect(origin, QSize(rect.Width(), rect.Height())));
        ancestor->render(
            &image, QPoint(0, 0), region,
            ancestor->isWindow() ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
    }
}

CBufferedDC::CBufferedDC(QWidget& widget, QPainter& target, const Rect& rect, bool copyScreen,
                         RollOut* rollOut)
    : widget_(widget), target_(target), rect_(rect), rollOut_(rollOut) {
    // The device the painter really draws on (a backing store, or an image the widget is
    // rendered into) decides the ratio, not the screen the widget would be on.
    const QPaintDevice* device =
        target.paintEngine() != nullptr ? target.paintEngine()->paintDevice() : nullptr;
    const qreal ratio = std::max<qreal>(
        1.0, device != nullptr ? device->devicePixelRatioF() : widget.devicePixelRatioF());
    const QSize size(static_cast<int>(std::ceil(rect.Width() * ratio)),
                     static_cast<int>(std::ceil(rect.Height() * ratio)));
    buffer_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    buffer_.setDevicePixelRatio(ratio);
    buffer_.fill(Qt::transparent);
    if (copyScreen && !rect.IsEmpty()) {
        if (widget.isWindow()) {
            // Nothing of ours lies below a window: it starts from its own background colour.
            buffer_.fill(widget.palette().color(QPalette::Window));
        } else {
            RenderBackground(widget, buffer_, rect);
        }
    }
    if (rollOut_ != nullptr) {
        before_ = buffer_.copy();
    }
    painter_.emplace(&buffer_);
    painter_->translate(-rect.left, -rect.top);
    painter_->setFont(widget.font());
}

CBufferedDC::~CBufferedDC() {
    Close();
}

namespace {

// The first device pixel at or after logical coordinate v.
int FirstDevicePixel(int v, qreal ratio) {
    return static_cast<int>(std::ceil(v * ratio - 1e-9));
}

}  // namespace

QRect CBufferedDC::DevicePixels(int x, int y) const {
    const qreal ratio = Ratio();
    const int left = FirstDevicePixel(x - rect_.left, ratio);
    const int top = FirstDevicePixel(y - rect_.top, ratio);
    return QRect(QPoint(left, top), QPoint(FirstDevicePixel(x - rect_.left + 1, ratio) - 1,
                                           FirstDevicePixel(y - rect_.top + 1, ratio) - 1));
}

QRgb CBufferedDC::DevicePixel(const QPoint& at) const {
    return buffer_.valid(at) ? buffer_.pixel(at) : 0;
}

void CBufferedDC::SetDevicePixel(const QPoint& at, QRgb color) {
    if (buffer_.valid(at)) {
        buffer_.setPixel(at, color);
    }
}

QRgb CBufferedDC::Pixel(int x, int y) const {
    return DevicePixel(DevicePixels(x, y).topLeft());
}

void CBufferedDC::SetPixel(int x, int y, QRgb color) {
    const QRect device = DevicePixels(x, y);
    for (int dy = device.top(); dy <= device.bottom(); ++dy) {
        for (int dx = device.left(); dx <= device.right(); ++dx) {
            SetDevicePixel(QPoint(dx, dy), color);
        }
    }
}

void CBufferedDC::Close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    painter_.reset();
    if (rect_.IsEmpty()) {
        return;
    }
    if (rollOut_ != nullptr) {
        rollOut_->Start(before_, buffer_, rect_);
        rollOut_->PaintFrame(target_);
        return;
    }
    target_.drawImage(QPoint(rect_.left, rect_.top), buffer_);
}
