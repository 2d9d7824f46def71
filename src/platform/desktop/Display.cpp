#include "platform/desktop/Display.h"

#include <unistd.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace DisplaySession {
namespace {

bool HasEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

QtMessageHandler g_previous = nullptr;

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

void GuardHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", kNoDisplayMessage);
        std::fflush(stderr);
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

NoDisplayGuard::NoDisplayGuard() {
    g_held = new QList<HeldMessage>();
    g_previous = qInstallMessageHandler(GuardHandler);
}

NoDisplayGuard::~NoDisplayGuard() {
    qInstallMessageHandler(g_previous);
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
