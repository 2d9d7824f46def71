#include "platform/net/AutomationBrowser.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QEventLoop>
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>

#include "platform/net/BrowserHost.h"
#include "platform/net/DevToolsConnection.h"
#include "platform/os/DetachedProcess.h"
#include "platform/os/SystemPaths.h"

namespace AutomationBrowser {
namespace {

constexpr const char* kPrograms[] = {"chromium", "chromium-browser", "google-chrome",
                                     "google-chrome-stable"};

bool MakePrivateFolder(const std::string& path) {
    if (!SystemPaths::MakeDirectories(path, 0700)) {
        return false;
    }
    // An existing folder may have been made with looser rights; the profile holds cookies.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || info.st_uid != geteuid()) {
        return false;
    }
    return (info.st_mode & 0777) == 0700 || chmod(path.c_str(), 0700) == 0;
}

// FNV-1a: a short stable name for a profile folder, the same for every build of the program.
std::string NameOf(const std::string& profileDir) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : profileDir) {
        hash = (hash ^ byte) * 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

}  // namespace

std::optional<std::string> FindProgram() {
    for (const char* name : kPrograms) {
        if (auto path = DetachedProcess::FindExecutable(name)) {
            return path;
        }
    }
    return std::nullopt;
}

std::optional<std::string> SocketPath(const std::string& profileDir, std::string* why) {
    std::string problem;
    auto folder = SystemPaths::UserRuntimeFolder(&problem);
    if (!folder) {
        if (why != nullptr) {
            *why = "no private runtime folder: " + problem;
        }
        return std::nullopt;
    }
    std::string path = *folder + "/tivora-browser-" + NameOf(profileDir) + ".socket";
    if (path.size() > BrowserHost::kMaxSocketPath) {
        if (why != nullptr) {
            *why = "the browser's socket path is too long: " + path;
        }
        return std::nullopt;
    }
    return path;
}

std::vector<std::string> StartArguments(const Options& options) {
    std::vector<std::string> arguments = options.extraArguments;
    // The DevTools connection on descriptors 3 and 4, which only the host holds: no port.
    arguments.push_back("--remote-debugging-pipe");
    arguments.push_back("--user-data-dir=" + options.profileDir);
    arguments.push_back("--no-first-run");
    arguments.push_back("--no-default-browser-check");
    // Chromium's sandbox refuses to run as root; an ordinary user keeps it.
    if (geteuid() == 0) {
        arguments.push_back("--no-sandbox");
    }
    arguments.push_back("about:blank");
    return arguments;
}

std::vector<std::string> HostArguments(const Options& options, const std::string& socketPath,
                                       const std::string& program) {
    std::vector<std::string> arguments = {"--socket", socketPath, "--", program};
    for (std::string& argument : StartArguments(options)) {
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

Connector::Connector(DevToolsConnection& connection, Options options, QObject* parent)
    : QObject(parent), connection_(connection), options_(std::move(options)) {
    poll_.setInterval(kPollIntervalMs);
    connect(&poll_, &QTimer::timeout, this, &Connector::Poll);
}

Connector::~Connector() {
    if (!finished_) {
        EndUnreachedBrowser();
    }
}

void Connector::Start() {
    QMetaObject::invokeMethod(this, &Connector::Begin, Qt::QueuedConnection);
}

void Connector::Begin() {
    if (options_.profileDir.empty() || !MakePrivateFolder(options_.profileDir)) {
        Finish(false);
        return;
    }
    auto socket = SocketPath(options_.profileDir);
    if (!socket) {
        Finish(false);
        return;
    }
    socket_ = *socket;
    // A host that serves the profile already is reused when its browser answers.
    connection_.OpenAsync(QString::fromStdString(socket_), options_.connectTimeoutMs, this,
                          [this](bool opened) {
                              if (!opened) {
                                  StartHost();
                                  return;
                              }
                              Probe(options_.connectTimeoutMs, [this](bool answered) {
                                  if (answered) {
                                      Finish(true);
                                  } else {
                                      connection_.Close();
                                      StartHost();
                                  }
                              });
                          });
}

void Connector::StartHost() {
    auto program = FindProgram();
    if (!program) {
        Finish(false);
        return;
    }
    auto pid =
        DetachedProcess::Start(options_.hostProgram, HostArguments(options_, socket_, *program));
    if (!pid) {
        Finish(false);
        return;
    }
    started_ = *pid;
    emit browserStarted(started_);
    waited_.start();
    poll_.start();
}

void Connector::Poll() {
    if (trying_) {
        return;
    }
    // A host that could not serve (the browser did not start, or another host holds the
    // socket) is gone early: its exit status is collected at once.
    if (kill(started_, 0) != 0) {
        poll_.stop();
        reached_ = true;  // nothing left to end
        Finish(false);
        return;
    }
    if (waited_.elapsed() >= options_.startTimeoutMs) {
        poll_.stop();
        EndUnreachedBrowser();
        Finish(false);
        return;
    }
    // Until the host listens, the socket is missing or a dead host's, and refuses at once.
    trying_ = true;
    connection_.OpenAsync(
        QString::fromStdString(socket_), options_.connectTimeoutMs, this, [this](bool opened) {
            if (!opened) {
                trying_ = false;
                return;
            }
            poll_.stop();
            const int left =
                static_cast<int>(std::max<qint64>(1, options_.startTimeoutMs - waited_.elapsed()));
            Probe(left, [this](bool answered) {
                trying_ = false;
                if (answered) {
                    reached_ = true;
                    Finish(true);
                } else {
                    connection_.Close();
                    EndUnreachedBrowser();
                    Finish(false);
                }
            });
        });
}

void Connector::Probe(int timeoutMs, std::function<void(bool)> done) {
    connection_.Request("Browser.getVersion", {}, {}, timeoutMs, this,
                        [done = std::move(done)](const DevToolsReply& reply) { done(reply.ok); });
}

void Connector::EndUnreachedBrowser() {
    // The host closes the browser's pipe, and the browser ends with it.
    if (started_ != 0 && !reached_) {
        kill(started_, SIGTERM);
    }
}

void Connector::Finish(bool connected) {
    finished_ = true;
    emit finished(connected);
}

bool Connect(DevToolsConnection& connection, const Options& options, pid_t* startedPid) {
    Connector connector(connection, options);
    std::optional<bool> connected;
    QEventLoop loop;
    QObject::connect(&connector, &Connector::finished, &loop, [&](bool ok) {
        connected = ok;
        loop.quit();
    });
    connector.Start();
    // Every step of the connector is bounded, so this wait is too.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (startedPid != nullptr) {
        *startedPid = connector.StartedPid();
    }
    return connected.value_or(false);
}

}  // namespace AutomationBrowser
