#pragma once

#include <QEvent>

// What the bar's own buttons ask of the bar window. Sent (not posted) to the window, which
// handles them before the send returns, as the buttons expect.

// The size mode changed: the panels are made again at the new size, the top-left corner kept.
class RelayoutEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 0x401);
    RelayoutEvent() : QEvent(kType) {}
};

// The hide button: the bar goes to the tray.
class HideToTrayEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 0x403);
    HideToTrayEvent() : QEvent(kType) {}
};
