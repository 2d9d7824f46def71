#pragma once

#include <optional>
#include <string>

// Where the system keeps things: the running executable, the XDG base directories and the
// runtime directory. Paths are UTF-8 byte strings.
namespace SystemPaths {

// Full path of the running executable (/proc/self/exe); nullopt when it cannot be read or is
// longer than the platform's path limit.
std::optional<std::string> ExecutablePath();

// The running executable's file name without its extension: the application's name.
std::string ExecutableName();

// The XDG data home: $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share;
// nullopt when neither is known.
std::optional<std::string> DataHome();

// The XDG config home: $XDG_CONFIG_HOME when absolute, else $HOME/.config; nullopt when unknown.
std::optional<std::string> ConfigHome();

// The directory for sockets and locks: $XDG_RUNTIME_DIR when absolute, else /tmp.
std::string RuntimeDir();

// The user's home directory: $HOME, else the password database; nullopt when unknown.
std::optional<std::string> HomeDir();

// Whether path names an existing directory.
bool IsDirectory(const std::string& path);

// Makes path and any missing parents with the given mode; true when path is a directory
// afterwards.
bool MakeDirectories(const std::string& path, unsigned mode);

// The longest path the platform accepts, terminating zero included (PATH_MAX).
constexpr std::size_t kMaxPath = 4096;

}  // namespace SystemPaths
