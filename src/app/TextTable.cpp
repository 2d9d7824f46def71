#include "app/TextTable.h"

#include <QResource>
#include <cctype>

#include "app/ErrorLog.h"
#include "app/Trace.h"
#include "platform/os/ProcessObjects.h"

namespace {

// The C locale's isspace: space, tab, line feed, vertical tab, form feed, carriage return.
bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void AddEntry(std::string_view line, std::size_t equals, bool escaped, TextTable::Map& map) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    std::string_view key = TrimBlanks(line.substr(0, equals));
    if (key.empty()) {
        return;
    }
    // A CR dropped above may have been the only thing after the "=".
    std::string_view value =
        equals + 1 <= line.size() ? TrimBlanks(line.substr(equals + 1)) : std::string_view();
    if (value.empty()) {
        return;
    }
    std::string text(value);
    if (escaped) {
        static constexpr std::string_view kEscape = "\\r\\n";
        for (std::size_t at = text.find(kEscape); at != std::string::npos;
             at = text.find(kEscape, at + 2)) {
            text.replace(at, kEscape.size(), "\r\n");
        }
    }
    map.emplace(std::string(key), std::move(text));  // the first definition stays
}

constexpr std::size_t kUnset = static_cast<std::size_t>(-1);

}  // namespace

void TextTable::Parse(std::string_view text, Map& map) {
    map.clear();
    const std::size_t n = text.size();
    std::size_t start = kUnset;
    std::size_t equals = kUnset;
    bool escaped = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (start == kUnset) {
            start = i;
        }
        const char c = text[i];
        std::size_t end = kUnset;
        if (c == '=' && equals == kUnset) {
            equals = i;
        } else if (c == '\n') {
            end = i;
        } else if (i == n - 1) {
            end = i + 1;
        } else if (c == '\\' && i + 3 < n && text[i + 1] == 'r' && text[i + 2] == '\\' &&
                   text[i + 3] == 'n') {
            escaped = true;
        }
        if (end != kUnset) {
            if (equals != kUnset) {
                AddEntry(text.substr(start, end - start), equals - start, escaped, map);
            }
            start = kUnset;
            equals = kUnset;
            escaped = false;
        }
    }
}

std::string TextTable::Lookup(const Map& map, const std::string& key) {
    auto found = map.find(key);
    return found == map.end() ? std::string() : found->second;
}

bool TextTable::LoadResource(const char* resourcePath) {
    map_.clear();
    QResource resource(QString::fromLatin1(resourcePath));
    if (!resource.isValid()) {
        LogError("Unable to find strings in resources");
        return false;
    }
    QByteArray unpacked;
    const char* data = nullptr;
    qint64 size = 0;
    if (resource.compressionAlgorithm() != QResource::NoCompression) {
        unpacked = resource.uncompressedData();
        if (unpacked.isEmpty()) {
            LogError("Unable to load strings from resources");
            return false;
        }
        data = unpacked.constData();
        size = unpacked.size();
    } else {
        data = reinterpret_cast<const char*>(resource.data());
        size = resource.size();
    }
    if (data == nullptr) {
        LogError("Unable to lock strings");
        return false;
    }
    Parse(std::string_view(data, static_cast<std::size_t>(size)), map_);
    return true;
}

namespace {

// The program's own table, filled once, at its making.
class ProgramTexts {
public:
    ProgramTexts() {
        Trace("Strings resource initialisation");
        if (table_.LoadResource(":/strings/1042.txt")) {
            Trace("End of strings resource initialisation");
        }
    }
    const TextTable& Table() const { return table_; }

private:
    TextTable table_;
};

}  // namespace

std::string GetText(const std::string& key) {
    return ProcessWide<ProgramTexts>().Table().Get(key);
}
