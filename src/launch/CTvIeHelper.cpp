#include "launch/CTvIeHelper.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/ErrorLog.h"
#include "app/Trace.h"
#include "launch/BrowserLayer.h"
#include "launch/OpenLink.h"
#include "platform/UrlUtils.h"

namespace {

constexpr const char* kCloseAdapterId = "close";
constexpr const char* kPlayAdapterId = "play";
constexpr std::size_t kMaxLoggedAddress = UrlUtils::kMaxUrlBuffer - 1;

// Puts an adapter in place of a function of the frame's window and keeps the page's own one
// beside it. The adapter reports each call through the binding, with text arguments as text
// and other arguments by their kind only. Answers what happened: "nodispid" (no such
// function), "noget" (it cannot be read), "equal" (the adapter is in place already),
// "changed", or "failed".
constexpr const char* kHookScript = R"JS((function (name, adapterId, bindingName, storeName) {
  "use strict";
  var w = window;
  if (!(name in w)) return "nodispid";
  var current;
  try { current = w[name]; } catch (e) { return "noget"; }
  var held = Object.getOwnPropertyDescriptor(w, storeName);
  var store = held ? held.value : undefined;
  if (store && current !== undefined && store.adapters[name] === current) return "equal";
  var call = w[bindingName];
  if (typeof call !== "function") return "failed";
  if (!store) {
    store = { adapters: Object.create(null), old: Object.create(null) };
    try { Object.defineProperty(w, storeName, { value: store }); } catch (e) { return "failed"; }
  }
  var stringify = JSON.stringify;
  var adapter = function () {
    var args = [];
    for (var i = 0; i < arguments.length; ++i) {
      var value = arguments[i];
      args.push(typeof value === "string" ? { text: value } : { type: typeof value });
    }
    call(stringify({ adapter: adapterId, args: args }));
  };
  try { w[name] = adapter; } catch (e) { return "failed"; }
  if (w[name] !== adapter) return "failed";
  store.adapters[name] = adapter;
  store.old[name] = current;
  return "changed";
}))JS";

// Puts the page's own function back in place of the adapter. Answers "nodispid", "changed" or
// "failed".
constexpr const char* kRestoreScript = R"JS((function (name, storeName) {
  "use strict";
  var w = window;
  if (!(name in w)) return "nodispid";
  var held = Object.getOwnPropertyDescriptor(w, storeName);
  var store = held ? held.value : undefined;
  if (!store || !(name in store.old)) return "failed";
  var own = store.old[name];
  try { w[name] = own; } catch (e) { return "failed"; }
  if (w[name] !== own) return "failed";
  delete store.old[name];
  delete store.adapters[name];
  return "changed";
}))JS";

// A call of a script function with text arguments, each written as a script string.
QString ScriptText(const char* function, std::initializer_list<QString> arguments) {
    QStringList written;
    for (const QString& argument : arguments) {
        const QByteArray json = QJsonDocument(QJsonArray{argument}).toJson(QJsonDocument::Compact);
        written << QString::fromUtf8(json.mid(1, json.size() - 2));
    }
    return QString::fromUtf8(function) + "(" + written.join(", ") + ")";
}

// What a script evaluation answered, or empty when it did not run to its end.
QString Outcome(const DevToolsReply& reply) {
    if (!reply.ok || reply.result.contains("exceptionDetails")) {
        return {};
    }
    return reply.result.value("result").toObject().value("value").toString();
}

// Text from a page as it may stand in the log: control bytes written as escapes, and cut at
// the longest address a browser takes.
std::string Printable(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string printable;
    for (unsigned char byte : text.substr(0, kMaxLoggedAddress)) {
        if (byte < 0x20 || byte == 0x7F) {
            printable += "\\x";
            printable += kHex[byte >> 4];
            printable += kHex[byte & 0x0F];
        } else {
            printable += static_cast<char>(byte);
        }
    }
    if (text.size() > kMaxLoggedAddress) {
        printable += "...";
    }
    return printable;
}

// An http or https address that the browser launcher can open.
bool IsWebAddress(const std::string& text) {
    std::optional<UrlUtils::Url> url = UrlUtils::Parse(text);
    return url && (url->scheme == "http" || url->scheme == "https") && !url->host.empty() &&
           UrlUtils::Canonicalize(text, UrlUtils::kMaxUrlBuffer).has_value();
}

}  // namespace

CTvIeHelper::CTvIeHelper()
    : closeAdapter_(std::make_unique<ScriptCallAdapter>(this, &CTvIeHelper::OnCloseGame)),
      playAdapter_(std::make_unique<ScriptCallAdapter>(this, &CTvIeHelper::OnPlayForReal)) {}

CTvIeHelper::~CTvIeHelper() {
    DisconnectEvents();
    RestoreOldHandlers();
    oldPlayHandler_.reset();
    playAdapter_->Detach();
    playAdapter_.reset();
    oldCloseHandler_.reset();
    closeAdapter_->Detach();
    closeAdapter_.reset();
    browser_.reset();
}

QString CTvIeHelper::WindowId() const {
    return browser_ ? browser_->TargetId() : QString();
}

bool CTvIeHelper::StartNewIE(const std::string& address) {
    Trace("Start new IE with url: " + address);
    if (!CreateBrowser()) {
        return false;
    }
    ConnectEvents();
    Navigate(address);
    return true;
}

bool CTvIeHelper::CreateBrowser() {
    browser_.reset();
    browser_ = BrowserLayer::OpenWindow();
    if (!browser_) {
        Trace("Unable to start controlled Internet Explorer");
        return false;
    }
    browser_->SetFullScreen();
    return true;
}

void CTvIeHelper::ConnectEvents() {
    if (!browser_) {
        Trace("Unable to connect to WebBrowser: WebBrowser doesn't exist");
        return;
    }
    connect(browser_.get(), &DevToolsWindow::frameLoaded, this, &CTvIeHelper::OnDocumentComplete);
    connect(browser_.get(), &DevToolsWindow::bindingCalled, this, &CTvIeHelper::OnBindingCalled);
    connect(browser_.get(), &DevToolsWindow::gone, this, &CTvIeHelper::OnQuit);
    if (!browser_->EnableEvents(kBindingName)) {
        disconnect(browser_.get(), nullptr, this, nullptr);
        Trace("Unable to connect to WebBrowser");
        return;
    }
    cookie_ = 1;
}

void CTvIeHelper::DisconnectEvents() {
    if (!browser_) {
        return;
    }
    if (cookie_ != 0 && disconnect(browser_.get(), nullptr, this, nullptr)) {
        cookie_ = 0;
        Trace("Disconnected from WebBrowser");
    } else {
        Trace("Unable to disconnect from WebBrowser");
    }
}

void CTvIeHelper::Navigate(const std::string& address) {
    if (!browser_) {
        Trace("Unable to navigate: WebBrowser doesn't exist");
        return;
    }
    if (!UrlUtils::PathIsURL(address)) {
        LogError("Path is not URL: " + address);
        return;
    }
    browser_->Navigate(QString::fromStdString(address), this, [address](bool ok, const QString&) {
        if (!ok) {
            LogError("Unable to navigate to " + address);
        }
    });
}

void CTvIeHelper::OnDocumentComplete(const QString& /*frameId*/, const QString& address) {
    Trace("IE Event: Document complete (url = " + address.toStdString() + ")");
    ChangeScriptsDispatch();
}

void CTvIeHelper::ChangeScriptsDispatch() {
    Trace("Change scripts' IDispatch");
    std::optional<DevToolsFrame> frame = GetFlashFrame();
    if (!frame) {
        return;
    }
    HookScript(*frame, kCloseFunction, kCloseAdapterId, &CTvIeHelper::oldCloseHandler_);
    HookScript(*frame, kPlayFunction, kPlayAdapterId, &CTvIeHelper::oldPlayHandler_);
}

std::optional<DevToolsFrame> CTvIeHelper::GetFlashFrame() {
    std::optional<DevToolsFrame> page = browser_ ? browser_->MainFrame() : std::nullopt;
    if (!page) {
        Trace("failed: unable to get HTMLDocument");
        return std::nullopt;
    }
    if (page->contextId == 0) {
        Trace("failed: unable to get HTMLWindow");
        return std::nullopt;
    }
    std::optional<DevToolsFrame> flash = browser_->ChildFrame(kFlashFrame);
    if (!flash || flash->contextId == 0) {
        Trace("failed: unable to get frame IDispatch");
        return std::nullopt;
    }
    return flash;
}

void CTvIeHelper::HookScript(const DevToolsFrame& frame, const char* name, const char* adapterId,
                             std::optional<SavedHandler> CTvIeHelper::*oldSlot) {
    const QString script = ScriptText(kHookScript, {name, adapterId, kBindingName, kStoreName});
    const QString frameId = frame.id;
    browser_->Evaluate(frame, script, this, [this, oldSlot, frameId](const DevToolsReply& reply) {
        const QString outcome = Outcome(reply);
        if (outcome == "equal") {
            Trace("dispatches are equals");
        } else if (outcome == "changed") {
            Trace("succeeded: script's IDispatch changed");
            // A controller whose window is gone keeps nothing of it.
            if (browser_) {
                this->*oldSlot = SavedHandler{frameId};
            }
        } else if (outcome == "noget") {
            Trace("failed: unable to get old IDispatch");
        } else if (outcome == "failed") {
            Trace("failed: unable to change script's IDispatch");
        } else {
            Trace("failed: unable to get DispId of script");
        }
    });
}

void CTvIeHelper::SetScriptDispatch(const DevToolsFrame& frame, const char* name) {
    // Answered after the controller may be gone: the answer only leaves a trace.
    browser_->Evaluate(frame, ScriptText(kRestoreScript, {name, kStoreName}), nullptr,
                       [](const DevToolsReply& reply) {
                           const QString outcome = Outcome(reply);
                           if (outcome == "changed") {
                               Trace("succeeded: script's IDispatch changed");
                           } else if (outcome == "failed") {
                               Trace("failed: unable to change script's IDispatch");
                           } else {
                               Trace("failed: unable to get DispId of script");
                           }
                       });
}

void CTvIeHelper::RestoreOldHandlers() {
    if (!browser_) {
        return;
    }
    Trace("Restore old handlers");
    std::optional<DevToolsFrame> frame = GetFlashFrame();
    if (!frame) {
        return;
    }
    if (oldCloseHandler_) {
        SetScriptDispatch(*frame, kCloseFunction);
        oldCloseHandler_.reset();
    }
    if (oldPlayHandler_) {
        SetScriptDispatch(*frame, kPlayFunction);
        oldPlayHandler_.reset();
    }
}

void CTvIeHelper::OnBindingCalled(const QString& name, const QString& payload) {
    if (name != kBindingName) {
        return;
    }
    std::string error;
    std::optional<ScriptCall> call = ReadScriptCall(payload.toStdString(), &error);
    if (call && call->adapter == kCloseAdapterId) {
        ScriptResult result;
        closeAdapter_->Invoke(0, call->arguments, &result);
    } else if (call && call->adapter == kPlayAdapterId) {
        ScriptResult result;
        playAdapter_->Invoke(0, call->arguments, &result);
    } else {
        LogError("Unable to read a script call of the game page: " +
                 (call ? "unknown function '" + Printable(call->adapter) + "'" : error));
    }
}

void CTvIeHelper::OnCloseGame(int, const ScriptArguments&, ScriptResult*) {
    Trace("Close javascript was called");
    if (browser_) {
        browser_->Close();
    } else {
        Trace("failed: WebBrowser doesn't exist");
    }
}

void CTvIeHelper::OnPlayForReal(int, const ScriptArguments& arguments, ScriptResult*) {
    Trace("PlayForReal javascript was called");
    // The page decides what it passes: only an http or https address opens anything, and
    // the game window stays open when nothing was opened.
    if (arguments.empty()) {
        LogError("PlayForReal javascript was called without an address");
        return;
    }
    const ScriptArgument& address = arguments.back();
    if (!address.isText) {
        LogError("PlayForReal javascript was called with a value that is not text (" +
                 Printable(address.kind.substr(0, 16)) + ")");
        return;
    }
    if (!IsWebAddress(address.text)) {
        LogError("PlayForReal address refused, not an http or https address: '" +
                 Printable(address.text) + "'");
        return;
    }
    if (browser_) {
        OpenLink(address.text, NEW_WINDOW);
        browser_->Close();
    } else {
        Trace("failed: WebBrowser doesn't exist");
    }
}

void CTvIeHelper::OnQuit() {
    Trace("IE Event: Quit");
    Trace("IE quit message received");
    DisconnectEvents();
    oldCloseHandler_.reset();
    oldPlayHandler_.reset();
    if (browser_) {
        // Called from the window's own report of its end: it goes once that is done.
        browser_.release()->deleteLater();
    }
    alive_ = false;
}
