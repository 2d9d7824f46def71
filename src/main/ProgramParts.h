#pragma once

#include "app/TivoraApp.h"
#include "main/UpdateRelay.h"

// The program's parts as the application object starts and stops them.
class ProgramParts : public AppParts {
public:
    std::unique_ptr<QWidget> CreateMainWindow() override;
    void InitBrowserLayer() override;
    void ShutdownBrowserLayer() override;
    void StartServices() override;
    void StopServices() override;
    void CloseGames() override;

private:
    // Outlives the window and the worker: the update check's listener for the whole run.
    UpdateRelay updateRelay_;
};
