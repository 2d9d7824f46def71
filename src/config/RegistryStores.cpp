#include "config/RegistryStores.h"

#include "app/ErrorLog.h"
#include "app/Trace.h"
#include "config/VersionUtils.h"
#include "platform/os/Registry.h"

bool GetRunAtStartup() {
    auto run = Registry::Key::Open(Registry::Hive::CurrentUser, Registry::kRunKey);
    if (!run) {
        LogError("Unable to open registry key to get 'RunAtStartup' value");
        return false;
    }
    auto value = run->QueryString(RegistryStores::kRunValue);
    return value && *value == VersionUtils::GetModuleName();
}

void SetRunAtStartup(bool enable) {
    auto run = Registry::Key::CreateForWriting(Registry::Hive::CurrentUser, Registry::kRunKey);
    if (!run) {
        LogError("Unable to open registry key to change 'RunAtStartup' value");
        return;
    }
    if (enable) {
        if (!run->SetString(RegistryStores::kRunValue, VersionUtils::GetModuleName())) {
            LogError("Unable to set 'RunAtStartup' value");
        }
    } else if (!run->DeleteValue(RegistryStores::kRunValue)) {
        Trace("Unable to delete 'RunAtStartup' value");
    }
}
