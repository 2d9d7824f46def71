#pragma once

#include <string>

// The application's per-user profile: the registry key "Software\Nuvexa\<application name>",
// the application name being the executable's file name without extension.
namespace AppProfile {
std::string Key();
}  // namespace AppProfile
