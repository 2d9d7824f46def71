#pragma once

#include <string>

// The values kept in the registry rather than in the settings file.

// Whether the program starts with the desktop session: the Run value "Tivora" names this
// executable, byte for byte.
bool GetRunAtStartup();

// What switching it came to: done, or not and why (the place and what is wrong with it).
struct RunAtStartupResult {
    bool done = false;
    std::string why;
};
// Switches it on or off; off is done also when it was off already.
RunAtStartupResult SetRunAtStartup(bool enable);

namespace RegistryStores {
constexpr const char* kRunValue = "Tivora";
constexpr const char* kUidKey = "Software\\Classes\\CLSID";
constexpr const char* kUidSubkey = "{71AFD4E6-44A8-42ec-8A8F-92A3EFCCF11A}";
constexpr const char* kUidValue = "startup";
constexpr const char* kUserInfoSection = "Settings\\RegistrationInfo";
}  // namespace RegistryStores
