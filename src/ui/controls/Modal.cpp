#include "ui/controls/Modal.h"

#include <QApplication>
#include <QDialog>
#include <atomic>

namespace Modal {
namespace {
std::atomic<Hook*> g_hook{nullptr};
}

Hook* SetHook(Hook* hook) {
    return g_hook.exchange(hook);
}

int Exec(QDialog& dialog) {
    if (Hook* hook = g_hook.load(); hook != nullptr) {
        if (std::optional<int> answer = hook->Intercept(dialog)) {
            dialog.setResult(*answer);
            return *answer;
        }
    }
    return dialog.exec();
}

bool BringOtherForward(const QDialog* wanted) {
    // Qt's own record of the modal windows: also those not run through Exec.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == wanted) {
        return false;
    }
    modal->raise();
    modal->activateWindow();
    return true;
}

bool ExecOrRaise(QDialog& dialog) {
    if (BringOtherForward(&dialog)) {
        return false;
    }
    if (dialog.isVisible()) {
        dialog.raise();
        dialog.activateWindow();
        return true;
    }
    Exec(dialog);
    return true;
}

}  // namespace Modal
