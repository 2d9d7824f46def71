// The text-table parser over arbitrary bytes: it must neither crash nor read out of bounds,
// and every entry it keeps must have a non-empty, trimmed key and value.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/TextTable.h"

namespace {
bool Trimmed(const std::string& s) {
    return !s.empty() && !std::isspace(static_cast<unsigned char>(s.front())) &&
           !std::isspace(static_cast<unsigned char>(s.back()));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TextTable::Map map;
    TextTable::Parse(std::string_view(reinterpret_cast<const char*>(data), size), map);
    for (const auto& [key, value] : map) {
        if (!Trimmed(key) || value.empty()) {
            std::abort();
        }
    }
    return 0;
}
