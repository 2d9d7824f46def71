#pragma once

#include <optional>
#include <string>
#include <vector>

// The desktop's applications as the freedesktop standards describe them: which application
// the user chose for a MIME type (the mimeapps.list files of the XDG config and data folders,
// then the desktop's defaults.list and mimeinfo.cache, as `xdg-mime query default` finds it)
// and how to start one on an address (its desktop entry's Exec line). Everything here reads
// files the user or the system wrote: an unreadable or malformed file counts as absent, and
// nothing is ever handed to a shell.
namespace DesktopApplications {

// An installed application: the parts of its desktop entry that starting it needs.
struct Entry {
    std::string id;    // e.g. "firefox-esr.desktop"
    std::string path;  // the entry's file
    std::string name;
    std::string icon;
    std::string exec;  // the Exec value as written, string escapes included
};

// The installed entry of the id, searched in the applications folders of $XDG_DATA_HOME and
// $XDG_DATA_DIRS ("kde-foo.desktop" may also be kde/foo.desktop there); nullopt when there is
// none, or when the first one found is hidden, has no Exec or names a TryExec program that is
// not there.
std::optional<Entry> FindEntry(const std::string& id);

// The user's default application for mimeType ("x-scheme-handler/https"): the first installed
// entry named for it, in the order of precedence of the association files; nullopt when none.
std::optional<Entry> DefaultFor(const std::string& mimeType);

// The arguments of an Exec value, unescaped and unquoted, field codes left as they stand;
// nullopt when the value cannot be read (an open quote, a stray escape) or is empty.
std::optional<std::vector<std::string>> SplitExec(const std::string& exec);

// The command that opens address with the entry: its Exec arguments, the program first, with
// the field codes expanded. A code for files or addresses (%u %U %f %F) standing as an argument
// of its own becomes targets (the address, and whatever the caller puts before it), within an
// argument the address alone; with no such code the targets come last. %i becomes "--icon" and
// the icon, %c the name, %k the entry's path, %% a percent sign; other codes are dropped.
// nullopt when Exec cannot be read.
std::optional<std::vector<std::string>> CommandFor(const Entry& entry, const std::string& address,
                                                   const std::vector<std::string>& targets);

}  // namespace DesktopApplications
