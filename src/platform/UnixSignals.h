#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a call on the thread that made this object, through a
// self-pipe, so that the program can end in its orderly way instead of being cut off.
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
