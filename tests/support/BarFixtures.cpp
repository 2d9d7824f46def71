#include "support/BarFixtures.h"

#include "ui/dialogs/CAppSettingsDialog.h"
#include "ui/toolbar/BarGeometry.h"

namespace bar_testing {

Catalogue Games(const std::vector<std::string>& names, std::uint32_t flags) {
    Catalogue games;
    for (const std::string& name : names) {
        games.push_back(config_fixtures::MakeGame(name, flags));
    }
    return games;
}

Catalogue operator+(Catalogue first, const Catalogue& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

Stores::Stores() {
    storage.SetBeforeReplaceHook([this](const std::string&) { ++fileWrites; });
}

void Stores::Load(const Catalogue& catalogue, const std::string& folder, const std::string& texts) {
    const std::string path = folder + "/tivora.cfg";
    testing_support::WriteFile(path, config_fixtures::File(catalogue, texts));
    games.LoadGamesConfig(path);
}

SettingsStores Stores::Parts() {
    return {games, window, registration, job};
}

CMainWnd::Parts Stores::MainWndParts(TrayHost* trayHost) {
    return CMainWnd::Parts{games, window, update, std::make_unique<CAppSettingsDialog>(Parts()),
                           trayHost};
}

Bar::Bar(const Catalogue& catalogue, SizeMode size) {
    Load(catalogue, Root());
    window.SetSize(size);
}

BarWindow::BarWindow() {
    setGeometry(QRect(QPoint(100, 100), BarGeometry::kNormalSize));
    show();
}

void BarWindow::OnCommand(int id) {
    commands.push_back(id);
    if (handler) {
        handler(id);
    }
}

}  // namespace bar_testing
