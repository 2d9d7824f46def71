#pragma once

#include <QEvent>

#include "config/UpdateManifest.h"

// What the update check tells the main window, delivered on the user-interface thread.

// A newer release exists.
class UpdateAvailableEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 0x402);
    explicit UpdateAvailableEvent(UpdateManifest release)
        : QEvent(kType), manifest(std::move(release)) {}
    const UpdateManifest manifest;
};

// A check that found nothing newer or failed, when every outcome was asked for.
class UpdateResultEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 0x404);
    explicit UpdateResultEvent(int resultCode) : QEvent(kType), code(resultCode) {}
    const int code;
};
