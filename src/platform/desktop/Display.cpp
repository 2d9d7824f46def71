#include "platform/desktop/Display.h"

#include <unistd.h>

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace DisplaySession {
namespace {

bool HasEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

QtMessageHandler g_previous = nullptr;
std::function<void(const std::string&)>* g_report = nullptr;

struct HeldMessage {
    QtMsgType type;
    QString category;
    QString text;
};
// Qt explains a failed platform in several lines before it gives up; they are held back so
// that a failure prints one line, and handed on when the platform opened.
QList<HeldMessage>* g_held = nullptr;

void Forward(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (g_previous != nullptr) {
        g_previous(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

// Why the platform failed, from what Qt said before it gave up: a plugin it could not find
// (the Wayland one is a package of its own), else no display to connect to.
std::string FailureMessage() {
    static const QRegularExpression kMissing(
        QStringLiteral("Could not find the Qt platform plugin \"([^\"]*)\""));
    if (g_held != nullptr) {
        for (const HeldMessage& held : *g_held) {
            const QRegularExpressionMatch missing = kMissing.match(held.text);
            if (missing.hasMatch()) {
                return MissingPluginMessage(missing.captured(1).toStdString());
            }
        }
    }
    return kNoDisplayMessage;
}

void GuardHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        const std::string line = FailureMessage();
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
        if (g_report != nullptr && *g_report) {
            constexpr std::string_view kProgram = "tivora: ";
            (*g_report)(line.starts_with(kProgram) ? line.substr(kProgram.size()) : line);
        }
        _exit(kNoDisplayExitCode);
    }
    if (g_held != nullptr) {
        g_held->append({type, QString::fromUtf8(context.category), message});
    }
}

}  // namespace

void ChoosePlatform() {
    if (HasEnv("QT_QPA_PLATFORM")) {
        return;
    }
    if (HasEnv("WAYLAND_DISPLAY") && HasEnv("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

bool Configured() {
    return HasEnv("QT_QPA_PLATFORM") || HasEnv("DISPLAY") || HasEnv("WAYLAND_DISPLAY");
}

std::string MissingPluginMessage(const std::string& plugin) {
    std::string line =
        "tivora: cannot open a display: the Qt platform plugin \"" + plugin + "\" is not installed";
    if (plugin.starts_with("wayland")) {
        line += " (Debian package qt6-wayland)";
    }
    return line;
}

NoDisplayGuard::NoDisplayGuard(std::function<void(const std::string&)> report) {
    g_held = new QList<HeldMessage>();
    g_report = new std::function<void(const std::string&)>(std::move(report));
    g_previous = qInstallMessageHandler(GuardHandler);
}

NoDisplayGuard::~NoDisplayGuard() {
    qInstallMessageHandler(g_previous);
    delete g_report;
    g_report = nullptr;
    QList<HeldMessage>* held = g_held;
    g_held = nullptr;
    for (const HeldMessage& message : *held) {
        QByteArray category = message.category.toUtf8();
        QMessageLogContext context(nullptr, 0, nullptr, category.constData());
        Forward(message.type, context, message.text);
    }
    delete held;
    g_previous = nullptr;
}

}  // namespace DisplaySession
