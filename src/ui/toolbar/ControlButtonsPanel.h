#pragma once

#include <QPointer>

class CControlButton;
class QWidget;
class WindowSection;

// The bar's two small buttons: the size button and the hide button. Their clicks reach the bar
// window as its commands (Res::IDC_SIZE, Res::IDC_HIDE_TO_TRAY).
class ControlButtonsPanel {
public:
    explicit ControlButtonsPanel(const WindowSection& window);
    ~ControlButtonsPanel();
    ControlButtonsPanel(const ControlButtonsPanel&) = delete;
    ControlButtonsPanel& operator=(const ControlButtonsPanel&) = delete;

    // Both buttons at their places for the current size mode; true when both were made.
    bool Create(QWidget* parent);
    void Destroy();

    CControlButton* SizeButton() const;
    CControlButton* HideButton() const;

private:
    const WindowSection& window_;
    QPointer<CControlButton> size_;
    QPointer<CControlButton> hide_;
};
