#include "app/Resources.h"

#include <QFile>

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

}  // namespace Resources
