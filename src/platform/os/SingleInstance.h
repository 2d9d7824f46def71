#pragma once

#include <QObject>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class UnixListener;
class UnixConnection;

// A named marker that tells whether another instance of the program is running: an exclusive
// lock on a file named after the marker in the user's runtime folder (see
// SystemPaths::UserRuntimeFolder). The kernel drops the lock when the process ends, however it
// ends.
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

    // The lock file's path for a marker name; empty when the user has no runtime folder.
    static std::string PathFor(const std::string& name);

private:
    int fd_ = -1;
    std::string error_;
};

// The way a later instance reaches the first one: the first listens on a local socket named
// after the marker (0600, in the user's runtime folder, other users' connections refused); a
// later one connects and asks it to bring its window forward, handing over the startup token it
// was started with so that the window manager lets the window come forward. The request is one
// line: "come-forward", or "come-forward TOKEN".
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    // The longest token passed on; a longer one is not a token any launcher makes.
    static constexpr std::size_t kMaxTokenLength = 4096;

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Starts listening; onRequest runs on this thread for every request received, with the
    // token it carried (empty when none).
    bool Listen(const std::string& name, std::function<void(const std::string& token)> onRequest);

    // Asks the instance listening under name to come forward, handing it token (a token that
    // IsValidToken refuses is left out). False when none listens.
    static bool AskToComeForward(const std::string& name, const std::string& token = {},
                                 int timeoutMs = 1000);

    // A token is printable ASCII of at most kMaxTokenLength characters.
    static bool IsValidToken(const std::string& token);

    // The socket's path; empty when the user has no runtime folder.
    static std::string PathFor(const std::string& name);

private:
    void OnConnection(int fd);
    void OnReadyRead(UnixConnection* caller);

    std::unique_ptr<UnixListener> server_;
    std::function<void(const std::string&)> onRequest_;
};
