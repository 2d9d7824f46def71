#include "ui/dialogs/ErrorDialogs.h"

#include <QLabel>
#include <QMessageBox>
#include <QPainter>

#include "ResourceIds.h"
#include "platform/desktop/Fonts.h"
#include "ui/controls/CStaticLink.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/Modal.h"
#include "ui/controls/WindowStyles.h"
#include "ui/dialogs/Links.h"

namespace {

constexpr Qt::WindowFlags kNoSystemMenu =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint;

void PaintWhite(QWidget* control) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

}  // namespace

const DialogTemplate& CInternalErrorDialog::Template() {
    using namespace WindowStyles;
    static const DialogTemplate kTemplate{
        Res::IDD_INTERNAL_ERROR,
        "Tivora Internal Error",
        218,
        78,
        {
            {"STATIC", "", Res::IDC_ERROR_BAND, 0, 0, 217, 24},
            {"STATIC", "Internal error has occured.", Res::IDC_ERROR_HEADING, 7, 9, 200, 8},
            {"STATIC", "Application will be closed now.", Res::IDC_STATIC, 7, 31, 200, 8},
            {"STATIC", "To see detailed information about this error,", Res::IDC_STATIC, 7, 46, 142,
             8},
            {"STATIC", "click here.", Res::IDC_ERROR_LINK, 150, 46, 40, 8, SS_NOTIFY},
            {"BUTTON", "Close", Res::IDOK, 161, 60, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        },
    };
    return kTemplate;
}

CInternalErrorDialog::CInternalErrorDialog(std::string errorText, QWidget* parent)
    : TemplateDialog(parent), errorText_(std::move(errorText)) {
    setWindowFlags(kNoSystemMenu);
    Build(Template(), {{Res::IDC_ERROR_LINK, [](const DialogItem& item, QWidget* owner) {
                            auto* link = new CStaticLink(QString::fromStdString(item.text), owner);
                            OpenAddressOnClick(*link);
                            return link;
                        }}});
    // The heading in a heavier copy of its own font, on the white band.
    QWidget* heading = GetDlgItem(Res::IDC_ERROR_HEADING);
    QFont bold = heading->font();
    bold.setWeight(Fonts::QtWeight(600));
    heading->setFont(bold);
    PaintWhite(heading);
    QWidget* band = GetDlgItem(Res::IDC_ERROR_BAND);
    SetControlText(band, "");
    PaintWhite(band);
}

void CInternalErrorDialog::paintEvent(QPaintEvent* event) {
    TemplateDialog::paintEvent(event);
    // An etched line two pixels high right under the band.
    QPainter painter(this);
    Rect band = Rect::FromQRect(GetDlgItem(Res::IDC_ERROR_BAND)->geometry());
    Draw3dRect(painter, Rect{band.left, band.bottom + 1, band.right, band.bottom + 3},
               palette().color(QPalette::Dark), palette().color(QPalette::Midlight));
}

void CInternalErrorDialog::OnCommand(int id) {
    if (id == Res::IDC_ERROR_LINK) {
        CErrorReportDialog report(errorText_, this);
        Modal::Exec(report);
        return;
    }
    TemplateDialog::OnCommand(id);
}

const DialogTemplate& CErrorReportDialog::Template() {
    using namespace WindowStyles;
    static const DialogTemplate kTemplate{
        Res::IDD_ERROR_REPORT,
        "Error Report",
        186,
        182,
        {
            {"EDIT", "", Res::IDC_ERROR_REPORT, 7, 7, 172, 150,
             ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_HSCROLL},
            {"BUTTON", "OK", Res::IDOK, 67, 161, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        },
    };
    return kTemplate;
}

CErrorReportDialog::CErrorReportDialog(std::string errorText, QWidget* parent)
    : TemplateDialog(parent), errorText_(std::move(errorText)) {
    setWindowFlags(kNoSystemMenu);
    Build(Template());
    SetDlgItemText(Res::IDC_ERROR_REPORT, errorText_);
    // No label stands by the report: the dialog's title names it.
    if (QWidget* report = GetDlgItem(Res::IDC_ERROR_REPORT)) {
        report->setAccessibleName(windowTitle());
    }
}

void DialogErrorPresenter::ShowInternalError(const std::string& errorText) {
    CInternalErrorDialog dialog(errorText);
    Modal::Exec(dialog);
}

void DialogErrorPresenter::ShowConfigurationError(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageBoxCaption), shown,
                    QMessageBox::Ok);
    Modal::Exec(box);
}
