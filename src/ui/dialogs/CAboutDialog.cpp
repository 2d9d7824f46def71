#include "ui/dialogs/CAboutDialog.h"

#include <QLabel>

#include "ResourceIds.h"
#include "config/GamesConfig.h"
#include "config/VersionUtils.h"
#include "platform/desktop/Fonts.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/SkinClasses.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/controls/TivoraStatics.h"
#include "ui/controls/WindowStyles.h"
#include "ui/dialogs/DialogPlacement.h"

std::string GetDisplayVersion() {
    VersionUtils::Version version = VersionUtils::GetCurrentVersion();
    version[3] = static_cast<std::uint32_t>(GetWebmasterVersion());
    return VersionUtils::FormatVersion(version, 4, '.');
}

const DialogTemplate& CAboutDialog::Template() {
    using namespace WindowStyles;
    static const DialogTemplate kTemplate{
        Res::IDD_ABOUT,
        "About",
        192,
        101,
        {
            {"STATIC", "", Res::IDC_ABOUT_ICON, 10, 7, 20, 20, SS_ICON},
            {"SimpleStatic", "Tivora", Res::IDC_PRODUCT_NAME, 38, 12, 42, 15},
            {"TivoraStatic", "Version:", Res::IDC_VERSION_LABEL, 66, 7, 34, 8, kHidden},
            {"SimpleStatic", "", Res::IDC_VERSION, 82, 5, 100, 8},
            {"TivoraButton", "CLOSE", Res::IDOK, 71, 85, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
            {"SimpleStatic", "Your online games, one click away.", Res::IDC_ABOUT_LINE_1, 10, 39,
             136, 8},
            {"SimpleStatic", "Copyright (C) Nuvexa.", Res::IDC_ABOUT_LINE_2, 10, 51, 119, 8},
        },
    };
    return kTemplate;
}

CAboutDialog::CAboutDialog(QWidget* parent)
    : CTivoraDialog(parent), boldFont_(Fonts::Make("Tahoma", 15, 700)) {
    SkinClasses::Register();
    drawPanelFrame = true;
    Build(Template());
}

void CAboutDialog::OnInitDialog() {
    // The caption is set before the title bar copies it.
    setWindowTitle(QStringLiteral("About"));
    CTivoraDialog::OnInitDialog();
    if (auto* version = qobject_cast<CSimpleStatic*>(GetDlgItem(Res::IDC_VERSION))) {
        version->alignment = CSimpleStatic::kRight;
        SetControlText(version, "Version: " + GetDisplayVersion());
    }
    if (QWidget* name = GetDlgItem(Res::IDC_PRODUCT_NAME)) {
        name->setFont(boldFont_);
    }
    if (auto* icon = qobject_cast<QLabel*>(GetDlgItem(Res::IDC_ABOUT_ICON))) {
        QPalette palette = icon->palette();
        palette.setColor(QPalette::Window, kIconGround);
        icon->setPalette(palette);
        icon->setAutoFillBackground(true);

        icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // An icon static takes the size of its icon.
        icon->resize(32, 32);
        icon->setPixmap(LoadIcon(Res::IDI_ABOUT).pixmap(32, 32));
    }
}

void CAboutDialog::setVisible(bool visible) {
    if (visible) {
        PlaceWithOwner(*this);
    }
    CTivoraDialog::setVisible(visible);
}
