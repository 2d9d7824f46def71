#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/Exceptions.h"

// Four-component versions (major, minor, build, revision): parsing, comparison, formatting and
// the version that an executable file carries.
namespace VersionUtils {

using Version = std::array<std::uint32_t, 4>;

// Splits text at dots (a run of dots is one separator) and takes up to four pieces of decimal
// digits. The first piece holding anything else ends the parse; components not reached stay 0.
// "1.0.10" is 1.0.10.0 and "1.0.x.5" is 1.0.0.0. A piece too large for an int counts as the
// largest int.
Version ParseVersion(std::string_view text);

// A build number as the C library's atoi reads it (leading blanks, a sign, then digits; anything
// else ends it), except that a number beyond the int range saturates at its limit instead of
// wrapping round: "2147483648" is INT_MAX, not a negative number.
int ParseBuildNumber(std::string_view text);

// 1 when a is greater, -1 when it is smaller, 0 when all four components are equal.
int CompareVersions(const Version& a, const Version& b);

// The first min(count, 4) components in decimal, joined by separator.
std::string FormatVersion(const Version& version, int count, char separator);

// The running executable's full path; raises PathUtils::Exception when it cannot be found.
std::string GetModuleName();

// The file version that the executable at path carries; raises VersionUtils::Exception when it
// carries none or it cannot be read.
Version GetFileVersion(const std::string& path);

// GetFileVersion(GetModuleName()).
Version GetCurrentVersion();

}  // namespace VersionUtils
