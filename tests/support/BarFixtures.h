#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ConfigFixtures.h"
#include "config/GamesConfig.h"
#include "config/RegistrationSection.h"
#include "config/SettingsSection.h"
#include "config/UpdateSection.h"
#include "config/WindowSection.h"
#include "services/RegistrationJobs.h"
#include "support/ModalRecorder.h"
#include "support/ShellRecorder.h"
#include "support/TestEnvironment.h"
#include "ui/controls/DialogTemplate.h"
#include "ui/dialogs/SettingsPages.h"
#include "ui/toolbar/CMainWnd.h"

class TrayHost;

// What the tests of the bar and its dialogs build on.
namespace bar_testing {

using Catalogue = std::vector<CfgPack::GameEntry>;

// Games of the given names, each with the given flags, in that order.
Catalogue Games(const std::vector<std::string>& names, std::uint32_t flags = 0);
Catalogue operator+(Catalogue first, const Catalogue& second);

// The four settings sections, saved together (every write of the file counted), and the job
// that sends the user's details: what the bar and the settings dialog work on, without the
// process-wide settings.
struct Stores {
    GamesConfig games;
    WindowSection window;
    UpdateSection update;
    RegistrationSection registration;
    SettingsStorage storage{{&games, &window, &update, &registration}};
    UserInfoJob job{games, registration};
    int fileWrites = 0;

    Stores();
    Stores(const Stores&) = delete;
    Stores& operator=(const Stores&) = delete;

    // Writes the catalogue, with the configuration texts given, into folder as tivora.cfg and
    // loads it.
    void Load(const Catalogue& catalogue, const std::string& folder,
              const std::string& texts = config_fixtures::Texts());
    SettingsStores Parts();
    // A bar over these stores with the program's settings dialog on them; the tray host is the
    // bar's own when none is given.
    CMainWnd::Parts MainWndParts(TrayHost* trayHost = nullptr);
};

// The stores over a catalogue under a temporary home, the browser's starts and the modal
// dialogs recorded instead of made and shown. The home comes first: the rest lives in it.
struct Bar : testing_support::TempHome, Stores {
    testing_support::ShellRecorder shell;
    testing_support::ModalRecorder modals;

    explicit Bar(const Catalogue& catalogue, SizeMode size = SizeMode::Normal);
};

// Takes the commands of the controls on it, as the bar window does: records each and hands it
// to handler (the panel under test).
class BarWindow : public QWidget, public CommandTarget {
public:
    // The normal bar's size at (100, 100), shown.
    BarWindow();
    void OnCommand(int id) override;

    std::function<bool(int)> handler;
    std::vector<int> commands;
};

// Records the commands it is given, as the bar window would take them.
struct RecordingTarget : CommandTarget {
    void OnCommand(int id) override { commands.push_back(id); }
    std::vector<int> commands;
};

}  // namespace bar_testing
