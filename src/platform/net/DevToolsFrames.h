#pragma once

#include <QByteArray>
#include <optional>

// The message framing of the browser's DevTools pipe: each message is a JSON text ended by a NUL
// byte. Bytes go in as they arrive; whole messages come out. A message that grows past the cap
// before its end is dropped whole: its bytes are skipped up to the next NUL, so that what
// follows is read as it was meant, and the drop is reported once.
class DevToolsFrames {
public:
    explicit DevToolsFrames(qsizetype maxMessage) : maxMessage_(maxMessage) {}

    void Append(const char* data, qsizetype size);
    // The next whole message (without its NUL), or nullopt until more bytes come.
    std::optional<QByteArray> Next();
    // Whether a message was dropped for its size since the last call.
    bool TakeOverflow();
    // Bytes held of a message not ended yet.
    qsizetype Pending() const { return buffer_.size() - start_; }

    // A message as it goes on the pipe.
    static QByteArray Frame(const QByteArray& json);

private:
    qsizetype maxMessage_;
    QByteArray buffer_;
    qsizetype start_ = 0;    // where the next message begins
    qsizetype scanned_ = 0;  // no NUL before this
    bool skipping_ = false;
    bool overflow_ = false;
};
