#include "platform/os/DesktopApplications.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/os/DesktopEntry.h"
#include "platform/os/DetachedProcess.h"
#include "platform/os/SystemPaths.h"

namespace DesktopApplications {
namespace {

// Association files and desktop entries are small; a larger file is not one of them.
constexpr std::streamsize kMaxFileBytes = 4 * 1024 * 1024;
// How deep "a-b-c.desktop" is looked for as a/b/c.desktop.
constexpr int kMaxIdFolders = 3;
// A file name's limit: no longer id names an installed entry.
constexpr std::size_t kMaxIdBytes = 255;

using Group = std::map<std::string, std::string>;
using Groups = std::map<std::string, Group>;

// The bytes of a regular file of at most kMaxFileBytes; a pipe or device in its place is
// never opened, as reading it could wait forever.
std::optional<std::string> ReadSmallFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > static_cast<std::uintmax_t>(kMaxFileBytes)) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    // A file that grew meanwhile is read as far as it was.
    file.read(bytes.data(), static_cast<std::streamsize>(size));
    if (!file && !file.eof()) {
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r";
    const std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The groups of a file in the desktop entry syntax; the first value of a key counts.
Groups ParseGroups(const std::string& content) {
    Groups groups;
    Group* current = nullptr;
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line);) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            current = line.back() == ']' ? &groups[line.substr(1, line.size() - 2)] : nullptr;
            continue;
        }
        const std::string::size_type equals = line.find('=');
        if (current != nullptr && equals != std::string::npos) {
            current->emplace(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
        }
    }
    return groups;
}

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::istringstream stream(text);
    for (std::string item; std::getline(stream, item, separator);) {
        item = Trim(item);
        if (!item.empty()) {
            items.push_back(item);
        }
    }
    return items;
}

// $name split at colons, absolute folders only (the standard ignores relative ones); the
// fallback when the variable is unset or names none.
std::vector<std::string> Folders(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    std::vector<std::string> folders;
    for (const std::string& folder : SplitList(value != nullptr ? value : "", ':')) {
        if (folder[0] == '/') {
            folders.push_back(folder);
        }
    }
    return folders.empty() ? SplitList(fallback, ':') : folders;
}

std::vector<std::string> DataFolders() {
    std::vector<std::string> folders;
    if (std::optional<std::string> home = SystemPaths::DataHome()) {
        folders.push_back(*home);
    }
    for (const std::string& folder : Folders("XDG_DATA_DIRS", "/usr/local/share:/usr/share")) {
        folders.push_back(folder);
    }
    return folders;
}

// The association files in their order of precedence: the user's config, the system's config,
// then the applications folders of the data folders; in each folder the current desktop's own
// file comes before the common one.
std::vector<std::string> AssociationFiles() {
    std::vector<std::string> desktops;
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    for (std::string desktop : SplitList(current != nullptr ? current : "", ':')) {
        std::transform(desktop.begin(), desktop.end(), desktop.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        desktops.push_back(desktop);
    }
    std::vector<std::string> folders;
    if (std::optional<std::string> home = SystemPaths::ConfigHome()) {
        folders.push_back(*home);
    }
    for (const std::string& folder : Folders("XDG_CONFIG_DIRS", "/etc/xdg")) {
        folders.push_back(folder);
    }
    for (const std::string& folder : DataFolders()) {
        folders.push_back(folder + "/applications");
    }
    std::vector<std::string> files;
    for (const std::string& folder : folders) {
        for (const std::string& desktop : desktops) {
            files.push_back(folder + "/" + desktop + "-mimeapps.list");
        }
        files.push_back(folder + "/mimeapps.list");
    }
    return files;
}

// The files in a folder that an id may name: "a-b.desktop" is a-b.desktop, or b.desktop in
// a subfolder a. Only folders that are there are followed, so a hostile id with many dashes
// costs one look per dash.
void CandidatePaths(const std::string& folder, const std::string& id, int depth,
                    std::vector<std::string>& paths) {
    paths.push_back(folder + "/" + id);
    if (depth >= kMaxIdFolders) {
        return;
    }
    for (std::string::size_type dash = id.find('-'); dash != std::string::npos;
         dash = id.find('-', dash + 1)) {
        const std::string subfolder = folder + "/" + id.substr(0, dash);
        if (dash > 0 && SystemPaths::IsDirectory(subfolder)) {
            CandidatePaths(subfolder, id.substr(dash + 1), depth + 1, paths);
        }
    }
}

bool ValidId(const std::string& id) {
    return id.size() > 8 && id.size() <= kMaxIdBytes && id.ends_with(".desktop") &&
           id.find('/') == std::string::npos && id[0] != '.';
}

}  // namespace

std::optional<Entry> FindEntry(const std::string& id) {
    if (!ValidId(id)) {
        return std::nullopt;
    }
    for (const std::string& folder : DataFolders()) {
        std::vector<std::string> paths;
        CandidatePaths(folder + "/applications", id, 0, paths);
        for (const std::string& path : paths) {
            std::optional<std::string> content = ReadSmallFile(path);
            if (!content) {
                continue;
            }
            // The first file of the id decides, also when it hides the application.
            Groups groups = ParseGroups(*content);
            const Group& main = groups["Desktop Entry"];
            auto value = [&main](const char* key) {
                const auto found = main.find(key);
                return found != main.end()
                           ? DesktopEntry::UnescapeString(found->second).value_or("")
                           : "";
            };
            if (value("Hidden") == "true" || value("Type") != "Application") {
                return std::nullopt;
            }
            const std::string tryExec = value("TryExec");
            if (!tryExec.empty() && !DetachedProcess::FindExecutable(tryExec)) {
                return std::nullopt;
            }
            const auto exec = main.find("Exec");
            if (exec == main.end() || exec->second.empty()) {
                return std::nullopt;
            }
            return Entry{id, path, value("Name"), value("Icon"), exec->second};
        }
    }
    return std::nullopt;
}

std::optional<Entry> DefaultFor(const std::string& mimeType) {
    std::vector<Groups> lists;
    for (const std::string& path : AssociationFiles()) {
        if (std::optional<std::string> content = ReadSmallFile(path)) {
            lists.push_back(ParseGroups(*content));
        }
    }
    auto named = [&mimeType](Groups& groups, const char* group) {
        return SplitList(groups[group][mimeType], ';');
    };
    // The user's choice: the first installed application of a Default Applications line.
    for (Groups& list : lists) {
        for (const std::string& id : named(list, "Default Applications")) {
            if (std::optional<Entry> entry = FindEntry(id)) {
                return entry;
            }
        }
    }
    // Else the most preferred association: those added by hand, then those the desktop's
    // database lists, less those removed by a file of the same or a higher precedence.
    std::set<std::string> removed;
    for (Groups& list : lists) {
        for (const std::string& id : named(list, "Removed Associations")) {
            removed.insert(id);
        }
        for (const std::string& id : named(list, "Added Associations")) {
            if (removed.count(id) == 0) {
                if (std::optional<Entry> entry = FindEntry(id)) {
                    return entry;
                }
            }
        }
    }
    for (const std::string& folder : DataFolders()) {
        for (const char* file : {"/applications/defaults.list", "/applications/mimeinfo.cache"}) {
            std::optional<std::string> content = ReadSmallFile(folder + file);
            if (!content) {
                continue;
            }
            Groups groups = ParseGroups(*content);
            for (const char* group : {"Default Applications", "MIME Cache"}) {
                for (const std::string& id : named(groups, group)) {
                    if (removed.count(id) != 0) {
                        continue;
                    }
                    if (std::optional<Entry> entry = FindEntry(id)) {
                        return entry;
                    }
                }
            }
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> SplitExec(const std::string& exec) {
    const std::optional<std::string> value = DesktopEntry::UnescapeString(exec);
    if (!value) {
        return std::nullopt;
    }
    std::vector<std::string> arguments;
    std::string argument;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < value->size(); ++i) {
        const char c = (*value)[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\') {
                // Inside quotes only ", `, $ and \ are escaped.
                if (++i == value->size() ||
                    std::string_view("\"`$\\").find((*value)[i]) == std::string_view::npos) {
                    return std::nullopt;
                }
                argument += (*value)[i];
            } else {
                argument += c;
            }
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inArgument) {
                arguments.push_back(std::move(argument));
                argument.clear();
                inArgument = false;
            }
        } else if (c == '"') {
            quoted = true;
            inArgument = true;
        } else {
            argument += c;
            inArgument = true;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    if (inArgument) {
        arguments.push_back(std::move(argument));
    }
    if (arguments.empty() || arguments.front().empty()) {
        return std::nullopt;
    }
    return arguments;
}

std::optional<std::vector<std::string>> CommandFor(const Entry& entry, const std::string& address,
                                                   const std::vector<std::string>& targets) {
    std::optional<std::vector<std::string>> arguments = SplitExec(entry.exec);
    if (!arguments) {
        return std::nullopt;
    }
    std::vector<std::string> command;
    bool placed = false;
    for (const std::string& argument : *arguments) {
        if (argument == "%u" || argument == "%U" || argument == "%f" || argument == "%F") {
            if (!placed) {
                command.insert(command.end(), targets.begin(), targets.end());
                placed = true;
            }
            continue;
        }
        if (argument == "%i") {
            if (!entry.icon.empty()) {
                command.push_back("--icon");
                command.push_back(entry.icon);
            }
            continue;
        }
        std::string expanded;
        bool dropped = false;
        for (std::size_t i = 0; i < argument.size(); ++i) {
            if (argument[i] != '%' || i + 1 == argument.size()) {
                expanded += argument[i];
                continue;
            }
            switch (argument[++i]) {
                case '%':
                    expanded += '%';
                    break;
                case 'u':
                case 'U':
                case 'f':
                case 'F':
                    expanded += address;
                    placed = true;
                    break;
                case 'c':
                    expanded += entry.name;
                    dropped = dropped || entry.name.empty();
                    break;
                case 'k':
                    expanded += entry.path;
                    break;
                default:
                    dropped = true;  // deprecated or unknown
                    break;
            }
        }
        // An argument that was nothing but codes without a value goes with them.
        if (!(dropped && expanded.empty())) {
            command.push_back(std::move(expanded));
        }
    }
    if (!placed) {
        command.insert(command.end(), targets.begin(), targets.end());
    }
    if (command.empty() || command.front().empty()) {
        return std::nullopt;
    }
    return command;
}

}  // namespace DesktopApplications
