#pragma once

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <exception>
#include <memory>
#include <string>

#include "app/TopLevelHandler.h"

class NamedMutex;
class InstanceChannel;
class TerminationSignals;

// The parts of the program that the application object starts and stops in its fixed order
// but that live in libraries above this one: the toolbar window, the background worker, the
// game starter and the browser automation layer.
class AppParts {
public:
    virtual ~AppParts() = default;
    // Before anything else at start-up, and last at exit.
    virtual void InitBrowserLayer() {}
    virtual void ShutdownBrowserLayer() {}
    // The toolbar window; nullptr when it cannot be made. May throw (a broken configuration).
    virtual std::unique_ptr<QWidget> CreateMainWindow() = 0;
    // The worker with its jobs, the first update check armed.
    virtual void StartServices() {}
    virtual void StopServices() {}
    // Lets go of every controlled browser; their windows stay open.
    virtual void CloseGames() {}
};

// The window class of the toolbar window: what the main window is made with.
struct WindowClass {
    std::string name;
    QIcon icon;
    QColor background;
};

// The application object: start-up, single instance and shutdown.
class CTivoraApp : public QApplication {
    Q_OBJECT
public:
    static constexpr const char* kMutexName = "Tivora-B735646F-58C4-4fe2-9C7D-39C4C31A55DF";

    CTivoraApp(int& argc, char** argv, AppParts& parts);
    ~CTivoraApp() override;

    // Start-up; false refuses the start (ExitInstance still runs).
    bool InitInstance();
    // Shutdown; the result is the exit code.
    int ExitInstance();
    // The event loop until the main window is gone; rethrows what escaped an event handler.
    void Run();
    // InitInstance, then Run or the refused start's clean-up, then ExitInstance.
    int RunSequence();

    // Ends the program the way the tray menu's Exit does: the loop ends and the main window goes.
    void RequestExit();

    QWidget* MainWindow() const { return mainWindow_.get(); }
    const WindowClass& GetWindowClass() const { return windowClass_; }
    // The per-user profile key of the application, "Software\Nuvexa\<application name>".
    const std::string& ProfileKey() const { return profileKey_; }
    // The exit code of a start refused for its command line.
    static constexpr int kBadCommandLineExitCode = 2;

    static CTivoraApp* Instance();

    bool notify(QObject* receiver, QEvent* event) override;

private:
    bool RegisterWindowClass();
    bool ProcessShellCommand();
    void BringMainWindowForward(const std::string& token);
    void RethrowPending();

    AppParts& parts_;
    std::unique_ptr<NamedMutex> mutex_;
    std::unique_ptr<InstanceChannel> channel_;
    std::unique_ptr<TerminationSignals> signals_;
    std::unique_ptr<QWidget> mainWindow_;
    WindowClass windowClass_;
    std::string profileKey_;
    std::exception_ptr pending_;
    bool exitRequested_ = false;
    bool badCommandLine_ = false;
};

// The whole program: opens the display, makes the application object and runs it inside the
// top-level handler, then destroys the process-wide objects. The exit code of the process.
int RunTivora(int& argc, char** argv, AppParts& parts, ErrorPresenter& presenter);
