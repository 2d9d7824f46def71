#pragma once

#include <optional>
#include <string>
#include <vector>

// Where the system keeps things: the running executable, the XDG base directories and the
// runtime directory. Paths are UTF-8 byte strings.
namespace SystemPaths {

// Full path of the running executable (/proc/self/exe); nullopt when it cannot be read or is
// longer than the platform's path limit.
std::optional<std::string> ExecutablePath();

// The running executable's file name without its extension: the application's name.
std::string ExecutableName();

// The prefix of the installed layout <prefix>/bin/tivora that an executable in
// executableFolder belongs to: the folder's parent, taken by name.
std::string InstallPrefix(const std::string& executableFolder);

// Where a helper program of this one (the browser host, the transfer process) may lie for an
// executable in executableFolder, in the order looked at: beside it (a build folder), then in
// the installed layout's ../libexec/tivora/.
std::vector<std::string> HelperPlaces(const std::string& executableFolder, const std::string& name);

// The first of HelperPlaces for the running executable that is an executable file; nullopt
// when none is.
std::optional<std::string> HelperProgram(const std::string& name);

// The XDG data home: $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share;
// nullopt when neither is known.
std::optional<std::string> DataHome();

// The XDG config home: $XDG_CONFIG_HOME when absolute, else $HOME/.config; nullopt when unknown.
std::optional<std::string> ConfigHome();

// The XDG cache home: $XDG_CACHE_HOME when absolute, else $HOME/.cache; nullopt when unknown.
std::optional<std::string> CacheHome();

// The user's runtime folder, for the locks and sockets that only the user may reach: the first
// of $XDG_RUNTIME_DIR, tivora-<uid> under $TMPDIR (else /tmp) and tivora/runtime under the cache
// home that is a real folder (not a link) of this user, closed to everyone else. The last two are
// made when missing. Anyone can make names under /tmp, so a name taken there by someone else
// moves the choice on to the cache home. nullopt when no candidate will do, each one's reason
// in *why.
std::optional<std::string> UserRuntimeFolder(std::string* why = nullptr);

// Empty when path is a real folder of this user that nobody else can enter, else why not.
std::string PrivateFolderProblem(const std::string& path);

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
