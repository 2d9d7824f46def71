#include "platform/os/ImageList.h"

#include <QPainter>
#include <algorithm>

ImageList::ImageList(int width, int height, int initialCapacity) : width_(width), height_(height) {
    if (initialCapacity > 0) {
        images_.reserve(static_cast<std::size_t>(initialCapacity));
    }
}

int ImageList::AddMasked(const QImage& image, QRgb keyColor) {
    // An image drawn at a device pixel ratio is cut in logical pixels and keeps its ratio.
    const int ratio = std::max(1, qRound(image.devicePixelRatio()));
    if (image.isNull() || image.width() < width_ * ratio || image.height() < height_ * ratio ||
        width_ <= 0 || height_ <= 0) {
        return -1;
    }
    QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = keyColor & 0x00FFFFFF;
    for (int y = 0; y < source.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(source.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == key) {
                line[x] = 0;
            }
        }
    }
    const int first = Count();
    const int width = width_ * ratio;
    for (int left = 0; left + width <= source.width(); left += width) {
        images_.push_back(source.copy(left, 0, width, height_ * ratio)
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    return first;
}

QImage ImageList::Image(int index) const {
    if (index < 0 || index >= Count()) {
        return {};
    }
    return images_[static_cast<std::size_t>(index)];
}

void ImageList::Draw(QPainter& painter, int index, int x, int y) const {
    if (index < 0 || index >= Count()) {
        return;
    }
    painter.drawImage(x, y, images_[static_cast<std::size_t>(index)]);
}
