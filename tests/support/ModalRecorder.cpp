#include "support/ModalRecorder.h"

#include <QDialog>
#include <QMessageBox>

namespace testing_support {

ModalRecorder::ModalRecorder(int answer) : previous_(Modal::SetHook(this)), answer_(answer) {}

ModalRecorder::~ModalRecorder() {
    Modal::SetHook(previous_);
}

std::optional<int> ModalRecorder::Intercept(QDialog& dialog) {
    Shown shown{dialog.metaObject()->className(), dialog.windowTitle().toStdString(), {}};
    if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
        shown.text = box->text().toStdString();
    }
    shown_.push_back(shown);
    if (onShown) {
        onShown(dialog);
    }
    return answer_;
}

}  // namespace testing_support
