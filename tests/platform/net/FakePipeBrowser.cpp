// A browser stand-in for the browser host's tests, speaking DevTools on descriptors 3 (commands
// in) and 4 (answers and events out), NUL-framed, and ending when its input closes, as Chromium
// does with --remote-debugging-pipe. Every command is answered with its method, session and
// params.tag, except:
//   Target.attachToTarget   a new session "S<n>", announced first by Target.attachedToTarget
//   Fake.emit               sends params.event as it is, then answers
//   Fake.received           answers {"messages": [every command received, as "method@session"]}
//   Fake.exit               ends with status params.code
// Anything on its pipe that is not a well-formed command ends it with status 3: garbage must
// never reach it.
//
// fake_pipe_browser --connect PATH: ends 0 when a connection to the UNIX socket PATH can be made,
// else 1 (for the tests of who may connect).
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/net/DevToolsFrames.h"

namespace {

void Write(const QJsonObject& message) {
    const QByteArray bytes =
        DevToolsFrames::Frame(QJsonDocument(message).toJson(QJsonDocument::Compact));
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t wrote = write(4, bytes.constData() + done, bytes.size() - done);
        if (wrote < 0) {
            _exit(4);
        }
        done += wrote;
    }
}

int Connect(const char* path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path, sizeof address.sun_path - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        std::printf("%s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--connect") == 0) {
        return Connect(argv[2]);
    }
    DevToolsFrames frames(1 << 30);
    QJsonArray received;
    int sessions = 0;
    char buffer[65536];
    for (ssize_t got; (got = read(3, buffer, sizeof buffer)) > 0;) {
        frames.Append(buffer, got);
        while (auto bytes = frames.Next()) {
            const QJsonObject command = QJsonDocument::fromJson(*bytes).object();
            const QJsonValue id = command.value("id");
            const QString method = command.value("method").toString();
            const QString session = command.value("sessionId").toString();
            const QJsonObject params = command.value("params").toObject();
            if (!id.isDouble() || method.isEmpty()) {
                return 3;
            }
            received.append(method + "@" + session);
            QJsonObject result{
                {"method", method}, {"sessionId", session}, {"tag", params.value("tag")}};
            if (method == "Target.attachToTarget") {
                const QString attached = QStringLiteral("S%1").arg(++sessions);
                QJsonObject event{
                    {"method", "Target.attachedToTarget"},
                    {"params", QJsonObject{{"sessionId", attached}, {"targetInfo", params}}}};
                if (!session.isEmpty()) {
                    event.insert("sessionId", session);
                }
                Write(event);
                result = {{"sessionId", attached}};
            } else if (method == "Fake.emit") {
                Write(params.value("event").toObject());
            } else if (method == "Fake.received") {
                result = {{"messages", received}};
            } else if (method == "Fake.exit") {
                return params.value("code").toInt();
            }
            Write({{"id", id}, {"result", result}});
        }
    }
    return 0;
}
