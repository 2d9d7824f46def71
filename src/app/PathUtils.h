#pragma once

#include <string>

#include "app/Exceptions.h"

// The program's folder and the per-user data folder "Tivora" under the XDG data home.
// Failures raise PathUtils::Exception.
namespace PathUtils {

// Folder of the running executable.
std::string GetModulePath();

// "Tivora" in the XDG data home, made when missing. The data home itself is made (mode 0700)
// when missing, as on a fresh account.
std::string GetAppDataFolder();

// GetAppDataFolder() joined with name.
std::string GetAppDataFile(const std::string& name);

// base joined with more by one separator; more is always taken as relative.
std::string AppendPath(const std::string& base, const std::string& more);

// Where an installed program's other files are: <prefix>/<relative> for a program in
// <prefix>/bin. executableFolder comes from /proc/self/exe, which has no symbolic links left, so
// its parent is taken by name; the root folder is its own parent.
std::string InstalledFile(const std::string& executableFolder, const std::string& relative);

}  // namespace PathUtils
