#include "app/PathUtils.h"

#include "platform/os/SystemPaths.h"

namespace PathUtils {

std::string GetModulePath() {
    auto executable = SystemPaths::ExecutablePath();
    if (!executable) {
        throw Exception("Unable to get module file name (GetModulePath)");
    }
    std::string::size_type slash = executable->find_last_of('/');
    if (slash == std::string::npos) {
        throw Exception("Unable to get module path");
    }
    // The root folder keeps its slash.
    return executable->substr(0, slash == 0 ? 1 : slash);
}

std::string GetAppDataFolder() {
    auto dataHome = SystemPaths::DataHome();
    if (!dataHome) {
        throw Exception("Unable to get user's applications data path");
    }
    // The XDG Base Directory specification asks for 0700 when the data home has to be made.
    if (!SystemPaths::MakeDirectories(*dataHome, 0700)) {
        throw Exception("Unable to find user's applications data path");
    }
    std::string folder = AppendPath(*dataHome, "Tivora");
    if (!SystemPaths::MakeDirectories(folder, 0777)) {
        throw Exception("Unable to create application data path");
    }
    return folder;
}

std::string GetAppDataFile(const std::string& name) {
    return AppendPath(GetAppDataFolder(), name);
}

std::string AppendPath(const std::string& base, const std::string& more) {
    std::string::size_type start = more.find_first_not_of('/');
    std::string tail = start == std::string::npos ? std::string() : more.substr(start);
    std::string result = base;
    if (!tail.empty()) {
        if (!result.empty() && result.back() != '/') {
            result += '/';
        }
        result += tail;
    }
    if (result.size() >= SystemPaths::kMaxPath) {
        throw Exception("Unable to append paths");
    }
    return result;
}

std::string InstalledFile(const std::string& executableFolder, const std::string& relative) {
    return AppendPath(SystemPaths::InstallPrefix(executableFolder), relative);
}

}  // namespace PathUtils
