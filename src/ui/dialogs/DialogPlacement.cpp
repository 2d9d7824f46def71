#include "ui/dialogs/DialogPlacement.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

void PlaceWithOwner(QDialog& dialog) {
    QWidget* owner = dialog.parentWidget() != nullptr ? dialog.parentWidget()->window() : nullptr;
    const bool ownerOnTop =
        owner != nullptr && owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint) != ownerOnTop) {
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint, ownerOnTop);
    }
    QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame(QPoint(), dialog.size());
    frame.moveCenter(screen->availableGeometry().center());
    dialog.move(frame.topLeft());
}
