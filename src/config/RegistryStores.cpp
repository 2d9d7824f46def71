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

RunAtStartupResult SetRunAtStartup(bool enable) {
    std::string why;
    auto run =
        Registry::Key::CreateForWriting(Registry::Hive::CurrentUser, Registry::kRunKey, &why);
    if (!run) {
        LogError("Unable to open registry key to change 'RunAtStartup' value");
        return {false, why};
    }
    if (enable) {
        if (!run->SetString(RegistryStores::kRunValue, VersionUtils::GetModuleName(), &why)) {
            LogError("Unable to set 'RunAtStartup' value");
            return {false, why};
        }
    } else if (!run->DeleteValue(RegistryStores::kRunValue, &why)) {
        Trace("Unable to delete 'RunAtStartup' value");
        // One that was not there leaves no reason: it is off, as asked.
        return {why.empty(), why};
    }
    return {true, {}};
}
