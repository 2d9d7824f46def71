#pragma once

#include "config/GamesConfig.h"
#include "config/RegistrationSection.h"
#include "config/SettingsSection.h"
#include "config/UpdateSection.h"
#include "config/WindowSection.h"
#include "services/RegistrationJobs.h"
#include "ui/dialogs/SettingsPages.h"

namespace ui_testing {

// The four settings sections, saved together, and the job that sends the user's details:
// what the settings dialog and the bar work on, without the process-wide settings.
struct Stores {
    GamesConfig games;
    WindowSection window;
    UpdateSection update;
    RegistrationSection registration;
    SettingsStorage storage{{&games, &window, &update, &registration}};
    UserInfoJob job{games, registration};

    SettingsStores Parts() { return {games, window, registration, job}; }
};

}  // namespace ui_testing
