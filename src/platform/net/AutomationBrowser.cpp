#include "platform/net/AutomationBrowser.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QEventLoop>
#include <QFile>
#include <cctype>
#include <csignal>
#include <cstdio>

#include "platform/net/DevToolsConnection.h"
#include "platform/os/DetachedProcess.h"
#include "platform/os/SystemPaths.h"

namespace AutomationBrowser {
namespace {

constexpr const char* kPortFile = "DevToolsActivePort";
constexpr const char* kPrograms[] = {"chromium", "chromium-browser", "google-chrome",
                                     "google-chrome-stable"};
constexpr int kUuidLength = 36;

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

std::string PortFile(const std::string& profileDir) {
    return profileDir + "/" + kPortFile;
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

std::optional<QUrl> ReadEndpoint(const std::string& profileDir) {
    QFile file(QString::fromStdString(PortFile(profileDir)));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QList<QByteArray> lines = file.read(4096).split('\n');
    if (lines.size() < 2) {
        return std::nullopt;
    }
    bool isNumber = false;
    const int port = lines[0].trimmed().toInt(&isNumber);
    const QByteArray path = lines[1].trimmed();
    // The path names the browser by a UUID; anything else is not its file, or not all of it.
    const QByteArray prefix = "/devtools/browser/";
    if (!isNumber || port <= 0 || port > 65535 || !path.startsWith(prefix) ||
        path.size() != prefix.size() + kUuidLength) {
        return std::nullopt;
    }
    for (char byte : path.mid(prefix.size())) {
        if (!(std::isxdigit(static_cast<unsigned char>(byte)) || byte == '-')) {
            return std::nullopt;
        }
    }
    QUrl url;
    url.setScheme("ws");
    url.setHost("127.0.0.1");
    url.setPort(port);
    url.setPath(QString::fromLatin1(path));
    return url;
}

std::vector<std::string> StartArguments(const Options& options) {
    std::vector<std::string> arguments = options.extraArguments;
    arguments.push_back("--remote-debugging-port=0");
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
    if (auto endpoint = ReadEndpoint(options_.profileDir)) {
        connection_.OpenAsync(*endpoint, options_.connectTimeoutMs, this, [this](bool opened) {
            if (opened) {
                Finish(true);
            } else {
                StartBrowser();
            }
        });
        return;
    }
    StartBrowser();
}

void Connector::StartBrowser() {
    // Nobody answers on the announced port: whatever wrote it is gone.
    std::remove(PortFile(options_.profileDir).c_str());
    auto program = FindProgram();
    auto pid = program ? DetachedProcess::Start(*program, StartArguments(options_)) : std::nullopt;
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
    // The browser writes the file once it listens. A browser already running on the profile
    // without a port takes the start over and no file comes: then the wait runs out. A browser
    // that could not start is gone early (its exit status is collected at once).
    std::optional<QUrl> endpoint = ReadEndpoint(options_.profileDir);
    if (endpoint) {
        poll_.stop();
        reached_ = true;
        connection_.OpenAsync(*endpoint, options_.connectTimeoutMs, this,
                              [this](bool opened) { Finish(opened); });
    } else if (kill(started_, 0) != 0) {
        poll_.stop();
        reached_ = true;  // nothing left to end
        Finish(false);
    } else if (waited_.elapsed() >= options_.startTimeoutMs) {
        poll_.stop();
        EndUnreachedBrowser();
        Finish(false);
    }
}

void Connector::EndUnreachedBrowser() {
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
