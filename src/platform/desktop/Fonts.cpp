#include "platform/desktop/Fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QMutex>
#include <QRawFont>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Fonts {
namespace {

// Wine's bold Tahoma carries the regular outlines (only its small bitmap strikes are bold), so
// it is left out: asked for bold, Qt then emboldens the regular face, which is bold at every
// size and scale.
constexpr const char* kWineFonts[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/ms_sans_serif.ttf",
};

// The OS/2 table's xAvgCharWidth at byte offset 2, usWinAscent and usWinDescent at 74 and 76.
constexpr int kAverageWidthOffset = 2;
constexpr int kWinAscentOffset = 74;
constexpr int kOs2MinimumSize = 78;

int ReadUint16(const QByteArray& table, int offset) {
    return (static_cast<unsigned char>(table[offset]) << 8) |
           static_cast<unsigned char>(table[offset + 1]);
}

Cell MeasureCell(const QFont& font) {
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.isValid() ? raw.fontTable("OS/2") : QByteArray();
    const double unitsPerEm = raw.isValid() ? raw.unitsPerEm() : 0.0;
    const double pixelSize = font.pixelSize() > 0 ? font.pixelSize() : raw.pixelSize();
    if (os2.size() < kOs2MinimumSize || unitsPerEm <= 0 || pixelSize <= 0) {
        const QFontMetrics metrics(font);
        return Cell{metrics.ascent(), metrics.descent()};
    }
    const double scale = pixelSize / unitsPerEm;
    return Cell{static_cast<int>(std::lround(ReadUint16(os2, kWinAscentOffset) * scale)),
                static_cast<int>(std::lround(ReadUint16(os2, kWinAscentOffset + 2) * scale))};
}

}  // namespace

void RegisterFaces() {
    static bool registered = false;
    if (registered) {
        return;
    }
    registered = true;
    for (const char* path : kWineFonts) {
        QFontDatabase::addApplicationFont(QString::fromLatin1(path));
    }
}

QFont::Weight QtWeight(int weight) {
    return weight > 550 ? QFont::Bold : QFont::Normal;
}

int PixelSizeForHeight(int height) {
    return static_cast<int>(std::lround(std::abs(height) * 0.83));
}

QFont Make(const std::string& face, int height, int weight, bool underline) {
    RegisterFaces();
    QString family = QString::fromStdString(face);
    if (!QFontDatabase::hasFamily(family)) {
        family = QStringLiteral("DejaVu Sans");
    }
    QFont font(family);
    font.setPixelSize(std::max(1, PixelSizeForHeight(height)));
    font.setWeight(QtWeight(weight));
    font.setUnderline(underline);
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

QFont MakeNarrow(const std::string& face, int height, int averageWidth, int weight) {
    QFont font = Make(face, height, weight);
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.isValid() ? raw.fontTable("OS/2") : QByteArray();
    if (os2.size() < kOs2MinimumSize || raw.unitsPerEm() <= 0 || averageWidth <= 0) {
        return font;
    }
    const double natural =
        ReadUint16(os2, kAverageWidthOffset) * font.pixelSize() / raw.unitsPerEm();
    if (natural <= 0) {
        return font;
    }
    // QFont takes the stretch in percent, from 1 to 4000.
    font.setStretch(
        std::clamp(static_cast<int>(std::lround(100.0 * averageWidth / natural)), 1, 4000));
    return font;
}

Cell CellOf(const QFont& font) {
    // Painting asks for this for every text; the table is read once per font.
    static QMutex mutex;
    static QHash<QString, Cell> cells;
    const QString key = font.key();
    {
        QMutexLocker lock(&mutex);
        auto found = cells.constFind(key);
        if (found != cells.constEnd()) {
            return *found;
        }
    }
    const Cell cell = MeasureCell(font);
    QMutexLocker lock(&mutex);
    cells.insert(key, cell);
    return cell;
}

QFont DialogFont() {
    return Make("Tahoma", 13);
}

}  // namespace Fonts
