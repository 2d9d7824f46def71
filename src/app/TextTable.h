#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

// Texts by key, parsed from lines of "key = value". Keys are compared byte-wise; the first
// definition of a key wins.
class TextTable {
public:
    using Map = std::map<std::string, std::string>;

    // Clears map, then adds the entries of the text in one pass over its bytes. A line is an
    // entry when it holds "="; key and value are trimmed of blanks and an empty one drops the
    // line; a value whose line holds the four characters \r\n gets them turned into CR LF.
    static void Parse(std::string_view text, Map& map);

    // The value for key, or the empty text.
    static std::string Lookup(const Map& map, const std::string& key);

    // Fills this table from a compiled-in resource. Writes the error line of the step that
    // fails, leaves the table empty and returns false.
    bool LoadResource(const char* resourcePath);

    std::string Get(const std::string& key) const { return Lookup(map_, key); }
    const Map& Entries() const { return map_; }

private:
    Map map_;
};

// The program's own texts (resource 1042), loaded on the first call; the empty text for an
// absent key or when the texts could not be loaded.
std::string GetText(const std::string& key);
