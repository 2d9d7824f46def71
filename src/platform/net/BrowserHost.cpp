#include "platform/net/BrowserHost.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/net/DevToolsFrames.h"
#include "platform/os/OwnedDescriptor.h"
#include "platform/os/Spawn.h"
#include "platform/os/SystemPaths.h"

namespace BrowserHost {
namespace {

constexpr qsizetype kReadChunk = 64 * 1024;
// A session whose client went: its events are dropped until the browser confirms the detach.
constexpr int kGone = -1;
// The largest id that a JSON number holds exactly.
constexpr double kMaxId = 9007199254740991.0;

void SetNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

QByteArray Json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Bytes waiting to be written, with the part already written skipped.
struct Outbox {
    QByteArray bytes;
    qsizetype written = 0;

    qsizetype Size() const { return bytes.size() - written; }
    void Add(const QByteArray& message) {
        if (written > 0 && written == bytes.size()) {
            bytes.clear();
            written = 0;
        }
        bytes.append(DevToolsFrames::Frame(message));
    }
    // Writes what it can; false when the other end is gone.
    bool Flush(int fd, bool socket) {
        while (Size() > 0) {
            const char* data = bytes.constData() + written;
            const auto size = static_cast<size_t>(Size());
            const ssize_t done =
                socket ? send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT) : write(fd, data, size);
            if (done < 0) {
                return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
            }
            written += done;
        }
        bytes.clear();
        written = 0;
        return true;
    }
};

struct Client {
    OwnedDescriptor fd;
    DevToolsFrames in{kMaxClientMessage};
    Outbox out;
    int outstanding = 0;  // commands sent on and not answered yet
};

struct Session {
    int owner = 0;  // the client that attached it; 0 when none is known, kGone after it went
    QString parent;
};

struct Command {
    int client = 0;  // 0: the host's own; kGone: the client went
    QJsonValue clientId;
    QString sessionId;
    bool attaches = false;  // its answer names a new session
    QString attachTarget;   // a Target.attachToTarget's target
    QString detachSession;  // the host's own Target.detachFromTarget
};

class Relay {
public:
    Relay(int listener, int toBrowser, int fromBrowser, int signalFd, pid_t browser)
        : listener_(listener),
          toBrowser_(toBrowser),
          fromBrowser_(fromBrowser),
          signals_(signalFd),
          browser_(browser) {}

    int Run() {
        while (!ended_) {
            Poll();
        }
        return status_;
    }

private:
    void Poll() {
        enum Slot { kSignals, kListener, kFromBrowser, kToBrowser, kClients };
        std::vector<pollfd> fds(kClients);
        fds[kSignals] = {signals_, POLLIN, 0};
        fds[kListener] = {listener_, POLLIN, 0};
        fds[kFromBrowser] = {fromBrowser_.Get(), POLLIN, 0};
        fds[kToBrowser] = {toBrowser_.Get(), static_cast<short>(toBrowserBox_.Size() ? POLLOUT : 0),
                           0};
        std::vector<int> order;
        const bool browserHasRoom = toBrowserBox_.Size() < kBrowserBacklog;
        for (auto& [number, client] : clients_) {
            short events = client.out.Size() > 0 ? POLLOUT : 0;
            if (browserHasRoom && client.outstanding < kMaxOutstanding) {
                events |= POLLIN;
            }
            fds.push_back({client.fd.Get(), events, 0});
            order.push_back(number);
        }
        int timeout = -1;
        if (ending_.isValid() && !killed_) {
            timeout = static_cast<int>(std::max<qint64>(0, kEndGraceMs - ending_.elapsed()));
        }
        if (poll(fds.data(), fds.size(), timeout) < 0) {
            return;  // EINTR: nothing is caught by a handler, but look again all the same
        }
        if (fds[kSignals].revents != 0) {
            OnSignals();
        }
        if (ending_.isValid() && ending_.elapsed() >= kEndGraceMs && !killed_) {
            kill(browser_, SIGKILL);
            killed_ = true;
        }
        if (fds[kFromBrowser].revents != 0) {
            ReadBrowser();
        }
        if (fds[kToBrowser].revents != 0 && !toBrowserBox_.Flush(toBrowser_.Get(), false)) {
            CloseBrowserInput();
        }
        for (std::size_t i = 0; i < order.size(); ++i) {
            const short revents = fds[kClients + i].revents;
            if (revents != 0 && clients_.count(order[i]) != 0) {
                ServeClient(order[i], revents);
            }
        }
        if (fds[kListener].revents != 0) {
            Accept();
        }
        if (toBrowserBox_.Size() > 0 && !toBrowserBox_.Flush(toBrowser_.Get(), false)) {
            CloseBrowserInput();
        }
    }

    void OnSignals() {
        signalfd_siginfo info{};
        while (read(signals_, &info, sizeof info) == sizeof info) {
            if (info.ssi_signo != SIGCHLD && !ending_.isValid()) {
                // Asked to end: so is the browser, in order, as when its pipe closes; one that
                // reads neither is killed after a while.
                CloseBrowserInput();
                kill(browser_, SIGTERM);
                ending_.start();
            }
        }
        int status = 0;
        if (waitpid(browser_, &status, WNOHANG) == browser_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            ended_ = true;
        }
    }

    void CloseBrowserInput() {
        toBrowser_.Reset(-1);
        toBrowserBox_ = {};
    }

    void ReadBrowser() {
        char buffer[kReadChunk];
        const ssize_t got = read(fromBrowser_.Get(), buffer, sizeof buffer);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
            fromBrowser_.Reset(-1);  // the browser is on its way out; its exit ends the host
            return;
        }
        if (got < 0) {
            return;
        }
        fromBrowserFrames_.Append(buffer, got);
        while (auto message = fromBrowserFrames_.Next()) {
            FromBrowser(*message);
        }
        fromBrowserFrames_.TakeOverflow();  // the message's client waits in vain, as for a lost one
    }

    void FromBrowser(const QByteArray& bytes) {
        const QJsonObject message = QJsonDocument::fromJson(bytes).object();
        if (message.contains("id")) {
            Answer(message);
        } else if (message.contains("method")) {
            Event(message);
        }
    }

    void Answer(QJsonObject message) {
        auto found = commands_.find(message.value("id").toInteger(-1));
        if (found == commands_.end()) {
            return;
        }
        const Command command = found->second;
        commands_.erase(found);
        const QString attached =
            command.attaches ? message.value("result").toObject().value("sessionId").toString()
                             : QString();
        if (!command.detachSession.isEmpty()) {
            Forget(command.detachSession);
            return;
        }
        auto client = clients_.find(command.client);
        if (!attached.isEmpty()) {
            const int owner = client != clients_.end() ? command.client : kGone;
            sessions_[attached] = {owner, command.sessionId};
            if (owner == kGone) {
                Detach(attached);
            }
        }
        if (client == clients_.end()) {
            return;
        }
        --client->second.outstanding;
        message.insert("id", command.clientId);
        ToClient(command.client, Json(message));
    }

    void Event(const QJsonObject& message) {
        const QString method = message.value("method").toString();
        const QString via = message.value("sessionId").toString();
        const QJsonObject params = message.value("params").toObject();
        const QString subject = params.value("sessionId").toString();
        int to = OwnerOf(via);
        if (method == "Target.attachedToTarget" && !subject.isEmpty()) {
            if (via.isEmpty()) {
                to = AttachingClient(params.value("targetInfo").toObject().value("targetId"));
            }
            sessions_[subject] = {to, via};
        } else if (method == "Target.detachedFromTarget" && !subject.isEmpty()) {
            if (auto known = sessions_.find(subject); known != sessions_.end()) {
                to = known->second.owner;
            }
            Forget(subject);
        }
        if (to == kGone) {
            return;
        }
        const QByteArray bytes = Json(message);
        if (to != 0 && clients_.count(to) != 0) {
            ToClient(to, bytes);
            return;
        }
        // The browser's own events, and those of sessions nobody here attached, go to everyone.
        std::vector<int> all;
        for (const auto& [number, client] : clients_) {
            all.push_back(number);
        }
        for (int number : all) {
            ToClient(number, bytes);
        }
    }

    int OwnerOf(const QString& sessionId) const {
        if (sessionId.isEmpty()) {
            return 0;
        }
        auto found = sessions_.find(sessionId);
        return found == sessions_.end() ? 0 : found->second.owner;
    }

    // The client whose attachment to targetId on the browser session is under way; 0 when none.
    int AttachingClient(const QJsonValue& targetId) const {
        for (const auto& [id, command] : commands_) {
            if (command.client > 0 && command.sessionId.isEmpty() &&
                command.attachTarget == targetId.toString()) {
                return command.client;
            }
        }
        return 0;
    }

    void Forget(const QString& sessionId) {
        sessions_.erase(sessionId);
        std::vector<QString> children;
        for (const auto& [id, session] : sessions_) {
            if (session.parent == sessionId) {
                children.push_back(id);
            }
        }
        for (const QString& child : children) {
            Forget(child);
        }
    }

    void ToClient(int number, const QByteArray& message) {
        auto found = clients_.find(number);
        if (found == clients_.end()) {
            return;
        }
        Client& client = found->second;
        client.out.Add(message);
        if (!client.out.Flush(client.fd.Get(), true) || client.out.Size() > kMaxClientBacklog) {
            Drop(number);
        }
    }

    void ToBrowser(const QJsonObject& message) {
        if (toBrowser_.Get() >= 0) {
            toBrowserBox_.Add(Json(message));
        }
    }

    void Accept() {
        while (true) {
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                return;
            }
            ucred peer{};
            socklen_t size = sizeof peer;
            if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
                peer.uid != geteuid() || clients_.size() >= static_cast<std::size_t>(kMaxClients)) {
                close(fd);
                continue;
            }
            clients_[++lastClient_].fd.Reset(fd);
        }
    }

    void ServeClient(int number, short revents) {
        Client& client = clients_.at(number);
        if ((revents & POLLOUT) != 0 && !client.out.Flush(client.fd.Get(), true)) {
            Drop(number);
            return;
        }
        if ((revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
            return;
        }
        char buffer[kReadChunk];
        const ssize_t got = read(client.fd.Get(), buffer, sizeof buffer);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return;
        }
        if (got <= 0) {
            Drop(number);
            return;
        }
        client.in.Append(buffer, got);
        // An answer of the host's own may close the client on the way.
        for (auto found = clients_.find(number); found != clients_.end();
             found = clients_.find(number)) {
            std::optional<QByteArray> message = found->second.in.Next();
            if (!message) {
                if (found->second.in.TakeOverflow()) {
                    Drop(number);
                }
                return;
            }
            if (!FromClient(number, *message)) {
                Drop(number);
                return;
            }
        }
    }

    // Passes a client's command on; false when it is not one.
    bool FromClient(int number, const QByteArray& bytes) {
        std::optional<QJsonObject> message = ClientCommand(bytes);
        if (!message) {
            return false;
        }
        const QJsonValue id = message->value("id");
        const QJsonValue method = message->value("method");
        const QJsonValue params = message->value("params");
        const QString session = message->value("sessionId").toString();
        // Neither on another client's session nor about it (a detach, say).
        const int owner = OwnerOf(session);
        const int subject = OwnerOf(params.toObject().value("sessionId").toString());
        if ((owner != 0 && owner != number) || (subject != 0 && subject != number)) {
            ToClient(number, Json({{"id", id},
                                   {"error", QJsonObject{{"code", -32001},
                                                         {"message",
                                                          "Session with given id not "
                                                          "found."}}}}));
            return true;
        }
        Command command{number, id, session, false, {}, {}};
        if (method.toString() == "Target.attachToTarget") {
            command.attaches = true;
            command.attachTarget = params.toObject().value("targetId").toString();
        }
        command.attaches = command.attaches || method.toString() == "Target.attachToBrowserTarget";
        message->insert("id", Send(std::move(command)));
        ++clients_.at(number).outstanding;
        ToBrowser(*message);
        return true;
    }

    // A new id on the pipe for command.
    qint64 Send(Command command) {
        do {
            nextId_ = nextId_ >= 0x7fffffff ? 1 : nextId_ + 1;
        } while (commands_.count(nextId_) != 0);
        commands_.emplace(nextId_, std::move(command));
        return nextId_;
    }

    void Detach(const QString& sessionId) {
        const QString parent = sessions_.count(sessionId) ? sessions_[sessionId].parent : QString();
        QJsonObject run{{"id", Send({})},
                        {"method", "Runtime.runIfWaitingForDebugger"},
                        {"sessionId", sessionId}};
        ToBrowser(run);
        Command command;
        command.detachSession = sessionId;
        QJsonObject detach{{"id", Send(std::move(command))},
                           {"method", "Target.detachFromTarget"},
                           {"params", QJsonObject{{"sessionId", sessionId}}}};
        if (!parent.isEmpty()) {
            detach.insert("sessionId", parent);
        }
        ToBrowser(detach);
    }

    void Drop(int number) {
        clients_.erase(number);
        for (auto& [id, command] : commands_) {
            if (command.client == number) {
                command.client = kGone;
            }
        }
        // Children before their parents, so that each detach finds its session.
        std::vector<std::pair<int, QString>> owned;
        for (auto& [id, session] : sessions_) {
            if (session.owner == number) {
                session.owner = kGone;
                int depth = 0;
                for (QString up = session.parent;
                     sessions_.count(up) != 0 && depth <= static_cast<int>(sessions_.size());
                     up = sessions_[up].parent) {
                    ++depth;
                }
                owned.emplace_back(depth, id);
            }
        }
        std::sort(owned.begin(), owned.end(), std::greater<>());
        for (const auto& [depth, id] : owned) {
            Detach(id);
        }
    }

    int listener_;
    OwnedDescriptor toBrowser_;
    OwnedDescriptor fromBrowser_;
    int signals_;
    pid_t browser_;
    Outbox toBrowserBox_;
    DevToolsFrames fromBrowserFrames_{kMaxBrowserMessage};
    std::map<int, Client> clients_;
    int lastClient_ = 0;
    std::map<QString, Session> sessions_;
    std::map<qint64, Command> commands_;
    qint64 nextId_ = 0;
    QElapsedTimer ending_;
    bool killed_ = false;
    bool ended_ = false;
    int status_ = 0;
};

int Fail(int code, const std::string& why) {
    std::fprintf(stderr, "tivora-browser-host: %s\n", why.c_str());
    return code;
}

// A descriptor of at least 10, so that placing the pipe on 3 and 4 in the browser moves nothing
// that is still to be placed.
int High(int fd) {
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 10);
    close(fd);
    return moved;
}

}  // namespace

std::optional<QJsonObject> ClientCommand(const QByteArray& message) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(message, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    const QJsonValue id = object.value("id");
    const QJsonValue method = object.value("method");
    const QJsonValue params = object.value("params");
    const QJsonValue sessionId = object.value("sessionId");
    const double idValue = id.toDouble(-1);
    if (!id.isDouble() || idValue < 0 || idValue > kMaxId || idValue != std::floor(idValue) ||
        !method.isString() || method.toString().isEmpty() ||
        !(params.isUndefined() || params.isObject()) ||
        !(sessionId.isUndefined() || sessionId.isString())) {
        return std::nullopt;
    }
    QJsonObject command{{"id", id}, {"method", method}};
    if (params.isObject()) {
        command.insert("params", params);
    }
    if (!sessionId.toString().isEmpty()) {
        command.insert("sessionId", sessionId);
    }
    return command;
}

std::string LockPathFor(const std::string& socketPath) {
    return socketPath + ".lock";
}

int Run(const std::string& socketPath, const std::string& program,
        const std::vector<std::string>& arguments) {
    const std::string::size_type slash = socketPath.find_last_of('/');
    if (slash == std::string::npos || slash == 0) {
        return Fail(kUsage, "the socket needs an absolute path in a folder of its own");
    }
    if (std::string problem = SystemPaths::PrivateFolderProblem(socketPath.substr(0, slash));
        !problem.empty()) {
        return Fail(kUnsafeFolder, problem);
    }
    // Made under a name of its own and renamed into place once it listens: whoever finds the
    // socket can connect.
    const std::string making = socketPath + ".new";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    static_assert(kMaxSocketPath + 5 == sizeof address.sun_path);
    if (socketPath.size() > kMaxSocketPath) {
        return Fail(kCannotListen, "the socket's path is too long: " + socketPath);
    }
    std::memcpy(address.sun_path, making.c_str(), making.size() + 1);

    const std::string lockPath = LockPathFor(socketPath);
    OwnedDescriptor lock(open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    struct stat info {};
    if (lock.Get() < 0 || fstat(lock.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != geteuid()) {
        return Fail(kCannotListen, "cannot use the lock " + lockPath);
    }
    if (flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
        return Fail(kAlreadyServed, "another host serves " + socketPath);
    }

    // Held by this host from here on: whatever is at the paths is a dead host's.
    unlink(making.c_str());
    OwnedDescriptor listener(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const mode_t mask = umask(0177);  // the socket is made 0600, with no moment more open
    const bool bound =
        listener.Get() >= 0 &&
        bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    umask(mask);
    if (!bound || listen(listener.Get(), 16) != 0 ||
        rename(making.c_str(), socketPath.c_str()) != 0) {
        const int error = errno;
        unlink(making.c_str());
        return Fail(kCannotListen, "cannot listen on " + socketPath + ": " + std::strerror(error));
    }

    sigset_t caught;
    sigemptyset(&caught);
    for (int signal : {SIGCHLD, SIGTERM, SIGINT, SIGHUP}) {
        sigaddset(&caught, signal);
    }
    sigprocmask(SIG_BLOCK, &caught, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    OwnedDescriptor signalFd(signalfd(-1, &caught, SFD_NONBLOCK | SFD_CLOEXEC));

    int toBrowser[2] = {-1, -1};
    int fromBrowser[2] = {-1, -1};
    if (signalFd.Get() < 0 || pipe2(toBrowser, O_CLOEXEC) != 0 ||
        pipe2(fromBrowser, O_CLOEXEC) != 0) {
        unlink(socketPath.c_str());
        return Fail(kCannotStart, std::string("cannot make the pipe: ") + std::strerror(errno));
    }
    OwnedDescriptor browserReads(High(toBrowser[0]));
    OwnedDescriptor hostWrites(High(toBrowser[1]));
    OwnedDescriptor hostReads(High(fromBrowser[0]));
    OwnedDescriptor browserWrites(High(fromBrowser[1]));

    Spawn::Plan plan;
    plan.descriptors = {{browserReads.Get(), 3}, {browserWrites.Get(), 4}};
    pid_t browser = 0;
    const int spawned = Spawn::Start(browser, program, arguments, plan);
    if (spawned != 0) {
        unlink(socketPath.c_str());
        return Fail(kCannotStart, "cannot start " + program + ": " + std::strerror(spawned));
    }
    browserReads.Reset();
    browserWrites.Reset();
    SetNonBlocking(hostWrites.Get());
    SetNonBlocking(hostReads.Get());

    Relay relay(listener.Get(), hostWrites.Release(), hostReads.Release(), signalFd.Get(), browser);
    const int status = relay.Run();
    unlink(socketPath.c_str());
    return status;
}

}  // namespace BrowserHost
