#include "ui/dialogs/CUpdateInformation.h"

#include "ResourceIds.h"
#include "app/ErrorLog.h"
#include "app/Resources.h"
#include "config/Settings.h"
#include "launch/OpenLink.h"
#include "ui/controls/SkinClasses.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/controls/WindowStyles.h"
#include "ui/dialogs/DialogPlacement.h"

std::string ReleaseLine(const UpdateManifest& manifest) {
    std::string line = manifest.productVersion + "." + manifest.build;
    if (!manifest.date.empty()) {
        line += "  (" + manifest.date + ")";
    }
    return line;
}

const DialogTemplate& CUpdateInformation::Template() {
    using namespace WindowStyles;
    static const DialogTemplate kTemplate{
        Res::IDD_UPDATE_INFORMATION,
        "Update Information",
        192,
        101,
        {
            {"TivoraButton", "SKIP", Res::IDCANCEL, 103, 85, 50, 14, WS_TABSTOP},
            {"TivoraStatic", "New Version:", Res::IDC_VERSION_LABEL, 10, 29, 46, 8},
            {"SimpleStatic", "", Res::IDC_VERSION, 64, 29, 115, 8},
            {"TivoraButton", "GET UPDATE", Res::IDOK, 43, 85, 50, 14,
             BS_DEFPUSHBUTTON | WS_TABSTOP},
            {"SimpleStatic", "New Tivora version is available.", Res::IDC_UPDATE_NOTE, 10, 14, 119,
             8},
            {"SimpleStatic",
             "To update Tivora please click the \"Get Update\" button and follow the instructions.",
             Res::IDC_UPDATE_HELP, 10, 44, 169, 20},
        },
    };
    return kTemplate;
}

CUpdateInformation::CUpdateInformation(QWidget* parent)
    : CUpdateInformation(GetSettings().update, parent) {}

CUpdateInformation::CUpdateInformation(const UpdateSection& update, QWidget* parent)
    : CTivoraDialog(parent), update_(update) {
    SkinClasses::Register();
    drawPanelFrame = true;
    Build(Template());
}

void CUpdateInformation::OnInitDialog() {
    setWindowTitle(QString::fromStdString(Resources::LoadString(Res::IDS_UPDATE_INFORMATION)));
    CTivoraDialog::OnInitDialog();
    const UpdateManifest manifest = update_.GetUpdateManifest();
    SetDlgItemText(Res::IDC_VERSION, ReleaseLine(manifest));
    downloadUrl_ = manifest.url;
    if (auto* getUpdate = qobject_cast<CButtonST*>(GetDlgItem(Res::IDOK))) {
        getUpdate->LoadPictures(Res::IDB_GET_UPDATE_HOT, kKeyColor, Res::IDB_GET_UPDATE, kKeyColor);
        getUpdate->setGeometry(getUpdate->x(), getUpdate->y(), kGetUpdateWidth,
                               getUpdate->height());
    }
}

void CUpdateInformation::OnCommand(int id) {
    // The manifest comes from the network: only a web page may be opened from it, never a
    // local file or another program's scheme (refusals are logged by the launcher).
    if (id == Res::IDOK && !downloadUrl_.empty()) {
        OpenNetworkLink(downloadUrl_, 0);
    }
    CTivoraDialog::OnCommand(id);
}

void CUpdateInformation::setVisible(bool visible) {
    if (visible) {
        PlaceWithOwner(*this);
    }
    CTivoraDialog::setVisible(visible);
}
