#pragma once

#include <QPointer>
#include <memory>

class CAppSettingsDialog;
class CTivoraCustomButton;
class QWidget;
class WindowSection;

// The settings button of the normal-size bar and the settings dialog it opens; the tray menu
// opens the dialog's pages through OpenSettingsPage in either size.
class SettingsPanel {
public:
    // dialog is the settings dialog to run; when null, the program's over the process-wide
    // settings, made when it is first needed rather than with the bar.
    SettingsPanel(const WindowSection& window, std::unique_ptr<CAppSettingsDialog> dialog);
    ~SettingsPanel();
    SettingsPanel(const SettingsPanel&) = delete;
    SettingsPanel& operator=(const SettingsPanel&) = delete;

    // The button in normal size; nothing in mini size. True unless the button failed.
    bool Create(QWidget* parent);
    void Destroy();

    // Selects page; runs the dialog modally unless it is open already. While another dialog
    // has the input, that one comes forward instead and nothing else happens.
    void OpenSettingsPage(int page);

    // A command of the bar: the settings button's runs the dialog unless it is open. False for
    // any other.
    bool OnCommand(int id);

    CTivoraCustomButton* Button() const;
    CAppSettingsDialog& Dialog();

private:
    const WindowSection& window_;
    std::unique_ptr<CAppSettingsDialog> dialog_;
    // The bar, which owns the dialog's window.
    QPointer<QWidget> owner_;
    QPointer<CTivoraCustomButton> button_;
};
