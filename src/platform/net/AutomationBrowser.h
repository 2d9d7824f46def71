#pragma once

#include <sys/types.h>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class DevToolsConnection;

// The browser that controlled windows live in: Chromium in a process of its own with a private
// profile folder, its DevTools connection on a pipe held by the browser host (see
// platform/BrowserHost.h), which offers it on a socket in the user's runtime folder to the
// user's own processes only. One such browser serves every controlled window; it is started
// when none answers on the profile's socket and reused when one does. It keeps running when the
// program ends, so that its windows stay open, and a later start of the program reaches it
// again.
namespace AutomationBrowser {

struct Options {
    std::string profileDir;                   // made with mode 0700 when missing
    std::string hostProgram;                  // the browser host executable
    std::vector<std::string> extraArguments;  // passed before the profile's own arguments
    int startTimeoutMs = 15000;               // for a started browser to answer
    int connectTimeoutMs = 5000;
};

// The Chromium program on $PATH (chromium, chromium-browser, google-chrome,
// google-chrome-stable), or nullopt.
std::optional<std::string> FindProgram();

// The host's socket for a profile: named after the profile folder, in the user's runtime folder.
// nullopt, with the reason in *why, when the user has no runtime folder or the path is too long
// for a socket.
std::optional<std::string> SocketPath(const std::string& profileDir, std::string* why = nullptr);

// The arguments the browser is started with for this profile.
std::vector<std::string> StartArguments(const Options& options);

// The arguments the host is started with: it serves socketPath with program (the browser)
// started with StartArguments.
std::vector<std::string> HostArguments(const Options& options, const std::string& socketPath,
                                       const std::string& program);

// Reaches the profile's browser from the event loop, starting a host and browser when none
// answers, and opens the connection to it. Nothing waits: each step goes on when the event loop
// brings its news. finished is sent once, never from within Start. A host that this object
// started and whose browser did not answer in time (or the object went first) is ended, and its
// browser with it: it would only put up a window of its own that nobody drives.
class Connector : public QObject {
    Q_OBJECT
public:
    Connector(DevToolsConnection& connection, Options options, QObject* parent = nullptr);
    ~Connector() override;
    Connector(const Connector&) = delete;
    Connector& operator=(const Connector&) = delete;

    void Start();
    // The host started by this object, 0 while none was (or a running one was reused).
    pid_t StartedPid() const { return started_; }

    // How often the socket is tried while the host starts.
    static constexpr int kPollIntervalMs = 25;

signals:
    // A browser host (and with it the browser) was started.
    void browserStarted(pid_t pid);
    void finished(bool connected);

private:
    void Begin();
    void StartHost();
    void Poll();
    // Asks the browser for its version: done gets whether it answered within timeoutMs.
    void Probe(int timeoutMs, std::function<void(bool answered)> done);
    void Finish(bool connected);
    void EndUnreachedBrowser();

    DevToolsConnection& connection_;
    Options options_;
    std::string socket_;
    pid_t started_ = 0;
    bool reached_ = false;
    bool finished_ = false;
    bool trying_ = false;  // an opening or probe of the started host is under way
    QTimer poll_;
    QElapsedTimer waited_;
};

// Opens connection to the profile's browser, starting one when none answers, and waits for
// it (a Connector run to its end). startedPid, when given, receives the id of a host started
// by this call (0 when a running one was reused).
bool Connect(DevToolsConnection& connection, const Options& options, pid_t* startedPid = nullptr);

}  // namespace AutomationBrowser
