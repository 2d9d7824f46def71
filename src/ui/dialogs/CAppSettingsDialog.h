#pragma once

#include <array>
#include <memory>

#include "ui/controls/CTivoraDialog.h"
#include "ui/dialogs/SettingsPages.h"

class CTivoraTabCtrl;

// "Tivora Settings": three pages on a tab strip, SAVE and CANCEL. Nothing is stored before
// SAVE, which lets every page check its input and then store it; CANCEL, the title bar's close
// button and Escape drop every edit. The dialog remembers the page last shown; the pages'
// controls are made at every opening, from the stored values, and go when it closes.
class CAppSettingsDialog : public CTivoraDialog {
    Q_OBJECT
public:
    static constexpr int kApplicationPage = 0;
    static constexpr int kFavoritesPage = 1;
    static constexpr int kMyInfoPage = 2;
    static constexpr int kPageCount = 3;

    // Over the process-wide settings.
    explicit CAppSettingsDialog(QWidget* parent = nullptr);
    explicit CAppSettingsDialog(SettingsStores stores, QWidget* parent = nullptr);
    ~CAppSettingsDialog() override;

    static const DialogTemplate& Template();

    // Remembers the page to show; an open dialog switches to it at once.
    void SetActivePage(int index);
    int ActivePage() const { return activePage_; }

    // Reads the stored values into the pages and runs the dialog modally; returns its result.
    // While the dialog is open it only returns -1 (the caller's page request has been made
    // with SetActivePage).
    int DoModal();
    bool IsOpen() const { return open_; }

    CTivoraTabCtrl* Tabs() const;
    CTabPanel* Page(int index) const;

    void OnInitDialog() override;
    void OnCommand(int id) override;
    void setVisible(bool visible) override;

private:
    void ShowSelectedPage();

    std::array<std::unique_ptr<CTabPanel>, kPageCount> pages_;
    int activePage_ = 0;
    bool open_ = false;
};
