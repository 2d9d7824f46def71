#include "support/GallerySheet.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEnterEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "platform/desktop/Fonts.h"

namespace gallery {

QString Sheet::Save(const QString& name, std::vector<Shown>* shown) const {
    const int kScale = scale_;
    constexpr int kGap = 12;
    constexpr int kLabel = 16;
    constexpr int kMaxWidth = 1000;
    const QFont font = Fonts::Make("Tahoma", 13);
    // Lay out in rows.
    struct Placed {
        QPoint at;
        const Cell* cell;
    };
    std::vector<Placed> placed;
    int x = kGap;
    int y = kGap + 24;
    int rowHeight = 0;
    int width = 0;
    for (const Cell& cell : cells_) {
        if (cell.image.isNull()) {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
            continue;
        }
        const QSize size = cell.image.size() * kScale;
        const int cellWidth = std::max(size.width(), 90);
        if (x > kGap && x + cellWidth > kMaxWidth) {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        placed.push_back({QPoint(x, y), &cell});
        x += cellWidth + kGap;
        width = std::max(width, x);
        rowHeight = std::max(rowHeight, size.height() + kLabel);
    }
    QImage sheet(std::max(width, 300), y + rowHeight + kGap, QImage::Format_RGB32);
    sheet.fill(kSheet);
    QPainter painter(&sheet);
    painter.setFont(Fonts::Make("Tahoma", 16, 700));
    painter.setPen(Qt::black);
    painter.drawText(kGap, kGap + 14, title_);
    painter.setFont(font);
    for (const Placed& p : placed) {
        painter.setPen(QColor(40, 40, 40));
        painter.drawText(p.at.x(), p.at.y() + 11, p.cell->label);
        const QImage big = p.cell->image.scaled(p.cell->image.size() * kScale,
                                                Qt::IgnoreAspectRatio, Qt::FastTransformation);
        painter.drawImage(p.at.x(), p.at.y() + kLabel, big);
        if (shown != nullptr) {
            shown->push_back({QPoint(p.at.x(), p.at.y() + kLabel), big});
        }
    }
    painter.end();
    const QString folder = QStringLiteral(TIVORA_BINARY_DIR "/gallery");
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    return sheet.save(path, "PNG") ? path : QString();
}

void ExpectWritten(const Sheet& sheet, const QString& name, int minimumWidth) {
    std::vector<Sheet::Shown> shown;
    const QString path = sheet.Save(name, &shown);
    ASSERT_FALSE(path.isEmpty());
    const QImage written(path);
    ASSERT_FALSE(written.isNull());
    EXPECT_GE(written.width(), minimumWidth);
    ASSERT_FALSE(shown.empty());
    for (const Sheet::Shown& picture : shown) {
        const QImage placed = written.copy(QRect(picture.at, picture.image.size()));
        EXPECT_EQ(placed.convertToFormat(QImage::Format_RGB32),
                  picture.image.convertToFormat(QImage::Format_RGB32))
            << name.toStdString() << " at " << picture.at.x() << "," << picture.at.y();
    }
}

int Darkest(const QImage& image, const QRect& rect) {
    int darkest = 255;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
        }
    }
    return darkest;
}

void Hover(QWidget& widget) {
    const QPointF at(3, 3);
    QEnterEvent enter(at, at, widget.mapToGlobal(at));
    QCoreApplication::sendEvent(&widget, &enter);
}

void Unhover(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &leave);
}

}  // namespace gallery
