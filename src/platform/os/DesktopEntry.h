#pragma once

#include <optional>
#include <string>

// Autostart entries in the freedesktop Desktop Entry format: the Exec key quoted and escaped
// as that format asks, so that any path survives the trip.
namespace DesktopEntry {

// The Exec value that runs the program at path with no arguments.
std::string QuoteExec(const std::string& path);

// The program path of an Exec value (its first argument, unescaped and unquoted); nullopt
// when the value cannot be read.
std::optional<std::string> ProgramOfExec(const std::string& exec);

// The value of a string key: the format's escapes \s \n \t \r \\ resolved, any other escape
// (the Exec key's quote-level \" \` \$) kept for the Exec parser; nullopt for a lone backslash
// at the end.
std::optional<std::string> UnescapeString(const std::string& text);

// A whole application entry that starts path.
std::string MakeAutostartEntry(const std::string& name, const std::string& path);

// The program an entry starts, or nullopt when the entry has none, is hidden or disabled.
std::optional<std::string> ProgramOfEntry(const std::string& content);

}  // namespace DesktopEntry
