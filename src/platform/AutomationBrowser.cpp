#include "platform/AutomationBrowser.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <thread>

#include "platform/DetachedProcess.h"
#include "platform/DevToolsConnection.h"
#include "platform/SystemPaths.h"

namespace AutomationBrowser {
namespace {

constexpr const char* kPortFile = "DevToolsActivePort";
constexpr const char* kPrograms[] = {"chromium", "chromium-browser", "google-chrome",
                                     "google-chrome-stable"};
constexpr int kPollIntervalMs = 25;
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

bool Connect(DevToolsConnection& connection, const Options& options, pid_t* startedPid) {
    if (startedPid != nullptr) {
        *startedPid = 0;
    }
    if (options.profileDir.empty() || !MakePrivateFolder(options.profileDir)) {
        return false;
    }
    if (auto endpoint = ReadEndpoint(options.profileDir)) {
        if (connection.Open(*endpoint, options.connectTimeoutMs)) {
            return true;
        }
    }
    // Nobody answers on the announced port: whatever wrote it is gone.
    std::remove(PortFile(options.profileDir).c_str());
    auto program = FindProgram();
    if (!program) {
        return false;
    }
    auto pid = DetachedProcess::Start(*program, StartArguments(options));
    if (!pid) {
        return false;
    }
    if (startedPid != nullptr) {
        *startedPid = *pid;
    }
    // The browser writes the file once it listens. A browser already running on the profile
    // without a port takes the start over and no file comes: then the wait runs out. A browser
    // that could not start is gone early (its exit status is collected at once).
    std::optional<QUrl> endpoint;
    QElapsedTimer waited;
    waited.start();
    while (!(endpoint = ReadEndpoint(options.profileDir)) &&
           waited.elapsed() < options.startTimeoutMs && kill(*pid, 0) == 0) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, kPollIntervalMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollIntervalMs));
    }
    return endpoint && connection.Open(*endpoint, options.connectTimeoutMs);
}

}  // namespace AutomationBrowser
