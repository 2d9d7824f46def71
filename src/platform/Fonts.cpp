#include "platform/Fonts.h"

#include <QFontDatabase>
#include <cmath>
#include <cstdlib>

namespace Fonts {
namespace {

constexpr const char* kWineFonts[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
    "/usr/share/wine/fonts/ms_sans_serif.ttf",
};

QFont::Weight QtWeight(int weight) {
    if (weight >= 700) {
        return QFont::Bold;
    }
    if (weight >= 600) {
        return QFont::DemiBold;
    }
    return QFont::Normal;
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

QFont DialogFont() {
    return Make("Tahoma", 13);
}

}  // namespace Fonts
