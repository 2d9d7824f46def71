#include "ui/controls/Modal.h"

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

void ExecOrRaise(QDialog& dialog) {
    if (dialog.isVisible()) {
        dialog.raise();
        dialog.activateWindow();
        return;
    }
    Exec(dialog);
}

}  // namespace Modal
