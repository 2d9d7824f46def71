#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

// The program's own local connections (the single instance's channel, the browser host's
// DevTools socket) on plain UNIX stream sockets, driven by the event loop of the thread that
// made them: the kernel gives all they need, and a socket library would be one more set of
// shared objects in every start.
namespace UnixSockets {

// Connects to the socket at path without blocking; the connected descriptor (non-blocking,
// close-on-exec), or -1 with errno set: EAGAIN when the listener's queue is full (worth another
// try), ENAMETOOLONG when path does not fit a socket address.
int Connect(const std::string& path);

// Whether the process at the other end of a connected socket runs as this user (SO_PEERCRED).
bool PeerIsThisUser(int fd);

// Connects to path, retrying while the listener's queue is full, for at most timeoutMs; the
// descriptor or -1. For short exchanges that may block their caller.
int ConnectWaiting(const std::string& path, int timeoutMs);

// Writes all of bytes to a non-blocking descriptor, waiting at most timeoutMs; whether all went.
bool WriteWaiting(int fd, const char* bytes, std::size_t size, int timeoutMs);

}  // namespace UnixSockets

// One connected stream socket. What arrives is read into a buffer (at most ReadLimit bytes
// ahead; reading pauses while the buffer is full) and announced with readyRead; what is written
// goes out as the socket takes it. Write never blocks and never raises SIGPIPE.
class UnixConnection : public QObject {
    Q_OBJECT
public:
    // Takes over fd, a connected socket.
    explicit UnixConnection(int fd, QObject* parent = nullptr);
    ~UnixConnection() override;
    UnixConnection(const UnixConnection&) = delete;
    UnixConnection& operator=(const UnixConnection&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }

    // The bytes read and not taken yet.
    const QByteArray& Buffer() const { return in_; }
    // Removes the first size bytes of the buffer and gives them.
    QByteArray Take(qsizetype size);
    // Stops reading ahead while the buffer holds limit bytes.
    void SetReadLimit(qsizetype limit);

    // Queues bytes; nothing happens on a closed connection. A broken connection is reported
    // with closed() from the event loop.
    void Write(const QByteArray& bytes);
    qsizetype BytesToWrite() const { return out_.size() - written_; }
    // Writes what waits, blocking at most timeoutMs; whether everything went out.
    bool Flush(int timeoutMs);

    // Closes the socket at once, without closed(); what was not written is lost.
    void Close();

signals:
    // More bytes are in the buffer.
    void readyRead();
    // The other end closed or the connection broke; the bytes still in the buffer stay.
    void closed();

private:
    void OnReadable();
    void OnWritable();
    void SendSome();
    void Broken();
    void UpdateReading();

    int fd_;
    std::unique_ptr<QSocketNotifier> reader_;
    std::unique_ptr<QSocketNotifier> writer_;
    QByteArray in_;
    QByteArray out_;
    qsizetype written_ = 0;
    qsizetype readLimit_ = 1024 * 1024;
};

// A listening socket at a path, made 0600 before anyone can reach it, that hands over the
// connections of this user's processes only; other users' are closed unread.
class UnixListener : public QObject {
    Q_OBJECT
public:
    explicit UnixListener(QObject* parent = nullptr);
    // Stops listening and removes the socket file.
    ~UnixListener() override;
    UnixListener(const UnixListener&) = delete;
    UnixListener& operator=(const UnixListener&) = delete;

    // Listens at path, replacing whatever is there; onConnection runs on this thread with each
    // accepted connection's descriptor (non-blocking, close-on-exec), which it then owns. False,
    // with the reason in *why, when it cannot.
    bool Listen(const std::string& path, std::function<void(int fd)> onConnection,
                std::string* why = nullptr);

private:
    void OnAcceptable();

    int fd_ = -1;
    std::string path_;
    ino_t inode_ = 0;  // the socket file made, to remove only that one
    dev_t device_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void(int)> onConnection_;
};
