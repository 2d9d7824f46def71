#include "config/Settings.h"

#include "app/Trace.h"
#include "platform/os/ProcessObjects.h"

Settings::Settings() : storage_({&gamesConfig, &window, &update, &registration}) {
    storage_.LoadAll();
    Trace("Settings instantiated");
}

Settings::~Settings() {
    storage_.SaveAll();
    Trace("Settings deleted");
}

Settings& GetSettings() {
    return ProcessWide<Settings>();
}
