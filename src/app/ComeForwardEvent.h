#pragma once

#include <QEvent>
#include <string>

// A later start of the program asks the running one to put its window on screen and forward.
// Sent to the main window, which accepts it when it brings itself forward (the bar restores
// itself from the tray); a window that ignores it is shown and activated for it. The token is
// the later start's startup token, empty when it had none.
class ComeForwardEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 0x405);
    explicit ComeForwardEvent(std::string token) : QEvent(kType), token_(std::move(token)) {}

    const std::string& Token() const { return token_; }

private:
    std::string token_;
};
