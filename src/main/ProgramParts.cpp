#include "main/ProgramParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <cstdlib>

#include "config/Settings.h"
#include "services/Services.h"

#include "launch/BrowserLayer.h"
#include "launch/GameStarter.h"

namespace {

// PLACEHOLDER for the toolbar window: a plain window of the toolbar's size in the window
// class's colours, so that start-up, the single instance and shutdown run for real.
std::unique_ptr<QWidget> MakePlaceholderWindow() {
    // As the toolbar window will: the settings, and with them the games configuration, are
    // loaded when the window is made; a broken configuration ends the start here.
    GetSettings();
    const WindowClass& windowClass = CTivoraApp::Instance()->GetWindowClass();
    auto window = std::make_unique<QWidget>();
    window->setObjectName(QString::fromStdString(windowClass.name));
    window->setWindowTitle(QStringLiteral("Tivora"));
    window->setWindowIcon(windowClass.icon);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, windowClass.background);
    palette.setColor(QPalette::WindowText, Qt::white);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setFixedSize(357, 46);

    auto* layout = new QHBoxLayout(window.get());
    layout->addWidget(new QLabel(QStringLiteral("Tivora"), window.get()));
    auto* exit = new QPushButton(QStringLiteral("Exit"), window.get());
    layout->addWidget(exit);
    QObject::connect(exit, &QPushButton::clicked, [] { CTivoraApp::Instance()->RequestExit(); });
    window->show();
    return window;
}

}  // namespace

std::unique_ptr<QWidget> ProgramParts::CreateMainWindow() {
    std::unique_ptr<QWidget> window = MakePlaceholderWindow();
    updateRelay_.SetWindow(window.get());
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
    Services::Start();
}

void ProgramParts::StopServices() {
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
