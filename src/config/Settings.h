#pragma once

#include "config/GamesConfig.h"
#include "config/RegistrationSection.h"
#include "config/UpdateSection.h"
#include "config/WindowSection.h"

// Everything the program remembers about the user, in four sections saved together. Made
// and loaded on first use through GetSettings(); saved once more when it is destroyed at exit.
class Settings {
public:
    Settings();
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    GamesConfig gamesConfig;
    WindowSection window;
    UpdateSection update;
    RegistrationSection registration;

    SettingsStorage& Storage() { return storage_; }

private:
    SettingsStorage storage_;
};

// The process-wide settings; the first call loads them, and a broken games configuration
// raises out of it.
Settings& GetSettings();
