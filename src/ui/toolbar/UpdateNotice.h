#pragma once

#include <memory>

class CSystemTray;
class CUpdateInformation;
class UpdateSection;
struct UpdateManifest;
class QWidget;

// What the bar does with the update check's outcome: a balloon and the tray icon's animation
// while a newer release waits to be announced, the update dialog when the user comes to it,
// and a balloon for a check that found nothing or failed.
class UpdateNotice {
public:
    static constexpr int kAnimationPeriodMs = 400;
    static constexpr int kBalloonSeconds = 10;
    static constexpr int kNoUpdateCode = 1;

    // The dialog is placed by owner.
    UpdateNotice(UpdateSection& update, CSystemTray& tray, QWidget* owner);
    ~UpdateNotice();
    UpdateNotice(const UpdateNotice&) = delete;
    UpdateNotice& operator=(const UpdateNotice&) = delete;

    // A newer release: stored, announced by a balloon and the animation, and pending.
    void Available(const UpdateManifest& manifest);
    // A check asked for by the user found nothing (code 1) or failed (any other code).
    void Result(int code);

    // An announcement the user has not yet seen.
    bool IsPending() const { return pending_; }
    // Stops the animation and shows the update dialog (brought forward when it is open). The
    // dialog is made at each showing, so that it announces the release stored last. While
    // another dialog has the input, that one comes forward instead and the notice stays pending.
    void Show();

    // The dialog of the last showing; nullptr before the first.
    CUpdateInformation* Dialog() const { return dialog_.get(); }

private:
    UpdateSection& update_;
    CSystemTray& tray_;
    QWidget* owner_;
    std::unique_ptr<CUpdateInformation> dialog_;
    bool pending_ = false;
};
