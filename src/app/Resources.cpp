#include "app/Resources.h"

#include <QFile>
#include <QList>
#include <QPixmap>

#include "app/TextTable.h"
#include "platform/os/ProcessObjects.h"

namespace Resources {
namespace {

class StringTable {
public:
    // The fixed table and the entries the build configures (the service addresses).
    StringTable() {
        QByteArray bytes;
        for (const char* path : {":/strings/stringtable.txt", ":/strings/service.txt"}) {
            QFile file(QString::fromLatin1(path));
            if (file.open(QIODevice::ReadOnly)) {
                bytes += file.readAll();
                bytes += '\n';
            }
        }
        TextTable::Parse(std::string_view(bytes.constData(), bytes.size()), map_);
    }
    std::string Get(int id) const { return TextTable::Lookup(map_, std::to_string(id)); }

private:
    TextTable::Map map_;
};

}  // namespace

std::string LoadString(int id) {
    return ProcessWide<StringTable>().Get(id);
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
            QPixmap pixmap(path);
            pixmap.setDevicePixelRatio(1.0);
            icon.addPixmap(pixmap);
            pixelSizes.append(size * scale);
        }
    }
    return icon;
}

}  // namespace Resources
