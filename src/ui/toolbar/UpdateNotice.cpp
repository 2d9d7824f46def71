#include "ui/toolbar/UpdateNotice.h"

#include "app/TextTable.h"
#include "config/UpdateSection.h"
#include "ui/controls/Modal.h"
#include "ui/dialogs/CUpdateInformation.h"
#include "ui/toolbar/CSystemTray.h"

UpdateNotice::UpdateNotice(UpdateSection& update, CSystemTray& tray, QWidget* owner)
    : update_(update), tray_(tray), owner_(owner) {}

UpdateNotice::~UpdateNotice() = default;

void UpdateNotice::Available(const UpdateManifest& manifest) {
    tray_.ShowTrayBalloon(GetText("update.avaliable.balloon.text"),
                          GetText("update.avaliable.balloon.title"), CSystemTray::NIIF_INFO,
                          kBalloonSeconds);
    // Runs until the user comes to see the notice.
    tray_.StartIconAnimation(kAnimationPeriodMs, -1);
    pending_ = true;
    update_.SetUpdateManifest(manifest);
}

void UpdateNotice::Result(int code) {
    if (code == kNoUpdateCode) {
        tray_.ShowTrayBalloon(GetText("update.unavaliable.balloon.text"),
                              GetText("update.unavaliable.balloon.title"), CSystemTray::NIIF_INFO,
                              kBalloonSeconds);
    } else {
        tray_.ShowTrayBalloon(GetText("update.error.balloon.text"),
                              GetText("update.error.balloon.title"), CSystemTray::NIIF_WARNING,
                              kBalloonSeconds);
    }
}

void UpdateNotice::Show() {
    // Another dialog has the input: it comes forward, and the notice waits for the next click.
    if (Modal::BringOtherForward(dialog_.get())) {
        return;
    }
    tray_.StopIconAnimation();
    pending_ = false;
    if (!dialog_ || !dialog_->isVisible()) {
        dialog_ = std::make_unique<CUpdateInformation>(update_, owner_);
    }
    Modal::ExecOrRaise(*dialog_);
}
