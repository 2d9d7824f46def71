#include "ui/controls/Drawing.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "platform/os/ImageFormat.h"

void FillSolidRect(QPainter& painter, const Rect& rect, const QColor& color) {
    if (!rect.IsEmpty()) {
        painter.fillRect(rect.ToQRect(), color);
    }
}

void DrawFocusRect(QPainter& painter, const Rect& rect) {
    if (rect.IsEmpty()) {
        return;
    }
    painter.save();
    // White minus what is there: the inverse colour, and the pixel stays opaque.
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    const auto dot = [&painter](int x, int y) {
        // A checkerboard fixed to the coordinates: the dots of neighbouring edges line up.
        if ((x + y) % 2 == 0) {
            painter.fillRect(QRect(x, y, 1, 1), Qt::white);
        }
    };
    const int last = rect.bottom - 1;
    for (int x = rect.left; x < rect.right; ++x) {
        dot(x, rect.top);
        if (last != rect.top) {
            dot(x, last);
        }
    }
    for (int y = rect.top + 1; y < last; ++y) {
        dot(rect.left, y);
        if (rect.right - 1 != rect.left) {
            dot(rect.right - 1, y);
        }
    }
    painter.restore();
}

void Draw3dRect(QPainter& painter, const Rect& rect, const QColor& topLeft,
                const QColor& bottomRight) {
    const int x = rect.left;
    const int y = rect.top;
    const int cx = rect.Width();
    const int cy = rect.Height();
    // Top and left stop one short of the far corners, which belong to the bottom-right colour.
    FillSolidRect(painter, Rect::FromSize(x, y, cx - 1, 1), topLeft);
    FillSolidRect(painter, Rect::FromSize(x, y, 1, cy - 1), topLeft);
    FillSolidRect(painter, Rect::FromSize(x + cx - 1, y, 1, cy), bottomRight);
    FillSolidRect(painter, Rect::FromSize(x, y + cy - 1, cx, 1), bottomRight);
}

namespace {

int Interpolate(int from, int to, int index, int count) {
    if (count <= 1) {
        return from;
    }
    const int span = count - 1;
    const int weighted = from * (span - index) + to * index;  // never negative
    return (2 * weighted + span) / (2 * span);                // rounded half up
}

}  // namespace

QColor GradientColor(const QColor& from, const QColor& to, int index, int count) {
    return QColor(Interpolate(from.red(), to.red(), index, count),
                  Interpolate(from.green(), to.green(), index, count),
                  Interpolate(from.blue(), to.blue(), index, count));
}

void FillGradient(QPainter& painter, const Rect& rect, const QColor& from, const QColor& to,
                  GradientDirection direction) {
    if (rect.IsEmpty()) {
        return;
    }
    if (direction == GradientDirection::Horizontal) {
        const int count = rect.Width();
        for (int i = 0; i < count; ++i) {
            painter.fillRect(QRect(rect.left + i, rect.top, 1, rect.Height()),
                             GradientColor(from, to, i, count));
        }
    } else {
        const int count = rect.Height();
        for (int i = 0; i < count; ++i) {
            painter.fillRect(QRect(rect.left, rect.top + i, rect.Width(), 1),
                             GradientColor(from, to, i, count));
        }
    }
}

QRgb ScaleColor(QRgb color, double factor) {
    factor = std::max(factor, 1.0);
    // The small bias keeps products such as 200 x 1.15 from landing just below 230.
    auto scale = [factor](int channel) {
        return std::min(255, static_cast<int>(channel * factor + 1e-9));
    };
    return qRgba(scale(qRed(color)), scale(qGreen(color)), scale(qBlue(color)), qAlpha(color));
}

QImage MapNonKeyPixels(const QImage& image, QRgb key, const std::function<QRgb(QRgb)>& map) {
    if (image.isNull()) {
        return {};
    }
    QImage result = image.convertToFormat(QImage::Format_RGB32);
    const QRgb keyRgb = key & 0x00FFFFFF;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) != keyRgb) {
                line[x] = map(line[x]);
            }
        }
    }
    return result;
}

QImage CreateBrightenedBitmap(const QImage& image, double factor, QRgb key) {
    return MapNonKeyPixels(image, key, [factor](QRgb pixel) { return ScaleColor(pixel, factor); });
}

QImage MakeTransparent(const QImage& image, QRgb key) {
    if (image.isNull()) {
        return {};
    }
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = key & 0x00FFFFFF;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == keyRgb) {
                line[x] = 0;
            }
        }
    }
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void DrawTransparent(QPainter& painter, int x, int y, const QImage& image, QRgb key) {
    if (!image.isNull()) {
        painter.drawImage(x, y, MakeTransparent(image, key));
    }
}

int SkinScale() {
    // Between 1 and 2 (a scale of 1.25 or 1.5) the double picture scaled down is sharper than
    // the plain one scaled up.
    return qGuiApp != nullptr && qGuiApp->devicePixelRatio() > 1.0 ? 2 : 1;
}

QImage LoadBitmap(int id, int scale) {
    static QMutex mutex;
    static QHash<QPair<int, int>, QImage> loaded;
    QMutexLocker lock(&mutex);
    const QPair<int, int> key(id, scale);
    auto found = loaded.constFind(key);
    if (found != loaded.constEnd()) {
        return *found;
    }
    QImage image;
    const QString path = scale == 1 ? QStringLiteral(":/bitmaps/%1.png").arg(id)
                                    : QStringLiteral(":/bitmaps/%1@%2x.png").arg(id).arg(scale);
    if (QFile::exists(path) && !(image = ImageFormat::Read(path)).isNull()) {
        image = image.convertToFormat(QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
    }
    loaded.insert(key, image);
    return image;
}

QImage LoadBitmap(int id) {
    return LoadBitmap(id, SkinScale());
}

QIcon LoadIcon(int id) {
    // Every picture goes in as a pixmap of its own pixel size. QIcon::addFile would also take
    // the "@2x" file of each plain one, under the plain one's size, and on a screen of twice
    // the density the icon then scales that picture down where a plain one of the right size
    // was there: a blurred icon. The double drawings only add the sizes no plain one has.
    QIcon icon;
    QList<int> pixelSizes;
    for (const QString& suffix : {QStringLiteral(""), QStringLiteral("@2x")}) {
        const int scale = suffix.isEmpty() ? 1 : 2;
        for (int size : {16, 32, 48, 64}) {
            const QString path =
                QStringLiteral(":/icons/%1-%2%3.png").arg(id).arg(size).arg(suffix);
            if (pixelSizes.contains(size * scale) || !QFile::exists(path)) {
                continue;
            }
            // Not QPixmap(path): that keeps a copy in the pixmap cache, whose upkeep wakes the
            // program 30 s later.
            QPixmap pixmap = QPixmap::fromImage(ImageFormat::Read(path));
            pixmap.setDevicePixelRatio(1.0);
            icon.addPixmap(pixmap);
            pixelSizes.append(size * scale);
        }
    }
    return icon;
}

QSize LogicalSize(const QImage& image) {
    return image.deviceIndependentSize().toSize();
}
