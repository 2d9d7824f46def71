#include "platform/os/DesktopEntry.h"

#include <sstream>

namespace DesktopEntry {
namespace {

// The string-level escapes of the format.
std::string EscapeString(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::optional<std::string> UnescapeString(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            return std::nullopt;
        }
        switch (text[i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            // Quote-level escapes (\" \` \$) pass through to the argument parser.
            default:
                out += '\\';
                out += text[i];
        }
    }
    return out;
}

std::string QuoteExec(const std::string& path) {
    // Always quoted: valid whatever the path holds. Inside quotes ", `, $ and \ are escaped;
    // % is doubled as it would start a field code.
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '%') {
            quoted += "%%";
        } else {
            quoted += c;
        }
    }
    quoted += '"';
    return EscapeString(quoted);
}

std::optional<std::string> ProgramOfExec(const std::string& exec) {
    std::optional<std::string> value = UnescapeString(Trim(exec));
    if (!value || value->empty()) {
        return std::nullopt;
    }
    std::string program;
    std::size_t i = 0;
    if ((*value)[0] == '"') {
        for (i = 1;; ++i) {
            if (i >= value->size()) {
                return std::nullopt;  // no closing quote
            }
            char c = (*value)[i];
            if (c == '"') {
                break;
            }
            if (c == '\\') {
                if (++i >= value->size()) {
                    return std::nullopt;
                }
                c = (*value)[i];
            }
            program += c;
        }
    } else {
        for (; i < value->size() && (*value)[i] != ' ' && (*value)[i] != '\t'; ++i) {
            program += (*value)[i];
        }
    }
    std::string unpercent;
    for (std::size_t k = 0; k < program.size(); ++k) {
        unpercent += program[k];
        if (program[k] == '%' && k + 1 < program.size() && program[k + 1] == '%') {
            ++k;
        }
    }
    return unpercent;
}

std::string MakeAutostartEntry(const std::string& name, const std::string& path) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           EscapeString(name) +
           "\n"
           "Exec=" +
           QuoteExec(path) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::optional<std::string> ProgramOfEntry(const std::string& content) {
    std::istringstream lines(content);
    bool inMainGroup = false;
    std::optional<std::string> exec;
    for (std::string line; std::getline(lines, line);) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) {
            continue;
        }
        std::string::size_type equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        std::string key = Trim(line.substr(0, equals));
        std::string value = Trim(line.substr(equals + 1));
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            return std::nullopt;  // switched off by the desktop
        }
        if (key == "Exec" && !exec) {
            exec = value;
        }
    }
    return exec ? ProgramOfExec(*exec) : std::nullopt;
}

}  // namespace DesktopEntry
