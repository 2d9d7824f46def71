#include "platform/os/Registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/os/DesktopEntry.h"
#include "platform/os/RegularFile.h"
#include "platform/os/SystemPaths.h"

namespace Registry {
namespace {

constexpr const char* kStandardKeys[] = {"Software", "Software\\Classes",
                                         "Software\\Classes\\CLSID", kRunKey};

std::string Normalized(const std::string& path) {
    std::string result;
    for (char c : path) {
        if (c == '\\' && (result.empty() || result.back() == '\\')) {
            continue;  // no empty components
        }
        result += c;
    }
    if (!result.empty() && result.back() == '\\') {
        result.pop_back();
    }
    return result;
}

bool SameKey(const std::string& a, const std::string& b) {
    // Key names compare without regard to letter case, as on the original platform.
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

// QSettings separates groups with "/"; a "/" inside a key name is kept by percent-encoding it.
QString SettingsKey(const std::string& path, const std::string& name = {}) {
    QStringList parts;
    const auto escaped = [](QString part) {
        return part.replace(QLatin1Char('%'), QLatin1String("%25"))
            .replace(QLatin1Char('/'), QLatin1String("%2F"));
    };
    for (const QString& part :
         QString::fromStdString(path).split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        parts << escaped(part).toLower();
    }
    if (!name.empty()) {
        parts << escaped(QString::fromStdString(name));
    }
    return parts.join(QLatin1Char('/'));
}

std::string FirstConfigDir() {
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    if (dirs != nullptr) {
        std::string list(dirs);
        std::string::size_type colon = list.find(':');
        std::string first = list.substr(0, colon);
        if (!first.empty() && first[0] == '/') {
            return first;
        }
    }
    return "/etc/xdg";
}

// An autostart entry is a few lines; a bigger file is not one of ours.
constexpr std::size_t kMaxEntrySize = 64 * 1024;

// Only a regular file, or none yet, can be written as a hive or an entry.
bool CanWrite(const std::string& file) {
    if (RegularFile::KindOf(file) == RegularFile::Kind::Other) {
        return false;
    }
    if (access(file.c_str(), F_OK) == 0) {
        return access(file.c_str(), W_OK) == 0;
    }
    std::string dir = file.substr(0, file.find_last_of('/'));
    return access(dir.c_str(), W_OK) == 0;
}

// Puts the reason for a failure on path, from errno, into why (when asked for); false.
bool Failed(std::string* why, const std::string& path) {
    const int error = errno;
    if (why != nullptr) {
        struct stat info {};
        *why = error == EEXIST && stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)
                   ? path + " is not a folder"
                   : path + ": " + std::strerror(error);
    }
    return false;
}

// Makes the folder of file (and its parents) with mode; the reason in why when it cannot be.
bool MakeFolderOf(const std::string& file, unsigned mode, std::string* why) {
    const std::string dir = file.substr(0, file.find_last_of('/'));
    errno = 0;
    return SystemPaths::MakeDirectories(dir, mode) || Failed(why, dir);
}

// A hive's values as QSettings reads them, from a private copy of the hive's file. The file
// itself is read here (a regular file of at most kMaxHiveSize bytes, or none yet) and written
// back whole by RegularFile::Replace: QSettings never opens it, so nothing it leaves behind
// (its lock and temporary files) ever lies beside the user's files, a FIFO in its place
// cannot stall it, and an oversized one is refused unread and never written over.
class HiveCopy {
public:
    explicit HiveCopy(std::string file) : HiveCopy(file, RegularFile::Read(file, kMaxHiveSize)) {}

    // With the hive's file already read into content.
    HiveCopy(std::string file, const RegularFile::ReadResult& content)
        : file_(std::move(file)), scratch_(ScratchTemplate()) {
        if ((!content.Ok() && content.status != RegularFile::ReadResult::Status::Missing) ||
            !scratch_.isValid()) {
            return;
        }
        QFile copy(Copy());
        if (!copy.open(QIODevice::WriteOnly) ||
            copy.write(content.bytes.data(), static_cast<qint64>(content.bytes.size())) !=
                static_cast<qint64>(content.bytes.size())) {
            return;
        }
        copy.close();
        settings_ = std::make_unique<QSettings>(Copy(), QSettings::IniFormat);
        if (settings_->status() != QSettings::NoError) {
            settings_.reset();
        }
    }

    // Whether the hive's values could be read (a missing file has none).
    bool Ok() const { return settings_ != nullptr; }
    QSettings& Settings() { return *settings_; }

    // Puts the copy's values in place of the hive's file.
    bool WriteBack() {
        settings_->sync();
        if (settings_->status() != QSettings::NoError) {
            return false;
        }
        // A hive that would be refused when read next is not written.
        RegularFile::ReadResult written = RegularFile::Read(Copy().toStdString(), kMaxHiveSize);
        return written.Ok() && RegularFile::Replace(file_, written.bytes).empty();
    }

private:
    // In the user's private runtime folder where there is one, else the temporary folder
    // (QTemporaryDir makes the scratch folder 0700 either way).
    static QString ScratchTemplate() {
        const std::optional<std::string> runtime = SystemPaths::UserRuntimeFolder();
        const QString folder = runtime ? QString::fromStdString(*runtime) : QDir::tempPath();
        return folder + QStringLiteral("/tivora-hive-XXXXXX");
    }
    QString Copy() const { return scratch_.filePath(QStringLiteral("registry.ini")); }

    std::string file_;
    QTemporaryDir scratch_;
    std::unique_ptr<QSettings> settings_;
};

// A hive's values for reading: its file's bytes are read at every call, but parsed (through a
// scratch copy, a folder made and removed) only when they differ from the last parse's. A
// start reads the hives a dozen times. Empty for a hive with no file yet; nullopt when it
// cannot be read.
std::optional<QHash<QString, QVariant>> HiveValues(const std::string& file) {
    RegularFile::ReadResult content = RegularFile::Read(file, kMaxHiveSize);
    if (content.status == RegularFile::ReadResult::Status::Missing) {
        return QHash<QString, QVariant>();
    }
    if (!content.Ok()) {
        return std::nullopt;
    }
    struct Parsed {
        std::string bytes;
        QHash<QString, QVariant> values;
    };
    static std::mutex mutex;
    static std::map<std::string, Parsed> parsed;
    std::lock_guard lock(mutex);
    if (auto known = parsed.find(file);
        known != parsed.end() && known->second.bytes == content.bytes) {
        return known->second.values;
    }
    HiveCopy copy(file, content);
    if (!copy.Ok()) {
        parsed.erase(file);
        return std::nullopt;
    }
    QHash<QString, QVariant> values;
    for (const QString& key : copy.Settings().allKeys()) {
        values.insert(key, copy.Settings().value(key));
    }
    parsed[file] = Parsed{std::move(content.bytes), values};
    return values;
}

}  // namespace

std::optional<std::string> HiveFile(Hive hive) {
    if (hive == Hive::LocalMachine) {
        return FirstConfigDir() + "/tivora/registry.ini";
    }
    auto home = SystemPaths::ConfigHome();
    if (!home) {
        return std::nullopt;
    }
    return *home + "/tivora/registry.ini";
}

std::string HiveProblem(Hive hive) {
    auto file = HiveFile(hive);
    if (!file) {
        return {};
    }
    RegularFile::ReadResult content = RegularFile::Read(*file, kMaxHiveSize);
    return content.Ok() || content.status == RegularFile::ReadResult::Status::Missing
               ? std::string()
               : content.error;
}

std::optional<std::string> AutostartFile(const std::string& valueName) {
    auto home = SystemPaths::ConfigHome();
    if (!home || valueName.empty() || valueName.find('/') != std::string::npos ||
        valueName == "." || valueName == "..") {
        return std::nullopt;
    }
    return *home + "/autostart/" + valueName + ".desktop";
}

std::optional<Key> Key::Open(Hive hive, const std::string& path) {
    const std::string key = Normalized(path);
    auto file = HiveFile(hive);
    if (!file) {
        return std::nullopt;
    }
    for (const char* standard : kStandardKeys) {
        if (SameKey(key, standard)) {
            return Key(hive, key);
        }
    }
    const std::optional<QHash<QString, QVariant>> values = HiveValues(*file);
    if (!values) {
        return std::nullopt;
    }
    // A key is there while a value lies below it.
    const QString group = SettingsKey(key) + QLatin1Char('/');
    for (auto value = values->cbegin(); value != values->cend(); ++value) {
        if (value.key().startsWith(group)) {
            return Key(hive, key);
        }
    }
    return std::nullopt;
}

std::optional<Key> Key::CreateForWriting(Hive hive, const std::string& path, std::string* why) {
    Key key(hive, Normalized(path));
    if (key.IsRunKey()) {
        auto entry = AutostartFile("x");
        if (!entry) {
            if (why != nullptr) {
                *why = "the user's config folder is unknown";
            }
            return std::nullopt;
        }
        if (!MakeFolderOf(*entry, 0700, why)) {
            return std::nullopt;
        }
        if (!CanWrite(*entry)) {
            Failed(why, entry->substr(0, entry->find_last_of('/')));
            return std::nullopt;
        }
        return key;
    }
    auto file = HiveFile(hive);
    if (!file) {
        return std::nullopt;
    }
    // Making the machine's folder needs the rights of its owner, as writing its hive does.
    std::string dir = file->substr(0, file->find_last_of('/'));
    if (!SystemPaths::MakeDirectories(dir, hive == Hive::CurrentUser ? 0700 : 0755) ||
        !CanWrite(*file)) {
        return std::nullopt;
    }
    return key;
}

bool Key::IsRunKey() const {
    return hive_ == Hive::CurrentUser && SameKey(path_, kRunKey);
}

bool Key::SetString(const std::string& name, const std::string& value, std::string* why) const {
    if (IsRunKey()) {
        auto entry = AutostartFile(name);
        if (!entry) {
            if (why != nullptr) {
                *why = "no autostart entry can be named '" + name + "'";
            }
            return false;
        }
        if (!MakeFolderOf(*entry, 0700, why)) {
            return false;
        }
        const std::string error =
            RegularFile::Replace(*entry, DesktopEntry::MakeAutostartEntry(name, value));
        if (!error.empty() && why != nullptr) {
            *why = error;
        }
        return error.empty();
    }
    auto file = HiveFile(hive_);
    if (!file || !CanWrite(*file)) {
        return false;
    }
    HiveCopy copy(*file);
    if (!copy.Ok()) {
        return false;
    }
    copy.Settings().setValue(SettingsKey(path_, name), QString::fromStdString(value));
    return copy.WriteBack();
}

std::optional<std::string> Key::QueryString(const std::string& name, std::size_t bufferSize) const {
    std::optional<std::string> value;
    if (IsRunKey()) {
        auto entry = AutostartFile(name);
        if (!entry) {
            return std::nullopt;
        }
        RegularFile::ReadResult content = RegularFile::Read(*entry, kMaxEntrySize);
        if (!content.Ok()) {
            return std::nullopt;
        }
        value = DesktopEntry::ProgramOfEntry(content.bytes);
    } else {
        auto file = HiveFile(hive_);
        if (!file) {
            return std::nullopt;
        }
        const std::optional<QHash<QString, QVariant>> values = HiveValues(*file);
        if (!values) {
            return std::nullopt;
        }
        const QVariant stored = values->value(SettingsKey(path_, name));
        if (stored.isValid()) {
            value = stored.toString().toStdString();
        }
    }
    if (value && value->size() + 1 > bufferSize) {
        return std::nullopt;
    }
    return value;
}

bool Key::DeleteValue(const std::string& name, std::string* why) const {
    if (IsRunKey()) {
        auto entry = AutostartFile(name);
        if (!entry) {
            return false;
        }
        if (std::remove(entry->c_str()) == 0) {
            return true;
        }
        // An entry that is not there was not there to remove: no fault to report.
        if (errno != ENOENT && errno != ENOTDIR) {
            Failed(why, *entry);
        }
        return false;
    }
    auto file = HiveFile(hive_);
    if (!file || !CanWrite(*file)) {
        return false;
    }
    HiveCopy copy(*file);
    const QString key = SettingsKey(path_, name);
    if (!copy.Ok() || !copy.Settings().contains(key)) {
        return false;
    }
    copy.Settings().remove(key);
    return copy.WriteBack();
}

}  // namespace Registry
