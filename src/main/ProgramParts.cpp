#include "main/ProgramParts.h"

#include <cstdlib>

#include "app/StartupTrace.h"
#include "config/Settings.h"
#include "launch/BrowserLayer.h"
#include "launch/GameStarter.h"
#include "services/Services.h"
#include "ui/toolbar/CMainWnd.h"

std::unique_ptr<QWidget> ProgramParts::CreateMainWindow() {
    // The settings, and with them the games configuration, are loaded when the window is
    // made; a broken configuration ends the start here.
    Settings& settings = GetSettings();
    StartupTrace::Mark("settings");
    auto window = std::make_unique<CMainWnd>(
        CMainWnd::Parts{settings.gamesConfig, settings.window, settings.update, nullptr, nullptr});
    const WindowClass& windowClass = CTivoraApp::Instance()->GetWindowClass();
    window->setObjectName(QString::fromStdString(windowClass.name));
    window->setWindowIcon(windowClass.icon);
    QObject::connect(window.get(), &CMainWnd::checkUpdatesRequested, window.get(),
                     [] { GetUpdateCheckJob().RequestRun(true, true); });
    QObject::connect(window.get(), &CMainWnd::exitRequested, window.get(),
                     [] { CTivoraApp::Instance()->RequestExit(); });
    updateRelay_.SetWindow(window.get());
    if (!window->Create()) {
        return nullptr;
    }
    window_ = window.get();
    return window;
}

void ProgramParts::InitBrowserLayer() {
    BrowserLayer::Init();
}

void ProgramParts::ShutdownBrowserLayer() {
    BrowserLayer::Shutdown();
}

void ProgramParts::StartServices() {
    GetUpdateCheckJob().SetListener(&updateRelay_);
    if (!window_) {
        Services::Start();
        return;
    }
    // The worker's first tick starts the update check's transfer process: begun before the bar
    // is on the screen, it competes with the bar's own start-up for the processor, so it waits
    // for the first paint.
    servicesStart_ = std::make_unique<AfterFirstPaint>(*window_, kServicesLatestMs, [] {
        StartupTrace::Mark("services");
        Services::Start();
    });
}

void ProgramParts::StopServices() {
    servicesStart_.reset();  // not started yet: never
    if (!Services::Stop()) {
        // The worker outlived its stop and may still use the jobs and the settings: save now and
        // end the process here, before exit destroys what it uses.
        GetSettings().Storage().SaveAll();
        std::_Exit(0);
    }
}

void ProgramParts::CloseGames() {
    GameStarter::Instance().CloseAll();
}
