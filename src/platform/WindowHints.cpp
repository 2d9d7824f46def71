#include "platform/WindowHints.h"

#include <QWidget>

// Interim: replaced by the window-manager hints of the platform layer.
void ApplyToolbarHints(QWidget&) {}

void SetKeepAbove(QWidget& window, bool above) {
    const bool visible = window.isVisible();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, above);
    if (visible) {
        window.show();
    }
}

void ActivateWithToken(QWidget& window, const std::string&) {
    window.raise();
    window.activateWindow();
}
