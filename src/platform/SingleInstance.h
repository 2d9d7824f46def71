#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QLocalServer;

// A named marker that tells whether another instance of the program is running: an exclusive
// lock on a file named after the marker in the runtime directory, or, without one, in a
// private folder of the user under $TMPDIR (else /tmp). The kernel drops the lock when the
// process ends, however it ends.
class NamedMutex {
public:
    enum class Result {
        Created,        // this process holds the marker
        AlreadyExists,  // another process holds it
        Failed          // the marker could not be made; no handle
    };

    NamedMutex() = default;
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    Result Create(const std::string& name);
    bool IsHeld() const { return fd_ >= 0; }
    void Close();
    // Why the last Create failed; empty after any other outcome.
    const std::string& Error() const { return error_; }

    // The lock file's path for a marker name.
    static std::string PathFor(const std::string& name);

private:
    int fd_ = -1;
    std::string error_;
};

// The way a later instance reaches the first one: the first listens on a local socket named
// after the marker; a later one connects and asks it to bring its window forward.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Starts listening; onRequest runs on this thread for every request received.
    bool Listen(const std::string& name, std::function<void()> onRequest);

    // Asks the instance listening under name to come forward. False when none listens.
    static bool AskToComeForward(const std::string& name, int timeoutMs = 1000);

    static std::string PathFor(const std::string& name);

private:
    void OnNewConnection();

    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onRequest_;
};
