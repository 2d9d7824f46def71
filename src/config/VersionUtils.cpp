#include "config/VersionUtils.h"

#include <algorithm>
#include <climits>

#include "platform/os/FileVersion.h"
#include "platform/os/SystemPaths.h"

namespace VersionUtils {
namespace {

bool AllDigits(std::string_view piece) {
    return !piece.empty() &&
           std::all_of(piece.begin(), piece.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Decimal digits to a number, saturating at INT_MAX where the C library's atoi would overflow.
std::uint32_t DigitsToNumber(std::string_view digits) {
    std::uint32_t value = 0;
    for (char c : digits) {
        const std::uint32_t digit = static_cast<std::uint32_t>(c - '0');
        if (value > (INT_MAX - digit) / 10) {
            return INT_MAX;
        }
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

Version ParseVersion(std::string_view text) {
    Version version{0, 0, 0, 0};
    std::size_t filled = 0;
    std::size_t at = 0;
    while (filled < version.size() && at < text.size()) {
        const std::size_t start = text.find_first_not_of('.', at);
        if (start == std::string_view::npos) {
            break;
        }
        std::size_t stop = text.find('.', start);
        if (stop == std::string_view::npos) {
            stop = text.size();
        }
        const std::string_view piece = text.substr(start, stop - start);
        if (!AllDigits(piece)) {
            break;
        }
        version[filled++] = DigitsToNumber(piece);
        at = stop;
    }
    return version;
}

int ParseBuildNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at++] == '-';
    }
    const std::size_t digits = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        ++at;
    }
    // The magnitude saturates at INT_MAX; INT_MIN itself is one further, and anything below it
    // saturates there as well.
    const std::uint32_t magnitude = DigitsToNumber(text.substr(digits, at - digits));
    if (!negative) {
        return static_cast<int>(magnitude);
    }
    return magnitude == static_cast<std::uint32_t>(INT_MAX) ? INT_MIN
                                                            : -static_cast<int>(magnitude);
}

int CompareVersions(const Version& a, const Version& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return a[i] > b[i] ? 1 : -1;
        }
    }
    return 0;
}

std::string FormatVersion(const Version& version, int count, char separator) {
    const std::size_t n = static_cast<std::size_t>(std::clamp(count, 0, 4));
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) {
            text += separator;
        }
        text += std::to_string(version[i]);
    }
    return text;
}

std::string GetModuleName() {
    auto path = SystemPaths::ExecutablePath();
    if (!path) {
        throw PathUtils::Exception("Unable to get module file name (GetModuleName)");
    }
    return *path;
}

Version GetFileVersion(const std::string& path) {
    FileVersion::Record record{};
    switch (FileVersion::Read(path, record)) {
        case FileVersion::Status::Ok:
            break;
        case FileVersion::Status::NoVersion:
            throw Exception("Unable to get file version info size");
        case FileVersion::Status::Unreadable:
            throw Exception("Unable to get file version info");
        case FileVersion::Status::Malformed:
            throw Exception("Unable to process file version info");
    }
    return {record.fileVersionMS >> 16, record.fileVersionMS & 0xFFFF, record.fileVersionLS >> 16,
            record.fileVersionLS & 0xFFFF};
}

Version GetCurrentVersion() {
    return GetFileVersion(GetModuleName());
}

}  // namespace VersionUtils
