#include "ui/dialogs/CAppSettingsDialog.h"

#include <QMessageBox>

#include "ResourceIds.h"
#include "app/Resources.h"
#include "ui/controls/CTivoraTabCtrl.h"
#include "ui/controls/Modal.h"
#include "ui/controls/SkinClasses.h"
#include "ui/controls/WindowStyles.h"
#include "ui/dialogs/DialogPlacement.h"

namespace {

constexpr const char* kMessageBoxCaption = "Tivora";

}  // namespace

const DialogTemplate& CAppSettingsDialog::Template() {
    using namespace WindowStyles;
    static const DialogTemplate kTemplate{
        Res::IDD_SETTINGS,
        "",
        220,
        139,
        {
            {"TivoraButton", "SAVE", Res::IDOK, 62, 123, 44, 13, BS_DEFPUSHBUTTON | WS_TABSTOP},
            {"TivoraButton", "CANCEL", Res::IDCANCEL, 113, 123, 44, 13, WS_TABSTOP},
            {"TivoraTabCtrl", "", Res::IDC_SETTINGS_TABS, 4, 3, 212, 117,
             TCS_OWNERDRAWFIXED | WS_TABSTOP},
        },
    };
    return kTemplate;
}

CAppSettingsDialog::CAppSettingsDialog(QWidget* parent)
    : CAppSettingsDialog(SettingsStores::Process(), parent) {}

CAppSettingsDialog::CAppSettingsDialog(SettingsStores stores, QWidget* parent)
    : CTivoraDialog(parent) {
    SkinClasses::Register();
    pages_[kApplicationPage] = std::make_unique<CSettingsDialog>(stores);
    pages_[kFavoritesPage] = std::make_unique<CFavoritesDialog>(stores);
    pages_[kMyInfoPage] = std::make_unique<CMyInfoDialog>(stores);
    Build(Template());
}

CAppSettingsDialog::~CAppSettingsDialog() {
    // The pages live inside the tab control; they go before it does.
    for (auto& page : pages_) {
        page.reset();
    }
}

void CAppSettingsDialog::OnInitDialog() {
    setWindowTitle(QString::fromStdString(Resources::LoadString(Res::IDS_SETTINGS_TITLE)));
    CTivoraDialog::OnInitDialog();
    CTivoraTabCtrl* tabs = Tabs();
    if (tabs == nullptr) {
        return;
    }
    const int titles[kPageCount] = {Res::IDS_TAB_APPLICATION, Res::IDS_TAB_FAVORITES,
                                    Res::IDS_TAB_MY_INFO};
    for (int i = 0; i < kPageCount; ++i) {
        tabs->InsertItem(i, QString::fromStdString(Resources::LoadString(titles[i])));
    }
    connect(tabs, &CTivoraTabCtrl::selectionChanged, this, [this](int index) {
        activePage_ = index;
        ShowSelectedPage();
    });
}

CTivoraTabCtrl* CAppSettingsDialog::Tabs() const {
    return qobject_cast<CTivoraTabCtrl*>(GetDlgItem(Res::IDC_SETTINGS_TABS));
}

CTabPanel* CAppSettingsDialog::Page(int index) const {
    return index >= 0 && index < kPageCount ? pages_[static_cast<std::size_t>(index)].get()
                                            : nullptr;
}

void CAppSettingsDialog::SetActivePage(int index) {
    activePage_ = index;
    if (open_ && Tabs() != nullptr) {
        if (activePage_ < 0 || activePage_ >= kPageCount) {
            activePage_ = 0;
        }
        Tabs()->SetCurSel(activePage_);
        ShowSelectedPage();
    }
}

int CAppSettingsDialog::DoModal() {
    CTivoraTabCtrl* tabs = Tabs();
    if (open_ || tabs == nullptr) {
        return -1;
    }
    open_ = true;
    // However the dialog ends, the page windows go with it; the page objects stay.
    struct Closing {
        CAppSettingsDialog& dialog;
        ~Closing() {
            for (auto& page : dialog.pages_) {
                page->DestroyWindow();
            }
            dialog.open_ = false;
        }
    } closing{*this};
    const QRect area = tabs->GetPageRect().ToQRect();
    for (auto& page : pages_) {
        page->Create(tabs);
        page->setFixedSize(area.size());
        page->move(area.topLeft());
    }
    if (activePage_ < 0 || activePage_ >= kPageCount) {
        activePage_ = 0;
    }
    tabs->SetCurSel(activePage_);
    ShowSelectedPage();
    return Modal::Exec(*this);
}

void CAppSettingsDialog::ShowSelectedPage() {
    const int selected = Tabs()->GetCurSel();
    for (int i = 0; i < kPageCount; ++i) {
        pages_[static_cast<std::size_t>(i)]->setVisible(i == selected);
    }
    if (CTabPanel* page = Page(selected)) {
        // The page's first control that takes the keyboard, as a dialog page gives its focus on.
        QWidget* focus = page;
        for (QWidget* control : page->Controls()) {
            if (control->isEnabled() && (control->focusPolicy() & Qt::TabFocus) != 0) {
                focus = control;
                break;
            }
        }
        focus->setFocus(Qt::OtherFocusReason);
    }
}

void CAppSettingsDialog::OnCommand(int id) {
    if (id != Res::IDOK) {
        CTivoraDialog::OnCommand(id);
        return;
    }
    for (int i = 0; i < kPageCount; ++i) {
        std::string error;
        if (!pages_[static_cast<std::size_t>(i)]->Validate(error)) {
            Tabs()->SetCurSel(i);
            QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageBoxCaption),
                            QString::fromStdString(error), QMessageBox::Ok, this);
            Modal::Exec(box);
            return;
        }
    }
    for (auto& page : pages_) {
        page->Save();
    }
    CTivoraDialog::OnCommand(id);
}

void CAppSettingsDialog::setVisible(bool visible) {
    if (visible) {
        PlaceWithOwner(*this);
    }
    CTivoraDialog::setVisible(visible);
}
