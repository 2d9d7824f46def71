#pragma once

#include <sys/types.h>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

class DevToolsConnection;

// The browser that controlled windows live in: Chromium in a process of its own with a private
// profile folder, its DevTools endpoint on a loopback port that it picks itself and writes to
// "DevToolsActivePort" in the profile folder. One such browser serves every controlled window;
// it is started when none runs on the profile and reused when one does. It keeps running when
// the program ends, so that its windows stay open.
namespace AutomationBrowser {

struct Options {
    std::string profileDir;                   // made with mode 0700 when missing
    std::vector<std::string> extraArguments;  // passed before the profile's own arguments
    int startTimeoutMs = 15000;               // for the browser to announce its port
    int connectTimeoutMs = 5000;
};

// The Chromium program on $PATH (chromium, chromium-browser, google-chrome,
// google-chrome-stable), or nullopt.
std::optional<std::string> FindProgram();

// The browser endpoint announced in profileDir, or nullopt when there is none or it is not
// well formed (a port, a line break and a path that starts with "/devtools/browser/").
std::optional<QUrl> ReadEndpoint(const std::string& profileDir);

// The arguments the browser is started with for this profile.
std::vector<std::string> StartArguments(const Options& options);

// Reaches the profile's browser from the event loop, starting one when none answers, and opens
// the connection to it. Nothing waits: each step goes on when the event loop brings its news.
// finished is sent once, never from within Start. A browser that this object started and did
// not reach (it did not announce its port in time, or the object went first) is ended: it
// would only put up a window of its own that nobody drives.
class Connector : public QObject {
    Q_OBJECT
public:
    Connector(DevToolsConnection& connection, Options options, QObject* parent = nullptr);
    ~Connector() override;
    Connector(const Connector&) = delete;
    Connector& operator=(const Connector&) = delete;

    void Start();
    // The browser started by this object, 0 while none was (or one was reused).
    pid_t StartedPid() const { return started_; }

    // How often the profile folder is looked at for the port while the browser starts.
    static constexpr int kPollIntervalMs = 25;

signals:
    // A browser process was started.
    void browserStarted(pid_t pid);
    void finished(bool connected);

private:
    void Begin();
    void StartBrowser();
    void Poll();
    void Finish(bool connected);
    void EndUnreachedBrowser();

    DevToolsConnection& connection_;
    Options options_;
    pid_t started_ = 0;
    bool reached_ = false;
    bool finished_ = false;
    QTimer poll_;
    QElapsedTimer waited_;
};

// Opens connection to the profile's browser, starting one when none answers, and waits for
// it (a Connector run to its end). startedPid, when given, receives the id of a browser started
// by this call (0 when one was reused).
bool Connect(DevToolsConnection& connection, const Options& options, pid_t* startedPid = nullptr);

}  // namespace AutomationBrowser
