#include "platform/net/DevToolsFrames.h"

#include <algorithm>
#include <cstring>

void DevToolsFrames::Append(const char* data, qsizetype size) {
    if (skipping_) {
        const char* end = static_cast<const char*>(memchr(data, '\0', static_cast<size_t>(size)));
        if (end == nullptr) {
            return;
        }
        skipping_ = false;
        size -= end + 1 - data;
        data = end + 1;
    }
    buffer_.append(data, size);
    // Held bytes stay bounded however the caller reads: an unended message past the cap goes now.
    const qsizetype nul = buffer_.indexOf('\0', std::max(scanned_, start_));
    if (nul < 0) {
        scanned_ = buffer_.size();
        if (Pending() > maxMessage_) {
            buffer_.clear();
            start_ = 0;
            scanned_ = 0;
            skipping_ = true;
            overflow_ = true;
        }
    }
}

std::optional<QByteArray> DevToolsFrames::Next() {
    while (true) {
        const qsizetype nul = buffer_.indexOf('\0', std::max(scanned_, start_));
        if (nul < 0) {
            scanned_ = buffer_.size();
            // What was taken out is given back once it is most of the buffer.
            if (start_ == buffer_.size()) {
                buffer_.clear();
                start_ = 0;
                scanned_ = 0;
            } else if (start_ > 65536 && start_ > buffer_.size() / 2) {
                buffer_.remove(0, start_);
                scanned_ -= start_;
                start_ = 0;
            }
            return std::nullopt;
        }
        const qsizetype begin = start_;
        start_ = nul + 1;
        scanned_ = start_;
        if (nul - begin > maxMessage_) {
            overflow_ = true;
            continue;
        }
        return buffer_.mid(begin, nul - begin);
    }
}

bool DevToolsFrames::TakeOverflow() {
    const bool overflow = overflow_;
    overflow_ = false;
    return overflow;
}

QByteArray DevToolsFrames::Frame(const QByteArray& json) {
    QByteArray framed = json;
    framed.append('\0');
    return framed;
}
