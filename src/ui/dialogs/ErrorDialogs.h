#pragma once

#include <string>

#include "app/TopLevelHandler.h"
#include "ui/controls/DialogTemplate.h"

// "Tivora Internal Error": a white band with a bold heading, the note that the program ends,
// and a "click here." link that shows the error text in the Error Report dialog.
class CInternalErrorDialog : public TemplateDialog {
    Q_OBJECT
public:
    explicit CInternalErrorDialog(std::string errorText, QWidget* parent = nullptr);

    const std::string& ErrorText() const { return errorText_; }
    void OnCommand(int id) override;

    static const DialogTemplate& Template();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string errorText_;
};

// "Error Report": the error text in a read-only, scrollable edit.
class CErrorReportDialog : public TemplateDialog {
    Q_OBJECT
public:
    explicit CErrorReportDialog(std::string errorText, QWidget* parent = nullptr);

    static const DialogTemplate& Template();

private:
    std::string errorText_;
};

// Shows the top-level handler's errors with the dialogs above and a message box.
class DialogErrorPresenter : public ErrorPresenter {
public:
    void ShowInternalError(const std::string& errorText) override;
    void ShowConfigurationError(const std::string& text) override;

    static constexpr const char* kMessageBoxCaption = "Tivora";
};
