#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace UnixSignals {

// Catches SIGTERM, SIGINT and SIGHUP for the rest of the process: each is noted in a
// self-pipe for a TerminationSignals to act on, instead of ending the process on the spot.
// The first thing main does, so that a signal that comes during start-up waits for the program
// to be able to end in order. A signal the parent set to be ignored (nohup) stays ignored; one
// it left blocked is unblocked. Safe to call more than once.
void InstallTerminationHandlers();

}  // namespace UnixSignals

// Turns the termination signals into a call on the thread that made this object, so that the
// program can end in its orderly way. One at a time: a second one made while the first lives
// receives nothing.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void(int signal)> onSignal,
                                QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool IsInstalled() const { return notifier_ != nullptr; }

private:
    void OnReadable();

    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};
