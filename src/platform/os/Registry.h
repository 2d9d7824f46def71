#pragma once

#include <optional>
#include <string>

// A registry of keys and text values in two hives, kept in INI files: the per-user hive in the
// user's config folder and the machine-wide hive in the system's (writable only by those who
// may write there, as the real machine hive is only by administrators). Key paths use "\".
// Values of the per-user Run key are the XDG autostart entries
// ($XDG_CONFIG_HOME/autostart/<value name>.desktop) whose Exec is the value's text.
namespace Registry {

enum class Hive { CurrentUser, LocalMachine };

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A hive holds a few values; a file larger than this is not one, and is refused unread.
constexpr std::size_t kMaxHiveSize = 1024 * 1024;

// Where a hive is kept: $XDG_CONFIG_HOME/tivora/registry.ini for the user, the first folder of
// $XDG_CONFIG_DIRS (else /etc/xdg) + /tivora/registry.ini for the machine. nullopt when the
// folder is unknown.
std::optional<std::string> HiveFile(Hive hive);

// Why the hive's file cannot be used (larger than kMaxHiveSize, not a regular file,
// unreadable); empty when it can, or when there is none yet. A refused hive is neither read
// nor written over.
std::string HiveProblem(Hive hive);

// The autostart entry behind a value of the Run key.
std::optional<std::string> AutostartFile(const std::string& valueName);

// An open key. Values are read and written through it.
class Key {
public:
    // Opens a key that exists: one holding values or subkeys, or one of the keys every system
    // has (Software, Software\Classes\CLSID, the Run key). nullopt otherwise.
    static std::optional<Key> Open(Hive hive, const std::string& path);

    // Creates or opens path for writing; nullopt when the hive cannot be written. why, when
    // given, receives the reason then (the folder or file and what is wrong with it).
    static std::optional<Key> CreateForWriting(Hive hive, const std::string& path,
                                               std::string* why = nullptr);

    // Sets a text value; false when it could not be stored, with the reason in why.
    bool SetString(const std::string& name, const std::string& value,
                   std::string* why = nullptr) const;

    // A text value; nullopt when missing, or when it does not fit a buffer of bufferSize bytes
    // with its terminating zero.
    std::optional<std::string> QueryString(const std::string& name,
                                           std::size_t bufferSize = 260) const;

    // Deletes a value; false when there was none or it could not be removed. why receives the
    // reason in the second case only: a value that was not there leaves it empty.
    bool DeleteValue(const std::string& name, std::string* why = nullptr) const;

    const std::string& Path() const { return path_; }

private:
    Key(Hive hive, std::string path) : hive_(hive), path_(std::move(path)) {}
    bool IsRunKey() const;

    Hive hive_;
    std::string path_;
};

}  // namespace Registry
