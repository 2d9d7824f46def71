#include "ui/controls/CButtonST.h"

#include <QApplication>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/controls/BalloonTip.h"
#include "ui/controls/FocusCues.h"
#include "ui/controls/SkinAccessible.h"
#include "ui/controls/SkinText.h"
#include "ui/controls/WindowStyles.h"

namespace {

// Every pixel but the key colour with each channel multiplied by factor (truncated).
QImage Darkened(const QImage& image, QRgb key, double factor) {
    return MapNonKeyPixels(image, key, [factor](QRgb pixel) {
        return qRgb(static_cast<int>(qRed(pixel) * factor),
                    static_cast<int>(qGreen(pixel) * factor),
                    static_cast<int>(qBlue(pixel) * factor));
    });
}

// Every pixel but the key colour in its grey value.
QImage Greyed(const QImage& image, QRgb key) {
    return MapNonKeyPixels(image, key, [](QRgb pixel) {
        const int grey =
            static_cast<int>(0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel));
        return qRgb(grey, grey, grey);
    });
}

constexpr double kDisabledFactor = 0.75;

}  // namespace

CButtonST::CButtonST(QWidget* parent) : QPushButton(parent) {
    FocusCues::Follow();
    SkinAccessible::Install();
    ResetColors();
    setMouseTracking(true);
    connect(this, &QAbstractButton::clicked, this, &CButtonST::Clicked);
}

CButtonST::~CButtonST() {
    BalloonTip::HideBalloon(this);
}

bool CButtonST::Create(const QString& text, std::uint32_t style, const Rect& rect, QWidget* parent,
                       int id) {
    setParent(parent);
    setText(text);
    setGeometry(rect.ToQRect());
    SetDlgCtrlID(this, id);
    setFocusPolicy((style & WindowStyles::WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
    DialogItem item;
    item.className = "BUTTON";
    item.id = id;
    item.style = style;
    PreSubclassWindow(item);
    setVisible((style & WindowStyles::WS_VISIBLE) != 0);
    return true;
}

void CButtonST::PreSubclassWindow(const DialogItem& item) {
    std::uint32_t type = item.style & WindowStyles::BS_TYPEMASK;
    // Our own owner-drawn type would read as a check box (it has the bit of value 2); a
    // button attached a second time stays what it was.
    if (type == WindowStyles::BS_OWNERDRAW) {
        type = checkBoxMode_ ? WindowStyles::BS_CHECKBOX : WindowStyles::BS_PUSHBUTTON;
    }
    checkBoxMode_ = (type & 0x2) != 0;
    setCheckable(checkBoxMode_);
    // Enter in a dialog goes to its default button, never to a check box.
    setAutoDefault(!checkBoxMode_);
    isDefault_ = type == WindowStyles::BS_DEFPUSHBUTTON;
    setDefault(isDefault_);
    OnSubclassed();
    update();
}

void CButtonST::SetButtonStyle(std::uint32_t style, bool redraw) {
    isDefault_ = (style & WindowStyles::BS_TYPEMASK) == WindowStyles::BS_DEFPUSHBUTTON;
    setDefault(isDefault_);
    if (redraw) {
        update();
    }
}

void CButtonST::FreePictures() {
    for (QImage& picture : pictures_) {
        picture = QImage();
    }
    disabledChecked_ = QImage();
}

int CButtonST::LoadPictures(int firstId, QRgb firstKey, int secondId, QRgb secondKey) {
    const QImage first = LoadBitmap(firstId);
    if (first.isNull()) {
        FreePictures();
        update();
        return kLoadFailed;
    }
    if (secondId == kAutoDarkened || secondId == kAutoGrey) {
        return LoadPictures(first, firstKey, secondId);
    }
    QImage second;
    if (secondId > 0) {
        second = LoadBitmap(secondId);
        if (second.isNull()) {
            FreePictures();
            update();
            return kLoadFailed;
        }
    }
    return LoadPictures(first, firstKey, second, secondKey);
}

int CButtonST::LoadPictures(const QImage& first, QRgb firstKey, int automatic) {
    QImage second;
    if (!first.isNull() && automatic == kAutoDarkened) {
        second = Darkened(first, firstKey, kDisabledFactor);
    } else if (!first.isNull() && automatic == kAutoGrey) {
        second = Greyed(first, firstKey);
    }
    return LoadPictures(first, firstKey, second, firstKey);
}

int CButtonST::LoadPictures(const QImage& first, QRgb firstKey, const QImage& second,
                            QRgb secondKey) {
    FreePictures();
    if (first.isNull()) {
        update();
        return kLoadFailed;
    }
    pictures_[0] = MakeTransparent(first, firstKey);
    if (!second.isNull()) {
        pictures_[1] = MakeTransparent(second, secondKey);
    }
    // The disabled picture is the normal one, darkened.
    const QImage& normal = second.isNull() ? first : second;
    const QRgb normalKey = second.isNull() ? firstKey : secondKey;
    pictures_[2] = MakeTransparent(Darkened(normal, normalKey, kDisabledFactor), normalKey);
    // A disabled check box must still show whether it is ticked: its first picture (the
    // ticked box) gets a darkened copy as well.
    disabledChecked_ = MakeTransparent(Darkened(first, firstKey, kDisabledFactor), firstKey);
    update();
    return kOk;
}

void CButtonST::SetIcons(const QIcon& in, const QIcon& out, const QSize& size) {
    iconIn_ = in;
    iconOut_ = out;
    iconSize_ = size;
    update();
}

QImage CButtonST::Picture(int index) const {
    return index >= 0 && index < 3 ? pictures_[static_cast<std::size_t>(index)] : QImage();
}

int CButtonST::SetPictureLayout(int layout, bool repaint) {
    if (layout < 0 || layout > kPictureOver) {
        return kBadLayout;
    }
    layout_ = layout;
    if (repaint) {
        update();
    }
    return kOk;
}

int CButtonST::SetStateColors(int index, const QColor& color, bool repaint) {
    if (index < 0 || index > kTextFocus) {
        return kBadColorIndex;
    }
    colors_[static_cast<std::size_t>(index)] = color;
    if (repaint) {
        update();
    }
    return kOk;
}

QColor CButtonST::GetStateColor(int index) const {
    return index >= 0 && index <= kTextFocus ? colors_[static_cast<std::size_t>(index)] : QColor();
}

void CButtonST::ResetColors() {
    const QPalette system = QApplication::palette(this);
    for (int index : {kBackIn, kBackOut, kBackFocus}) {
        colors_[static_cast<std::size_t>(index)] = system.color(QPalette::Button);
    }
    for (int index : {kTextIn, kTextOut, kTextFocus}) {
        colors_[static_cast<std::size_t>(index)] = system.color(QPalette::ButtonText);
    }
}

void CButtonST::EnableBorder(bool on, bool repaint) {
    drawBorder_ = on;
    if (repaint) {
        update();
    }
}

void CButtonST::SetFlatLook(bool flat, bool repaint) {
    flat_ = flat;
    if (!flat_) {
        EndHover();
    }
    if (repaint) {
        update();
    }
}

void CButtonST::DrawFocusOnFlat(bool on, bool repaint) {
    drawFocusOnFlat_ = on;
    if (repaint) {
        update();
    }
}

void CButtonST::SetMargins(int x, int y) {
    margins_ = QPoint(x, y);
    update();
}

void CButtonST::SetPressedOffset(int dx, int dy) {
    pressedOffset_ = QPoint(dx, dy);
    update();
}

void CButtonST::UseDisabledPicture(bool on) {
    useDisabledPicture_ = on;
    update();
}

void CButtonST::UseParentBackground(bool repaint) {
    // Qt puts the parent (and whatever lies below) under a widget that paints no background
    // of its own, freshly at every paint: there is no cached copy to go stale.
    parentBackground_ = true;
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    if (repaint) {
        update();
    }
}

void CButtonST::SetTip(const QString& text, bool activate) {
    if (!tipMade_) {
        tipMade_ = true;
        tipActive_ = false;
    }
    tipText_ = text;
    tipActive_ = activate;
}

void CButtonST::UseBalloonTip() {
    if (!tipMade_) {
        balloon_ = true;
    }
}

void CButtonST::SetHoverCursor(const QCursor& cursor) {
    hoverCursor_ = cursor;
    setCursor(cursor);
}

int CButtonST::GetCheck() const {
    return checkBoxMode_ && isChecked() ? 1 : 0;
}

void CButtonST::SetCheck(int check) {
    if (!checkBoxMode_) {
        return;
    }
    setChecked(check == 1 || check == 2);
    update();
}

void CButtonST::Clicked() {
    if (isEnabled()) {
        setFocus(Qt::MouseFocusReason);
    }
    update();
    // The one way a click goes on: to the window that holds the button, by its identifier.
    TemplateDialog::SendCommand(this);
}

// --- Hover tracking ---------------------------------------------------------------------

void CButtonST::UpdateHover(const QPoint& position, bool leftButtonHeld) {
    if (!flat_ || !isEnabled()) {
        return;
    }
    if (leftButtonHeld && !hovering_) {
        return;
    }
    // Hover follows the mouse whether or not our window is the active one.
    if (rect().contains(position)) {
        if (!hovering_) {
            hovering_ = true;
            update();
        }
    } else {
        EndHover();
    }
}

void CButtonST::EndHover() {
    if (hovering_) {
        hovering_ = false;
        update();
    }
}

void CButtonST::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    UpdateHover(event->position().toPoint(), (QApplication::mouseButtons() & Qt::LeftButton) != 0);
}

void CButtonST::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    BalloonTip::HideBalloon(this);
    EndHover();
}

void CButtonST::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    UpdateHover(event->position().toPoint(), (event->buttons() & Qt::LeftButton) != 0);
}

void CButtonST::mousePressEvent(QMouseEvent* event) {
    BalloonTip::HideBalloon(this);
    QToolTip::hideText();
    QPushButton::mousePressEvent(event);
}

void CButtonST::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    EndHover();
}

void CButtonST::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    switch (event->type()) {
        case QEvent::ActivationChange:
            if (!isActiveWindow()) {
                EndHover();
            }
            break;
        case QEvent::EnabledChange:
            if (!isEnabled()) {
                EndHover();
            }
            break;
        case QEvent::ApplicationPaletteChange:
            ResetColors();
            OnSysColorChange();
            update();
            break;
        default:
            break;
    }
}

void CButtonST::keyPressEvent(QKeyEvent* event) {
    // A key held down repeats; one press is one click.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->isAutoRepeat()) {
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

bool CButtonST::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (IsTipActive() && !tipText_.isEmpty()) {
            if (balloon_) {
                BalloonTip::ShowBalloon(this, help->globalPos(), tipText_);
            } else {
                QToolTip::showText(help->globalPos(), tipText_, this, rect());
            }
        }
        return true;
    }
    return QPushButton::event(event);
}

// --- Painting ---------------------------------------------------------------------------

void CButtonST::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    ItemState state;
    state.selected = isDown();
    state.focus = hasFocus();
    state.disabled = !isEnabled();
    state.keyboardCues = FocusCues::Shown();
    DrawItem(painter, state);
}

void CButtonST::DrawItem(QPainter& painter, const ItemState& state) {
    pressed_ = state.selected || (checkBoxMode_ && isChecked());
    focused_ = state.focus;
    disabled_ = state.disabled;
    painter.setFont(font());

    const Rect client = Rect::FromSize(0, 0, width(), height());
    Rect area = client;
    if (!parentBackground_) {
        DrawBackground(painter, area);
    }
    DrawBorder(painter, area);

    const bool hasText = !text().isEmpty();
    Rect textArea = client;
    if (!iconIn_.isNull() || !iconOut_.isNull()) {
        DrawIcon(painter, client, hasText, textArea);
    } else {
        DrawBitmap(painter, client, hasText, textArea);
    }
    if (hasText) {
        DrawText(painter, textArea);
    }
    // A flat button draws no focus mark of its own accord; while the keyboard is in use every
    // focused button does, or a keyboard user could not see where the focus is.
    if (focused_ && (!flat_ || drawFocusOnFlat_ || state.keyboardCues)) {
        Rect mark = client.Deflate(3, 3);
        if (checkBoxMode_ && hasText) {
            // A check box's mark goes round its words and leaves the box clear.
            const int width = std::max(1, textArea.Width());
            const QSize text =
                SkinText::Measure(painter.font(), this->text(), width, Qt::TextWordWrap);
            const int left = textArea.left + (width - text.width()) / 2;
            const int top = textArea.top + (textArea.Height() - text.height()) / 2;
            mark = Rect{std::max(left - 2, textArea.left), std::max(top - 1, client.top),
                        std::min(left + text.width() + 2, textArea.right),
                        std::min(top + text.height() + 1, client.bottom)};
        }
        DrawFocusRect(painter, mark);
    }
}

void CButtonST::DrawBackground(QPainter& painter, Rect& rect) {
    if (!flat_ && (focused_ || isDefault_)) {
        Draw3dRect(painter, rect, Qt::black, Qt::black);
        rect = rect.Deflate(1, 1);
    }
    const int index = pressed_ || hovering_ ? kBackIn : focused_ ? kBackFocus : kBackOut;
    FillSolidRect(painter, rect, colors_[static_cast<std::size_t>(index)]);
}

void CButtonST::DrawBorder(QPainter& painter, const Rect& rect) {
    const QPalette& colors = palette();
    if (pressed_) {
        if (flat_) {
            if (drawBorder_) {
                Draw3dRect(painter, rect, colors.color(QPalette::Dark),
                           colors.color(QPalette::Light));
            }
        } else {
            Draw3dRect(painter, rect, colors.color(QPalette::Dark), colors.color(QPalette::Dark));
        }
        return;
    }
    if (!flat_) {
        Draw3dRect(painter, rect, colors.color(QPalette::Light), colors.color(QPalette::Shadow));
        Draw3dRect(painter, rect.Deflate(1, 1), colors.color(QPalette::Midlight),
                   colors.color(QPalette::Dark));
    } else if (hovering_ && drawBorder_) {
        Draw3dRect(painter, rect, colors.color(QPalette::Light), colors.color(QPalette::Dark));
    }
}

Rect CButtonST::PlacePicture(const Rect& client, const QSize& size, bool hasText,
                             Rect& textArea) const {
    const int w = size.width();
    const int h = size.height();
    const int centredX = client.left + (client.Width() - w) / 2;
    const int centredY = client.top + (client.Height() - h) / 2;
    Rect picture;
    textArea = client;
    switch (layout_) {
        case kPictureLeft:
            if (hasText) {
                picture = Rect::FromSize(client.left + margins_.x(), centredY, w, h);
                textArea.left = picture.right;
            } else {
                picture = Rect::FromSize(centredX, centredY, w, h);
            }
            break;
        case kPictureTop:
            if (hasText) {
                picture = Rect::FromSize(centredX, client.top + margins_.y(), w, h);
                textArea.top = picture.bottom;
            } else {
                picture = Rect::FromSize(centredX, centredY, w, h);
            }
            break;
        case kPictureRight:
            if (hasText) {
                picture = Rect::FromSize(client.right - margins_.x() - w, centredY, w, h);
                textArea.right = picture.left;
            } else {
                picture = Rect::FromSize(centredX, client.top, w, h);
            }
            break;
        default:
            picture = Rect::FromSize(client.left, client.top, w, h);
            break;
    }
    if (pressed_ && !checkBoxMode_) {
        picture = picture.Offset(pressedOffset_.x(), pressedOffset_.y());
    }
    return picture;
}

void CButtonST::DrawIcon(QPainter& painter, const Rect& client, bool hasText, Rect& textArea) {
    const QIcon& icon = (pressed_ || hovering_) && !iconIn_.isNull() ? iconIn_ : iconOut_;
    const QIcon& shown = icon.isNull() ? iconIn_ : icon;
    const Rect picture = PlacePicture(client, iconSize_, hasText, textArea);
    shown.paint(&painter, picture.ToQRect(), Qt::AlignCenter,
                disabled_ ? QIcon::Disabled : QIcon::Normal);
}

void CButtonST::DrawBitmap(QPainter& painter, const Rect& client, bool hasText, Rect& textArea) {
    int index = 0;
    if (disabled_ && useDisabledPicture_ && !pictures_[2].isNull()) {
        index = 2;
    } else if (!pressed_ && (checkBoxMode_ || !hovering_) && !pictures_[1].isNull()) {
        index = 1;
    }
    const bool disabledTicked = index == 2 && checkBoxMode_ && pressed_ && !pictures_[1].isNull();
    const QImage& picture =
        disabledTicked ? disabledChecked_ : pictures_[static_cast<std::size_t>(index)];
    if (picture.isNull()) {
        return;
    }
    const Rect place = PlacePicture(client, LogicalSize(picture), hasText, textArea);
    painter.drawImage(place.left, place.top, picture);
}

void CButtonST::DrawText(QPainter& painter, const Rect& textArea) {
    // Laid out again at the width it was measured at: the lines break where they were
    // measured, and each is centred in the text area. (A block only as wide as its widest
    // line can be narrower than the layout needs, which breaks that line once more.)
    const int width = std::max(1, textArea.Width());
    const QSize measured = SkinText::Measure(painter.font(), text(), width, Qt::TextWordWrap);
    Rect place =
        Rect::FromSize(textArea.left, textArea.top + (textArea.Height() - measured.height()) / 2,
                       width, measured.height());
    if (pressed_ && !checkBoxMode_) {
        place = place.Offset(pressedOffset_.x(), pressedOffset_.y());
    }
    QColor color = kDisabledText;
    if (!disabled_) {
        const int index = hovering_ || pressed_ ? kTextIn : focused_ ? kTextFocus : kTextOut;
        color = colors_[static_cast<std::size_t>(index)];
    }
    painter.setPen(color);
    SkinText::Draw(painter, place, text(), Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop);
}
