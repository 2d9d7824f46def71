#include "ui/controls/CTivoraDialog.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "ResourceIds.h"
#include "platform/desktop/Fonts.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/SkinText.h"
#include "ui/controls/WindowStyles.h"

namespace {

QFont CaptionFont() {
    Fonts::RegisterFaces();
    // Microsoft Sans Serif is not shipped with Linux; Tahoma's bold is its
    // nearest relative there.
    const char* face = QFontDatabase::hasFamily(QStringLiteral("Microsoft Sans Serif"))
                           ? "Microsoft Sans Serif"
                           : "Tahoma";
    QFont font = Fonts::Make(face, 14, 700);
    font.setStyleStrategy(QFont::NoAntialias);  // draft quality
    return font;
}

}  // namespace

CDialogTitleBar::CDialogTitleBar()
    : font_(CaptionFont()),
      right_(LoadBitmap(Res::IDB_TITLE_RIGHT)),
      left_(LoadBitmap(Res::IDB_TITLE_LEFT)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
}

CDialogTitleBar::~CDialogTitleBar() {
    delete close_.data();
}

bool CDialogTitleBar::Create(CTivoraDialog* dialog) {
    using namespace WindowStyles;
    caption_ = dialog->windowTitle();
    const int width = dialog->width();

    auto* close = new CButtonST(dialog);
    close->Create(QString(), WS_CHILD | WS_VISIBLE, Rect{width - 14, 2, width - 1, 15}, dialog,
                  Res::IDCANCEL);
    close->LoadPictures(Res::IDB_CLOSE, kKeyColor);
    close->EnableBorder(false, false);
    close->UseParentBackground(false);
    // A cross says nothing to a screen reader.
    close->setAccessibleName(QStringLiteral("Close"));
    close_ = close;

    setParent(dialog);
    setWindowTitle(caption_ + QStringLiteral(" titlebar"));
    setAccessibleName(caption_);
    setGeometry(0, 0, width, kHeight);
    SetDlgCtrlID(this, kTitleBarId);
    show();
    // The button was made first but stays on top of the bar.
    close->raise();
    return true;
}

void CDialogTitleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int width = this->width();
    FillSolidRect(painter, Rect{0, 0, width, kHeight}, kBackground);
    if (!right_.isNull()) {
        painter.drawImage(width - LogicalSize(right_).width(), 0, right_);
    }
    if (!left_.isNull()) {
        painter.drawImage(0, 0, left_);
    }
    FillGradient(painter, Rect{0, 15, width, 18}, QColor(34, 34, 34), QColor(50, 50, 50),
                 GradientDirection::Vertical);
    painter.setFont(font_);
    painter.setPen(Qt::white);
    SkinText::Draw(painter, Rect{17, 1, width, 15}, caption_, Qt::AlignLeft | Qt::AlignTop);
}

void CDialogTitleBar::mousePressEvent(QMouseEvent* event) {
    if (drag_.Press(*window(), *event)) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CDialogTitleBar::mouseMoveEvent(QMouseEvent* event) {
    if (drag_.Move(*window(), *event)) {
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void CDialogTitleBar::mouseReleaseEvent(QMouseEvent* event) {
    drag_.Release();
    QWidget::mouseReleaseEvent(event);
}

CTivoraDialog::CTivoraDialog(QWidget* parent) : TemplateDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

CTivoraDialog::~CTivoraDialog() {
    // The title bar (and with it the close button) goes first.
    delete titleBar_.data();
}

void CTivoraDialog::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    delete titleBar_.data();
    setFixedSize(width(), height() + CDialogTitleBar::kHeight);
    for (QObject* child : children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control != nullptr && !control->isWindow()) {
            control->move(control->pos() + QPoint(0, CDialogTitleBar::kHeight));
        }
    }
    titleBar_ = new CDialogTitleBar();
    titleBar_->Create(this);
}

void CTivoraDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Rect client = Rect::FromSize(0, 0, width(), height());
    FillGradient(painter, Rect{client.left, client.top + 18, client.right, client.bottom},
                 QColor(54, 54, 54), QColor(102, 102, 102), GradientDirection::Vertical);
    if (!drawPanelFrame) {
        return;
    }
    const Rect groove{client.left + 10, client.top + 24, client.right - 10, client.bottom - 30};
    FillSolidRect(painter, Rect{groove.left, groove.top, groove.right, groove.top + 1}, Qt::white);
    FillSolidRect(painter, Rect{groove.left, groove.bottom - 1, groove.right, groove.bottom},
                  Qt::black);
    FillGradient(painter, Rect{groove.left, groove.top, groove.left + 1, groove.bottom}, Qt::white,
                 Qt::black, GradientDirection::Vertical);
    FillGradient(painter, Rect{groove.right - 1, groove.top, groove.right, groove.bottom},
                 Qt::white, Qt::black, GradientDirection::Vertical);
}
