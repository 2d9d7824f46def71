#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "launch/ScriptCallAdapter.h"
#include "platform/DevToolsWindow.h"

// Drives one controlled browser window: opens it full screen on a game's address and, after
// every completed load, puts its own functions in place of the "CloseGame" and "goCasino"
// functions of the page's frame named "flash". A call of "CloseGame" closes the window; a call
// of "goCasino" opens the given address in a new plain browser window and closes this one.
// When the controller goes, the page gets its own functions back and the window stays open.
class CTvIeHelper : public QObject {
    Q_OBJECT
public:
    CTvIeHelper();
    ~CTvIeHelper() override;
    CTvIeHelper(const CTvIeHelper&) = delete;
    CTvIeHelper& operator=(const CTvIeHelper&) = delete;

    // Opens the window and navigates it to address. True when the window was made; what
    // happens after that does not change the result.
    bool StartNewIE(const std::string& address);

    // True from construction until the window is reported gone.
    bool IsAlive() const { return alive_; }

    // The driven window's id in the automation browser; empty without one.
    QString WindowId() const;

    // Browser events.
    void OnDocumentComplete(const QString& frameId, const QString& address);
    void OnQuit();

    // Calls of the page's replaced functions, through the adapters.
    void OnCloseGame(int memberId, const ScriptArguments& arguments, ScriptResult* result);
    void OnPlayForReal(int memberId, const ScriptArguments& arguments, ScriptResult* result);

    // The names of the replaced functions, and the frame that holds them.
    static constexpr const char* kFlashFrame = "flash";
    static constexpr const char* kCloseFunction = "CloseGame";
    static constexpr const char* kPlayFunction = "goCasino";
    // How the page reaches the program, and where it keeps what was replaced.
    static constexpr const char* kBindingName = "__tivoraScriptCall";
    static constexpr const char* kStoreName = "__tivoraReplaced";

private:
    // Where a replaced function of the page is kept: in the document of that frame, so that
    // it can be put back there.
    struct SavedHandler {
        QString frameId;
    };

    bool CreateBrowser();
    void ConnectEvents();
    void DisconnectEvents();
    void Navigate(const std::string& address);
    void ChangeScriptsDispatch();
    std::optional<DevToolsFrame> GetFlashFrame();
    void HookScript(const DevToolsFrame& frame, const char* name, const char* adapterId,
                    std::optional<SavedHandler> CTvIeHelper::*oldSlot);
    void SetScriptDispatch(const DevToolsFrame& frame, const char* name);
    void RestoreOldHandlers();
    void OnBindingCalled(const QString& name, const QString& payload);

    unsigned cookie_ = 0;
    std::unique_ptr<DevToolsWindow> browser_;
    std::unique_ptr<ScriptCallAdapter> closeAdapter_;
    std::optional<SavedHandler> oldCloseHandler_;
    std::unique_ptr<ScriptCallAdapter> playAdapter_;
    std::optional<SavedHandler> oldPlayHandler_;
    bool alive_ = true;
};
