#include "launch/CTvIeHelper.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include "app/ErrorLog.h"
#include "app/Exceptions.h"
#include "app/Trace.h"
#include "launch/BrowserLayer.h"
#include "launch/OpenLink.h"
#include "platform/net/UrlUtils.h"

namespace {

constexpr const char* kCloseAdapterId = "close";
constexpr const char* kPlayAdapterId = "play";

// Puts an adapter in place of a function of the frame's window and keeps the page's own one
// beside it. The binding that the program gave this document is taken out of the page's reach
// first, whatever else happens: only the adapters keep it. An adapter passes on the last
// argument of a call (text up to maxText characters, else its kind only) with the key, and
// touches nothing the page could have replaced on the way: no method of the page's objects
// sees the key. Answers what happened: "nodispid" (no such function), "noget" (it cannot be
// read), "equal" (the adapter is in place already), "changed", or "failed".
constexpr const char* kHookScript =
    R"JS((function (name, adapterId, bindingName, storeName, key, maxText) {
  "use strict";
  var w = window;
  var call = w[bindingName];
  delete w[bindingName];
  if (!(name in w)) return "nodispid";
  var current;
  try { current = w[name]; } catch (e) { return "noget"; }
  var held = Object.getOwnPropertyDescriptor(w, storeName);
  var store = held ? held.value : undefined;
  if (store && current !== undefined && store.adapters[name] === current) return "equal";
  if (typeof call !== "function") return "failed";
  if (!store) {
    store = { adapters: Object.create(null), old: Object.create(null) };
    try { Object.defineProperty(w, storeName, { value: store }); } catch (e) { return "failed"; }
  }
  var stringify = JSON.stringify;
  var adapter = function () {
    var args = "";
    if (arguments.length > 0) {
      var value = arguments[arguments.length - 1];
      var kind = typeof value;
      if (kind !== "string") {
        args = '{"type":"' + kind + '"}';
      } else if (value.length > maxText) {
        args = '{"type":"string","tooLong":true}';
      } else {
        var text = stringify(value);
        args = typeof text === "string" && text.length <= 6 * maxText + 2 ? '{"text":' + text + '}'
                                                                          : '{"type":"string"}';
      }
    }
    call('{"key":"' + key + '","adapter":"' + adapterId + '","args":[' + args + ']}');
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

// A call of a script function with its arguments, each written as a script value.
QString ScriptText(const char* function, const QJsonArray& arguments) {
    QStringList written;
    for (const QJsonValue& argument : arguments) {
        const QByteArray json = QJsonDocument(QJsonArray{argument}).toJson(QJsonDocument::Compact);
        written << QString::fromUtf8(json.mid(1, json.size() - 2));
    }
    return QString::fromUtf8(function) + "(" + written.join(", ") + ")";
}

// 128 bits from the system's random source, as hex digits.
QString RandomHex() {
    const quint64 high = QRandomGenerator::system()->generate64();
    const quint64 low = QRandomGenerator::system()->generate64();
    return QStringLiteral("%1%2").arg(high, 16, 16, QChar('0')).arg(low, 16, 16, QChar('0'));
}

// What a script evaluation answered, or empty when it did not run to its end.
QString Outcome(const DevToolsReply& reply) {
    if (!reply.ok || reply.result.contains("exceptionDetails")) {
        return {};
    }
    return reply.result.value("result").toObject().value("value").toString();
}

}  // namespace

CTvIeHelper::CTvIeHelper()
    : closeAdapter_(std::make_unique<ScriptCallAdapter>(
          [this](int id, const ScriptArguments& arguments, ScriptResult* result) {
              OnCloseGame(id, arguments, result);
          })),
      playAdapter_(std::make_unique<ScriptCallAdapter>(
          [this](int id, const ScriptArguments& arguments, ScriptResult* result) {
              OnPlayForReal(id, arguments, result);
          })),
      key_(RandomHex()) {}

CTvIeHelper::~CTvIeHelper() {
    if (ignoredCalls_ > 0) {
        Trace("Script calls of the game window ignored: " + std::to_string(ignoredCalls_));
    }
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

void CTvIeHelper::StartNewIE(const std::string& address, StartDone done) {
    Trace("Start new IE with url: " + address);
    browser_.reset();
    BrowserLayer::RequestWindow(
        this, [this, address, done = std::move(done)](std::unique_ptr<DevToolsWindow> window) {
            OnBrowserCreated(std::move(window), address, done);
        });
}

void CTvIeHelper::OnBrowserCreated(std::unique_ptr<DevToolsWindow> window,
                                   const std::string& address, const StartDone& done) {
    if (!window) {
        Trace("Unable to start controlled Internet Explorer");
        done(StartResult::NotMade);
        return;
    }
    StartResult result = StartResult::Made;
    try {
        browser_ = std::move(window);
        browser_->SetFullScreen();
        ConnectEvents();
        Navigate(address);
    } catch (const FrameworkException&) {
        result = StartResult::Exception;
    } catch (const std::exception&) {
        result = StartResult::Exception;
    }
    done(result);
}

bool CTvIeHelper::StartNewIE(const std::string& address) {
    std::optional<StartResult> result;
    QEventLoop loop;
    StartNewIE(address, [&](StartResult outcome) {
        result = outcome;
        loop.quit();
    });
    // Every step of making the window is bounded, so this wait is too.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return result == StartResult::Made;
}

void CTvIeHelper::ConnectEvents() {
    if (!browser_) {
        Trace("Unable to connect to WebBrowser: WebBrowser doesn't exist");
        return;
    }
    connect(browser_.get(), &DevToolsWindow::frameLoaded, this, &CTvIeHelper::OnDocumentComplete);
    connect(browser_.get(), &DevToolsWindow::bindingCalled, this, &CTvIeHelper::OnBindingCalled);
    connect(browser_.get(), &DevToolsWindow::gone, this, &CTvIeHelper::OnQuit);
    if (!browser_->EnableEvents()) {
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
    // A binding goes to a context once: each hook brings a new one, which the script takes.
    const QString bindingName = QString::fromUtf8(kBindingPrefix) + RandomHex();
    const QString script = ScriptText(kHookScript, {name, adapterId, bindingName, kStoreName, key_,
                                                    static_cast<qint64>(kMaxScriptText)});
    const QString frameId = frame.id;
    const HookedContext context{frame.sessionId, frame.contextId};
    // The binding lives only in this document, and only until the script takes it.
    browser_->AddBinding(frame, bindingName);
    browser_->Evaluate(frame, script, this, [=, this](const DevToolsReply& reply) {
        const QString outcome = Outcome(reply);
        if (outcome == "equal" || outcome == "changed") {
            hooked_ = context;
        }
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

bool CTvIeHelper::IsHookedDocument(const QString& sessionId, int contextId) const {
    if (!browser_ || !hooked_ || hooked_ != HookedContext{sessionId, contextId}) {
        return false;
    }
    // Still the document of the "flash" frame, not one that the window went on to.
    std::optional<DevToolsFrame> flash = browser_->ChildFrame(kFlashFrame);
    return flash && flash->sessionId == sessionId && flash->contextId == contextId;
}

void CTvIeHelper::OnBindingCalled(const QString& name, const QString& payload,
                                  const QString& sessionId, int contextId) {
    if (!name.startsWith(kBindingPrefix) || closing_ || !IsHookedDocument(sessionId, contextId)) {
        ++ignoredCalls_;
        return;
    }
    std::string error;
    std::optional<ScriptCall> call = ReadScriptCall(payload.toStdString(), &error);
    if (call && call->key != key_.toStdString()) {
        ++ignoredCalls_;
        return;
    }
    if (call && call->adapter == kCloseAdapterId) {
        ScriptResult result;
        closeAdapter_->Invoke(0, call->arguments, &result);
    } else if (call && call->adapter == kPlayAdapterId) {
        ScriptResult result;
        playAdapter_->Invoke(0, call->arguments, &result);
    } else {
        PageError("Unable to read a script call of the game page: " +
                  (call ? "unknown function '" + PrintableAddress(call->adapter, kMaxPageText) + "'"
                        : error));
    }
}

void CTvIeHelper::PageError(const std::string& text) {
    // A page must not be able to push the program's real errors out of the log.
    if (pageErrors_ < kMaxPageErrors) {
        LogError(text);
    } else if (pageErrors_ == kMaxPageErrors) {
        LogError("Further errors of the game page are not logged");
    }
    if (pageErrors_ <= kMaxPageErrors) {
        ++pageErrors_;
    }
}

void CTvIeHelper::CloseWindow() {
    closing_ = true;
    browser_->Close();
}

void CTvIeHelper::OnCloseGame(int, const ScriptArguments&, ScriptResult*) {
    Trace("Close javascript was called");
    if (browser_) {
        CloseWindow();
    } else {
        Trace("failed: WebBrowser doesn't exist");
    }
}

void CTvIeHelper::OnPlayForReal(int, const ScriptArguments& arguments, ScriptResult*) {
    Trace("PlayForReal javascript was called");
    // The page decides what it passes: only an http or https address opens anything, and
    // the game window stays open when nothing was opened.
    if (arguments.empty()) {
        PageError("PlayForReal javascript was called without an address");
        return;
    }
    const ScriptArgument& address = arguments.back();
    if (address.tooLong) {
        PageError("PlayForReal address refused, longer than " + std::to_string(kMaxScriptText) +
                  " characters");
        return;
    }
    if (!address.isText) {
        PageError("PlayForReal javascript was called with a value that is not text (" +
                  PrintableAddress(address.kind, 16) + ")");
        return;
    }
    if (!UrlUtils::IsWebAddress(address.text)) {
        PageError("PlayForReal address refused, not an http or https address: '" +
                  PrintableAddress(address.text, kMaxPageText) + "'");
        return;
    }
    if (browser_) {
        OpenNetworkLink(address.text, NEW_WINDOW);
        CloseWindow();
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
