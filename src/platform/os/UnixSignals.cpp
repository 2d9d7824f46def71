#include "platform/os/UnixSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_pipe[2] = {-1, -1};
std::once_flag g_installed;
std::atomic<bool> g_watched{false};

void OnSignal(int signal) {
    int saved = errno;
    unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] ssize_t written = write(g_pipe[1], &byte, 1);
    errno = saved;
}

void Install() {
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    sigset_t unblock;
    sigemptyset(&unblock);
    for (int signal : kSignals) {
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        if (previous.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
        sigaddset(&unblock, signal);
    }
    // A signal that came while blocked is handled as soon as it is let through: noted.
    pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
}

}  // namespace

void UnixSignals::InstallTerminationHandlers() {
    std::call_once(g_installed, Install);
}

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    UnixSignals::InstallTerminationHandlers();
    if (g_pipe[0] < 0 || g_watched.exchange(true)) {
        return;
    }
    // Signals that came before this object are already in the pipe and arrive at once.
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::OnReadable);
}

TerminationSignals::~TerminationSignals() {
    if (notifier_ == nullptr) {
        return;
    }
    // The handlers stay: a signal during the rest of the exit waits in the pipe rather than
    // cutting the final save short.
    delete notifier_;
    g_watched = false;
}

void TerminationSignals::OnReadable() {
    unsigned char byte = 0;
    while (read(g_pipe[0], &byte, 1) == 1) {
        if (onSignal_) {
            onSignal_(byte);
        }
    }
}
