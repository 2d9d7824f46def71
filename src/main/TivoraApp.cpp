#include "main/TivoraApp.h"

#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "ResourceIds.h"
#include "app/AppProfile.h"
#include "app/ComeForwardEvent.h"
#include "app/ErrorLog.h"
#include "app/Resources.h"
#include "app/StartupTrace.h"
#include "app/Trace.h"
#include "platform/desktop/Display.h"
#include "platform/desktop/Fonts.h"
#include "platform/desktop/WindowHints.h"
#include "platform/os/ProcessObjects.h"
#include "platform/os/SingleInstance.h"
#include "platform/os/UnixSignals.h"
#include "ui/controls/Drawing.h"
#include "ui/toolbar/BarGeometry.h"

namespace {
CTivoraApp* g_app = nullptr;

// The startup token this start came with, which a later start hands to the first instance so
// that the window manager lets its window come forward: DESKTOP_STARTUP_ID (X11 startup
// notification), else XDG_ACTIVATION_TOKEN (Wayland activation).
std::string g_launchToken;

// Runs before the application object is made: Qt's X11 support takes DESKTOP_STARTUP_ID out of
// the environment as it connects, so that children do not inherit it.
int& KeepLaunchToken(int& argc) {
    const char* token = std::getenv("DESKTOP_STARTUP_ID");
    if (token == nullptr || token[0] == '\0') {
        token = std::getenv("XDG_ACTIVATION_TOKEN");
    }
    g_launchToken = token != nullptr ? token : "";
    return argc;
}
}  // namespace

CTivoraApp::CTivoraApp(int& argc, char** argv, AppParts& parts)
    : QApplication(KeepLaunchToken(argc), argv), parts_(parts) {
    g_app = this;
    // The name the desktop shows for the program: Qt gives it to the tray item as its title and
    // id, which tray hosts list items by. The user agent, the folders and the profile key keep
    // the executable's name (SystemPaths::ExecutableName), whatever this says.
    setApplicationName(QStringLiteral("Tivora"));
    // The toolbar hides to the tray; only the loss of the main window ends the program.
    setQuitOnLastWindowClosed(false);
    // SIGTERM, SIGINT and SIGHUP end the program as the tray menu's Exit does, so nothing is
    // lost at a logout, a closed terminal or a shutdown.
    signals_ = std::make_unique<TerminationSignals>([this](int) { RequestExit(); });
}

CTivoraApp::~CTivoraApp() {
    mainWindow_.reset();
    channel_.reset();
    signals_.reset();
    if (g_app == this) {
        g_app = nullptr;
    }
}

CTivoraApp* CTivoraApp::Instance() {
    return g_app;
}

bool CTivoraApp::InitInstance() {
    parts_.InitBrowserLayer();

    mutex_ = std::make_unique<NamedMutex>();
    NamedMutex::Result marker = mutex_->Create(kMutexName);
    if (marker == NamedMutex::Result::Failed) {
        // No marker: this instance runs unguarded, as with a failed creation, but says why.
        LogError("Unable to create single instance lock: " + mutex_->Error());
        mutex_.reset();
    }
    if (marker == NamedMutex::Result::AlreadyExists) {
        mutex_.reset();
        // Reaches the first instance only once it has its window (it listens from then on).
        InstanceChannel::AskToComeForward(kMutexName, g_launchToken);
        return false;
    }

    Trace("//////////////////////////////////////////////////////////////////////////");
    Trace("Starting");
    StartupTrace::Mark("instance-lock");

    Fonts::RegisterFaces();
    if (!RegisterWindowClass()) {
        Trace("Class Registration Failed");
        return false;
    }
    // The per-user profile of the application; the registry stores keep their values below it.
    profileKey_ = AppProfile::Key();
    StartupTrace::Mark("fonts-and-class");

    mainWindow_ = parts_.CreateMainWindow();
    RethrowPending();
    if (!mainWindow_) {
        LogError("Unable to create main window");
        return false;
    }
    connect(mainWindow_.get(), &QObject::destroyed, this, &QCoreApplication::quit);

    // From here on a later instance can reach this one.
    channel_ = std::make_unique<InstanceChannel>();
    channel_->Listen(kMutexName,
                     [this](const std::string& token) { BringMainWindowForward(token); });

    if (!ProcessShellCommand()) {
        LogError("Unable to process shell command");
        badCommandLine_ = true;
        return false;
    }

    parts_.StartServices();
    StartupTrace::Mark("created");
    return true;
}

int CTivoraApp::ExitInstance() {
    parts_.CloseGames();
    channel_.reset();
    // The marker stays held until the application object goes, after the process-wide objects
    // and with them the final settings save: a new instance started during a slow stop would
    // otherwise save first and have its file overwritten by this one's exit save.
    parts_.StopServices();
    parts_.ShutdownBrowserLayer();
    return badCommandLine_ ? kBadCommandLineExitCode : 0;
}

void CTivoraApp::Run() {
    if (!exitRequested_ && mainWindow_) {
        exec();
    }
    RethrowPending();
}

int CTivoraApp::RunSequence() {
    if (InitInstance()) {
        Run();
    }
    mainWindow_.reset();
    return ExitInstance();
}

void CTivoraApp::RequestExit() {
    exitRequested_ = true;
    // Every event loop ends, a modal window's too (the configuration message box, a dialog);
    // the main window is destroyed once the loop is left.
    exit(0);
}

bool CTivoraApp::RegisterWindowClass() {
    windowClass_.name = Resources::LoadString(Res::IDS_WINDOW_CLASS);
    windowClass_.icon = LoadIcon(Res::IDI_TIVORA);
    windowClass_.background = QColor::fromRgb(BarGeometry::kBackgroundColor);
    if (windowClass_.name.empty()) {
        return false;
    }
    setWindowIcon(windowClass_.icon);
    return true;
}

bool CTivoraApp::ProcessShellCommand() {
    // Qt has taken its own options out of the arguments already; the program has none, and
    // no documents to open.
    return arguments().size() <= 1;
}

void CTivoraApp::BringMainWindowForward(const std::string& token) {
    if (!mainWindow_) {
        return;
    }
    // The bar knows how to come back from the tray; a window that ignores the request is put
    // on screen here, so that a later start never leaves the user without a window.
    ComeForwardEvent request(token);
    request.setAccepted(false);
    sendEvent(mainWindow_.get(), &request);
    if (request.isAccepted()) {
        return;
    }
    if (mainWindow_->isMinimized()) {
        mainWindow_->setWindowState(mainWindow_->windowState() & ~Qt::WindowMinimized);
    }
    if (!mainWindow_->isVisible()) {
        mainWindow_->show();
    }
    ActivateWithToken(*mainWindow_, token);
}

bool CTivoraApp::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // An exception cannot cross Qt's event loop; it is carried out of it and rethrown to
        // the top-level handler.
        if (!pending_) {
            pending_ = std::current_exception();
        }
        exit(0);
        return false;
    }
}

void CTivoraApp::RethrowPending() {
    if (pending_) {
        std::exception_ptr error = pending_;
        pending_ = nullptr;
        std::rethrow_exception(error);
    }
}

int RunTivora(int& argc, char** argv, AppParts& parts, ErrorPresenter& presenter) {
    DisplaySession::ChoosePlatform();
    if (!DisplaySession::Configured()) {
        std::fprintf(stderr, "%s\n", DisplaySession::kNoDisplayMessage);
        return DisplaySession::kNoDisplayExitCode;
    }
    std::unique_ptr<CTivoraApp> app;
    {
        // Started from a menu, the program has no terminal: the log keeps the reason too.
        DisplaySession::NoDisplayGuard guard([](const std::string& why) { LogError(why); });
        app = std::make_unique<CTivoraApp>(argc, argv, parts);
    }
    StartupTrace::Mark("application");
    int code = RunWithTopLevelHandler([&app] { return app->RunSequence(); }, presenter);
    ProcessObjects::DestroyAll();
    app.reset();  // releases the single-instance marker, last
    return code;
}
