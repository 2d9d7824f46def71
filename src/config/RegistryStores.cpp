#include "config/RegistryStores.h"

#include "app/ErrorLog.h"
#include "app/Exceptions.h"
#include "app/Trace.h"
#include "platform/Registry.h"
#include "platform/SystemPaths.h"

namespace {

std::string ModuleName() {
    auto path = SystemPaths::ExecutablePath();
    if (!path) {
        throw PathUtils::Exception("Unable to get module file name (GetModuleName)");
    }
    return *path;
}

}  // namespace

bool GetRunAtStartup() {
    auto run = Registry::Key::Open(Registry::Hive::CurrentUser, Registry::kRunKey);
    if (!run) {
        LogError("Unable to open registry key to get 'RunAtStartup' value");
        return false;
    }
    auto value = run->QueryString(RegistryStores::kRunValue);
    return value && *value == ModuleName();
}

void SetRunAtStartup(bool enable) {
    auto run = Registry::Key::CreateForWriting(Registry::Hive::CurrentUser, Registry::kRunKey);
    if (!run) {
        LogError("Unable to open registry key to change 'RunAtStartup' value");
        return;
    }
    if (enable) {
        if (!run->SetString(RegistryStores::kRunValue, ModuleName())) {
            LogError("Unable to set 'RunAtStartup' value");
        }
    } else if (!run->DeleteValue(RegistryStores::kRunValue)) {
        Trace("Unable to delete 'RunAtStartup' value");
    }
}
