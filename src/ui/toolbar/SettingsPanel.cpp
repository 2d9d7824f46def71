#include "ui/toolbar/SettingsPanel.h"

#include <QMetaObject>

#include "ResourceIds.h"
#include "app/TextTable.h"
#include "config/WindowSection.h"
#include "ui/controls/Modal.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/dialogs/CAppSettingsDialog.h"

namespace {

constexpr int kButtonX = 283;
constexpr int kButtonY = 24;

}  // namespace

SettingsPanel::SettingsPanel(const WindowSection& window,
                             std::unique_ptr<CAppSettingsDialog> dialog)
    : window_(window), dialog_(std::move(dialog)) {}

SettingsPanel::~SettingsPanel() {
    Destroy();
}

bool SettingsPanel::Create(QWidget* parent) {
    Destroy();
    // The dialog belongs to the bar: the window manager keeps it above the bar, also while the
    // bar stays on top of everything else.
    owner_ = parent;
    if (dialog_ && !dialog_->IsOpen() && dialog_->parentWidget() != parent) {
        dialog_->setParent(parent, dialog_->windowFlags());
    }
    if (window_.Size() == SizeMode::Mini) {
        return true;
    }
    auto* button = new CTivoraCustomButton(parent);
    button_ = button;
    const bool made =
        button->Create(Res::IDB_SETTINGS_HOT, Res::IDB_SETTINGS,
                       QString::fromStdString(GetText("main.buttons.settings.tooltip")), kButtonX,
                       kButtonY, parent, Res::IDC_SETTINGS_BUTTON);
    // The button's word is in its picture.
    button->setAccessibleName(QStringLiteral("Settings"));
    return made;
}

void SettingsPanel::Destroy() {
    // Safe at once: the dialog never runs inside the button's click (OnCommand).
    delete button_.data();
}

void SettingsPanel::OpenSettingsPage(int page) {
    CAppSettingsDialog& dialog = Dialog();
    // One dialog at a time: one that has the input comes forward instead.
    if (Modal::BringOtherForward(&dialog)) {
        return;
    }
    dialog.SetActivePage(page);
    if (dialog.IsOpen()) {
        dialog.raise();
        dialog.activateWindow();
    } else {
        dialog.DoModal();
    }
}

bool SettingsPanel::OnCommand(int id) {
    if (id != Res::IDC_SETTINGS_BUTTON) {
        return false;
    }
    if (Dialog().IsOpen()) {
        return true;
    }
    // Not from inside the click: the bar may be rebuilt (its buttons made anew) while the
    // dialog is open, and the button must not be running its click handler then.
    QMetaObject::invokeMethod(
        dialog_.get(),
        [dialog = dialog_.get()] {
            if (!dialog->IsOpen() && !Modal::BringOtherForward(dialog)) {
                dialog->DoModal();
            }
        },
        Qt::QueuedConnection);
    return true;
}

CTivoraCustomButton* SettingsPanel::Button() const {
    return button_.data();
}

CAppSettingsDialog& SettingsPanel::Dialog() {
    if (!dialog_) {
        dialog_ = std::make_unique<CAppSettingsDialog>(owner_.data());
    }
    return *dialog_;
}
