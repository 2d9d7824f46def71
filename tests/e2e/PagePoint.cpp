// tivora-e2e-page-point PROFILE URL_PART FRAME ELEMENT [FUNCTION...]
//
// Where a user would click an element of a page that the program opened in its automation
// browser: prints "X Y", the screen point at the centre of element ELEMENT (by id) in the frame
// named FRAME of a page whose address contains URL_PART, once that page is loaded, fills the
// screen (the program shows controlled games full screen) and, for each FUNCTION named, the
// frame's window function of that name is no longer the one the page's own script defines (the
// program has taken it over). Reaches the browser through the socket of the browser host that
// serves PROFILE, beside the program's own connection. Gives up after 45 s, saying what it saw
// last.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QThread>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "platform/net/AutomationBrowser.h"
#include "platform/net/DevToolsConnection.h"

namespace {

// The program waits up to 15 s for the browser to start; a loaded machine takes its time.
constexpr int kPatienceMs = 45000;
constexpr int kPollMs = 100;

// Evaluated in the page: the point as "X Y", or why not yet.
QString Script(const QString& frame, const QString& element, const QStringList& functions) {
    const QByteArray arguments =
        QJsonDocument(QJsonArray{frame, element, QJsonArray::fromStringList(functions)})
            .toJson(QJsonDocument::Compact);
    return QString(R"js((([frame, element, functions]) => {
  if (document.readyState !== 'complete') return 'page loading';
  if (innerWidth !== screen.width || innerHeight !== screen.height)
    return 'page is ' + innerWidth + 'x' + innerHeight + ', screen ' + screen.width + 'x' + screen.height;
  const holder = document.querySelector('iframe[name="' + frame + '"]');
  if (!holder || !holder.contentDocument) return 'no frame ' + frame;
  const inner = holder.contentWindow, doc = holder.contentDocument;
  if (doc.readyState !== 'complete') return 'frame loading';
  const own = Array.from(doc.scripts).map(s => s.text).join('\n');
  for (const name of functions)
    if (typeof inner[name] !== 'function' || own.includes(String(inner[name])))
      return 'the page still has its own ' + name;
  const target = doc.getElementById(element);
  if (!target) return 'no element ' + element;
  const outer = holder.getBoundingClientRect(), box = target.getBoundingClientRect();
  return 'point ' + Math.round(outer.left + holder.clientLeft + box.left + box.width / 2) + ' ' +
         Math.round(outer.top + holder.clientTop + box.top + box.height / 2);
}))js") + "(" +
           QString::fromUtf8(arguments) + ")";
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fprintf(stderr,
                     "usage: tivora-e2e-page-point PROFILE URL_PART FRAME ELEMENT [FUNCTION...]\n");
        return 2;
    }
    const QString urlPart = args[2];
    const QString script = Script(args[3], args[4], args.mid(5));

    QElapsedTimer waited;
    waited.start();
    std::string why;
    const std::optional<std::string> socket =
        AutomationBrowser::SocketPath(args[1].toStdString(), &why);
    if (!socket) {
        std::fprintf(stderr, "tivora-e2e-page-point: %s\n", why.c_str());
        return 1;
    }
    QString seen = "no browser host on " + QString::fromStdString(*socket);
    DevToolsConnection connection;
    std::map<QString, QString> sessions;  // by page
    while (waited.elapsed() < kPatienceMs) {
        if (!connection.IsOpen()) {
            sessions.clear();
            if (!connection.Open(QString::fromStdString(*socket), 2000)) {
                QThread::msleep(kPollMs);
                continue;
            }
        }
        // Every page at such an address is looked at: the program may have opened it before,
        // and given the earlier window's page its own functions back.
        seen = "no page at an address with " + urlPart;
        const DevToolsReply targets = connection.Call("Target.getTargets");
        for (const auto& value : targets.result.value("targetInfos").toArray()) {
            const QJsonObject target = value.toObject();
            const QString page = target.value("targetId").toString();
            if (target.value("type").toString() != "page" ||
                !target.value("url").toString().contains(urlPart)) {
                continue;
            }
            if (!sessions.count(page)) {
                const DevToolsReply attached = connection.Call(
                    "Target.attachToTarget", {{"targetId", page}, {"flatten", true}});
                if (!attached.ok) {
                    continue;
                }
                sessions[page] = attached.result.value("sessionId").toString();
            }
            const DevToolsReply reply =
                connection.Call("Runtime.evaluate",
                                {{"expression", script}, {"returnByValue", true}}, sessions[page]);
            const QString answer =
                reply.ok ? reply.result.value("result").toObject().value("value").toString()
                         : reply.error;
            if (!reply.ok) {
                sessions.erase(page);  // the page went; look for it again
            }
            if (answer.startsWith("point ")) {
                std::printf("%s\n", qPrintable(answer.mid(6)));
                return 0;
            }
            seen = answer;
        }
        QThread::msleep(kPollMs);
    }
    std::fprintf(stderr, "tivora-e2e-page-point: gave up after %d s: %s\n", kPatienceMs / 1000,
                 qPrintable(seen));
    return 1;
}
