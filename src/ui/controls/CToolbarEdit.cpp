#include "ui/controls/CToolbarEdit.h"

#include <QPainter>

#include "ResourceIds.h"
#include "platform/desktop/Fonts.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/WindowStyles.h"

namespace {

// Qt's line edit keeps its own margins of 2 pixels left and right and 1 at the top inside
// the text margins; ours are the rest of the inset.
constexpr int kQtHorizontalMargin = 2;
constexpr int kQtVerticalMargin = 1;

// The grey of a disabled edit's text.
const QColor kDisabledText(109, 109, 109);

}  // namespace

CToolbarEdit::CToolbarEdit(QWidget* parent)
    : QLineEdit(parent), white_(Qt::white), ends_(kEndWidth, kHeight, 2) {
    ends_.AddMasked(LoadBitmap(Res::IDB_EDIT_LEFT), kKeyColor);
    ends_.AddMasked(LoadBitmap(Res::IDB_EDIT_RIGHT), kKeyColor);
    top_ = LoadBitmap(Res::IDB_EDIT_TOP);
    bottom_ = LoadBitmap(Res::IDB_EDIT_BOTTOM);
    setFont(Fonts::Make("Tahoma", 11));
    setFrame(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextMargins(kInsetLeft - kQtHorizontalMargin, kInsetTop - kQtVerticalMargin,
                   kInsetRight - kQtHorizontalMargin, kInsetBottom - kQtVerticalMargin);
    // The corners of the end pieces show what lies below; the white inside is ours.
    QPalette colors = palette();
    colors.setColor(QPalette::Base, Qt::transparent);
    colors.setColor(QPalette::Text, Qt::black);
    colors.setColor(QPalette::Disabled, QPalette::Text, kDisabledText);
    setPalette(colors);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
}

bool CToolbarEdit::Create(std::uint32_t style, const Rect& rect, QWidget* parent, int id) {
    setParent(parent);
    clear();
    setGeometry(rect.left, rect.top, rect.Width(), kHeight);
    SetDlgCtrlID(this, id);
    setFocusPolicy((style & WindowStyles::WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
    setVisible((style & WindowStyles::WS_VISIBLE) != 0);
    return true;
}

void CToolbarEdit::PreSubclassWindow(const DialogItem&) {
    setGeometry(x(), y(), width(), kHeight);
}

Rect CToolbarEdit::TextRect() const {
    return Rect{kInsetLeft, kInsetTop, width() - kInsetRight, height() - kInsetBottom};
}

void CToolbarEdit::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        FillSolidRect(painter, TextRect(), white_.color());
    }
    QLineEdit::paintEvent(event);

    QPainter painter(this);
    const int width = this->width();
    const int height = this->height();
    ends_.Draw(painter, 0, 0, 0);
    ends_.Draw(painter, 1, width - kEndWidth, 0);
    if (width - kEndWidth > kEndWidth && !top_.isNull() && !bottom_.isNull()) {
        const int span = width - 2 * kEndWidth;
        const int topHeight = LogicalSize(top_).height();
        const int bottomHeight = LogicalSize(bottom_).height();
        painter.drawImage(QRect(kEndWidth, 0, span, topHeight), top_);
        painter.drawImage(QRect(kEndWidth, height - bottomHeight, span, bottomHeight), bottom_);
    }
}
