#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QtGlobal>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The browser host: the small process that starts the automation browser with its DevTools
// connection on a pipe (commands on the browser's descriptor 3, answers and events on 4, each
// message JSON ended by a NUL byte), lives exactly as long as the browser, and offers that
// connection on a UNIX socket that only its user can reach. The browser ends when the pipe
// closes, so it never outlives the host; the host ends when the browser does and removes its
// socket. The browser has no network listener at all: nobody but the user's own processes can
// drive it.
//
// Who may connect: the socket is made with mode 0600 in a folder that must be private to the
// user (see SystemPaths::PrivateFolderProblem), and a peer whose user id (SO_PEERCRED) is not the
// host's own is closed at once.
//
// Several clients at once: up to kMaxClients are served side by side, as if each had a
// connection of its own. Command ids are renumbered on the pipe and given back in the answers;
// a session belongs to the client that attached it (and its child sessions with it), its events
// go to that client only, and another client's command on it or about it is answered "Session with
// given id not found." Events of the browser itself go to every client. When a client goes, however
// it goes, the sessions it attached are let run (in case a target waits for its debugger) and
// detached, as the browser does for a connection that closes; answers still due to it are
// dropped. A further client beyond kMaxClients is closed at once.
//
// Garbage and floods: a client message must be a JSON object with a whole-number "id", a text
// "method" and, when present, an object "params" and a text "sessionId"; anything else, or a
// message over kMaxClientMessage bytes, closes that client (the browser never sees it). A
// client is read only while less than kBrowserBacklog bytes wait for the browser and while
// fewer than kMaxOutstanding of its commands wait for their answer; one that leaves more than
// kMaxClientBacklog bytes unread is closed. A browser message over kMaxBrowserMessage bytes is
// dropped. None of this reaches the other clients or the browser.
namespace BrowserHost {

constexpr int kMaxClients = 8;
constexpr qsizetype kMaxClientMessage = 16 * 1024 * 1024;
constexpr qsizetype kMaxBrowserMessage = 64 * 1024 * 1024;
constexpr qsizetype kBrowserBacklog = 1024 * 1024;
constexpr qsizetype kMaxClientBacklog = 256 * 1024 * 1024;
constexpr int kMaxOutstanding = 1000;
// Asked to end (SIGTERM, SIGINT, SIGHUP), the host closes the browser's pipe and asks the
// browser to end; one still there after kEndGraceMs is killed.
constexpr int kEndGraceMs = 5000;

// The longest socket path the host can serve: a UNIX socket's 108 bytes, less the terminating
// zero and the ".new" of the name it is made under.
constexpr std::size_t kMaxSocketPath = 103;

// Exit codes of the host when it ends before the browser ran; otherwise it ends with the
// browser's status (128 + the signal number when a signal ended it).
enum ExitCode {
    kUsage = 64,
    kUnsafeFolder = 65,   // the socket's folder is not private to the user
    kAlreadyServed = 66,  // another host holds the socket
    kCannotListen = 67,
    kCannotStart = 68,  // the browser program could not be started
};

// A client's message as the host passes it on: only its "id", "method", "params" and
// "sessionId"; nullopt when it is not a JSON object with a whole-number "id" from 0 to 2^53 - 1,
// a non-empty text "method" and, when present, an object "params" and a text "sessionId".
std::optional<QJsonObject> ClientCommand(const QByteArray& message);

// The lock beside the socket that one host holds while it serves it.
std::string LockPathFor(const std::string& socketPath);

// Serves socketPath with the browser started as program with arguments (which should ask it
// for its pipe); returns the exit code. Takes over the process's signal handling.
int Run(const std::string& socketPath, const std::string& program,
        const std::vector<std::string>& arguments);

}  // namespace BrowserHost
