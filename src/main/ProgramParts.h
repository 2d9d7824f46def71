#pragma once

#include <QPointer>
#include <memory>

#include "main/AfterFirstPaint.h"
#include "main/TivoraApp.h"
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

    // The worker starts at most this long after the window was made, painted or not.
    static constexpr int kServicesLatestMs = 1000;

private:
    // Outlives the window and the worker: the update check's listener for the whole run.
    UpdateRelay updateRelay_;
    QPointer<QWidget> window_;
    std::unique_ptr<AfterFirstPaint> servicesStart_;
};
