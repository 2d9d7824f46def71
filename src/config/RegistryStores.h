#pragma once

#include <string>

// The values kept in the registry rather than in the settings file.

// Whether the program starts with the desktop session: the Run value "Tivora" names this
// executable, byte for byte.
bool GetRunAtStartup();
void SetRunAtStartup(bool enable);

namespace RegistryStores {
constexpr const char* kRunValue = "Tivora";
constexpr const char* kUidKey = "Software\\Classes\\CLSID";
constexpr const char* kUidSubkey = "{71AFD4E6-44A8-42ec-8A8F-92A3EFCCF11A}";
constexpr const char* kUidValue = "startup";
constexpr const char* kUserInfoSection = "Settings\\RegistrationInfo";
}  // namespace RegistryStores
