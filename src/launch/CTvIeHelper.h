#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "launch/ScriptCallAdapter.h"
#include "platform/net/DevToolsWindow.h"

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

    enum class StartResult {
        Made,       // the window is there, connected and on its way to the address
        NotMade,    // no window could be made
        Exception,  // the framework failed while the window was being set up
    };
    using StartDone = std::function<void(StartResult)>;

    // Has the window opened and, once it is there, connects its events and navigates it to
    // address. Nothing waits: done gets the result from the event loop, never from within this
    // call, and not at all once the controller is gone. What happens after the window was made
    // does not change the result. done is the last thing the controller does in that turn, so
    // it may destroy the controller.
    void StartNewIE(const std::string& address, StartDone done);
    // The same, waited for; true when the window was made. For programs with nothing else to
    // do meanwhile.
    bool StartNewIE(const std::string& address);

    // True from construction until the window is reported gone.
    bool IsAlive() const { return alive_; }

    // The driven window's id in the automation browser; empty without one.
    QString WindowId() const;

    // Calls from the page that were not taken: from another frame or document than the one
    // hooked, without the adapter's key, or after the game was ended.
    int IgnoredCalls() const { return ignoredCalls_; }

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
    // How the page reaches the program (a random suffix follows, new for every hook), and
    // where it keeps what was replaced.
    static constexpr const char* kBindingPrefix = "__tivoraScriptCall";
    static constexpr const char* kStoreName = "__tivoraReplaced";
    // Error lines the page drives, for all its documents together (a page that reloads gets no
    // new share); one more line says the rest are dropped. The page's text in them is cut
    // after kMaxPageText bytes.
    static constexpr int kMaxPageErrors = 10;
    static constexpr std::size_t kMaxPageText = 200;

private:
    // Where a replaced function of the page is kept: in the document of that frame, so that
    // it can be put back there.
    struct SavedHandler {
        QString frameId;
    };

    void OnBrowserCreated(std::unique_ptr<DevToolsWindow> window, const std::string& address,
                          const StartDone& done);
    void ConnectEvents();
    void DisconnectEvents();
    void Navigate(const std::string& address);
    void ChangeScriptsDispatch();
    std::optional<DevToolsFrame> GetFlashFrame();
    void HookScript(const DevToolsFrame& frame, const char* name, const char* adapterId,
                    std::optional<SavedHandler> CTvIeHelper::*oldSlot);
    void SetScriptDispatch(const DevToolsFrame& frame, const char* name);
    void RestoreOldHandlers();
    void OnBindingCalled(const QString& name, const QString& payload, const QString& sessionId,
                         int contextId);
    bool IsHookedDocument(const QString& sessionId, int contextId) const;
    void PageError(const std::string& text);
    // Closes the window; the game is over for the page from now on.
    void CloseWindow();

    // The script context of the "flash" document in which the adapters were installed.
    struct HookedContext {
        QString sessionId;
        int contextId = 0;
        bool operator==(const HookedContext&) const = default;
    };

    unsigned cookie_ = 0;
    std::unique_ptr<DevToolsWindow> browser_;
    std::unique_ptr<ScriptCallAdapter> closeAdapter_;
    std::optional<SavedHandler> oldCloseHandler_;
    std::unique_ptr<ScriptCallAdapter> playAdapter_;
    std::optional<SavedHandler> oldPlayHandler_;
    bool alive_ = true;
    // Known only to this controller and the adapters it installs.
    QString key_;
    std::optional<HookedContext> hooked_;
    bool closing_ = false;
    int ignoredCalls_ = 0;
    int pageErrors_ = 0;
};
