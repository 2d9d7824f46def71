#pragma once

#include <QPointer>

#include "ui/controls/ButtonListener.h"

class CControlButton;
class QWidget;
class WindowSection;

// The bar's two small buttons: the size button flips between normal and mini size, the hide
// button sends the bar to the tray. Both ask the bar window through a sent event
// (RelayoutEvent, HideToTrayEvent).
class ControlButtonsPanel : public ButtonListener {
public:
    static constexpr int kSizeId = 131;
    static constexpr int kHideId = 132;

    explicit ControlButtonsPanel(WindowSection& window);
    ~ControlButtonsPanel() override;
    ControlButtonsPanel(const ControlButtonsPanel&) = delete;
    ControlButtonsPanel& operator=(const ControlButtonsPanel&) = delete;

    // Both buttons at their places for the current size mode; true when both were made.
    bool Create(QWidget* parent);
    void Destroy();

    void OnButtonClicked(int controlId) override;

    CControlButton* SizeButton() const;
    CControlButton* HideButton() const;

private:
    WindowSection& window_;
    QPointer<QWidget> parent_;
    QPointer<CControlButton> size_;
    QPointer<CControlButton> hide_;
};
