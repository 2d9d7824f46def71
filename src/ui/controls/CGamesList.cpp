#include "ui/controls/CGamesList.h"

#include <QAccessible>
#include <QCursor>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <mutex>

#include "platform/desktop/Fonts.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/FocusCues.h"
#include "ui/controls/SkinAccessible.h"
#include "ui/controls/WindowStyles.h"

namespace {

const QColor kBackLeft(251, 138, 0);
const QColor kBackRight(251, 129, 0);
const QColor kHighlightTopLine(237, 128, 0);
const QColor kHighlightTop(189, 71, 0);
const QColor kHighlightBottom(251, 131, 0);
const QColor kHighlightEdgeDark(166, 88, 0);
const QColor kHighlightEdgeLight(208, 111, 0);
const QColor kHighlightBelow(237, 125, 0);

}  // namespace

CGamesList::CGamesList(QWidget* parent)
    : QWidget(parent),
      font_(Fonts::Make("Tahoma", 13, 400)),
      underlineFont_(Fonts::Make("Tahoma", 13, 400, true)),
      scrollBar_(*this),
      rollOut_(*this) {
    RegisterWindowClass();
    FocusCues::Follow();
    SkinAccessible::Install();
    setFont(font_);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // Everything is painted from the buffer: nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // A pop-up list rolls out from an orange ground.
    QPalette colors = palette();
    colors.setColor(QPalette::Window, QColor(251, 134, 0));
    setPalette(colors);
}

CGamesList::~CGamesList() = default;

void CGamesList::RegisterWindowClass() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        ControlClasses::Register(
            kClassName, [](const DialogItem&, QWidget* parent) { return new CGamesList(parent); });
    });
}

bool CGamesList::Create(std::uint32_t style, const Rect& rect, QWidget* parent, int id) {
    return CreateEx(0, style, rect, parent, id);
}

bool CGamesList::CreateEx(std::uint32_t exStyle, std::uint32_t style, const Rect& rect,
                          QWidget* parent, int id) {
    using namespace WindowStyles;
    if ((style & WS_POPUP) != 0) {
        Qt::WindowFlags kind = (exStyle & WS_EX_TOOLWINDOW) != 0 ? Qt::Tool : Qt::Window;
        if (popupMode_) {
            kind = Qt::Popup;
        }
        setParent(parent, kind | Qt::FramelessWindowHint);
    } else {
        setParent(parent);
    }
    setWindowTitle(QString());
    setGeometry(rect.ToQRect());
    SetDlgCtrlID(this, id);
    madeByCreate_ = true;
    PlaceScrollBar();
    RecalcScroll();
    setVisible((style & WS_VISIBLE) != 0);
    return true;
}

void CGamesList::PreSubclassWindow(const DialogItem&) {
    if (!madeByCreate_) {
        PlaceScrollBar();
        RecalcScroll();
    }
}

void CGamesList::SetImageList(const ImageList* images) {
    images_ = images;
    if (images_ != nullptr && images_->Count() > 0) {
        imageWidth_ = images_->Width();
        imageHeight_ = images_->Height();
    }
    rowHeight_ = imageHeight_ > 16 ? imageHeight_ : kDefaultRowHeight;
    RecalcScroll();
    update();
}

// --- Rows -------------------------------------------------------------------------------

int CGamesList::InsertionPosition(const std::string& text) const {
    if (rows_.empty()) {
        return 0;
    }
    // Byte-wise, case-sensitive; a new row goes before an equal one.
    int lo = 0;
    int hi = static_cast<int>(rows_.size()) - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int order = text.compare(rows_[static_cast<std::size_t>(mid)]->text);
        if (order <= 0) {
            if (order == 0 || mid == lo) {
                return mid;
            }
            hi = mid - 1;
        } else {
            lo = mid + 1;
            if (mid == hi) {
                return lo;
            }
        }
    }
    return lo;
}

void CGamesList::Renumber() {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i]->index = static_cast<int>(i);
    }
}

int CGamesList::InsertRow(std::unique_ptr<GamesListItem> row) {
    const int position = InsertionPosition(row->text);
    const bool selected = row->selected != 0;
    rows_.insert(rows_.begin() + position, std::move(row));
    Renumber();
    RecalcScroll();
    NotifyRowsChanged();
    if (selected) {
        SetSelectedIndex(position);
    } else {
        update();
    }
    return position;
}

int CGamesList::AddItem(const std::string& text, int image) {
    auto row = std::make_unique<GamesListItem>();
    row->text = text;
    row->image = image;
    return InsertRow(std::move(row));
}

int CGamesList::InsertItem(const GamesListItem& item) {
    return InsertRow(std::make_unique<GamesListItem>(item));
}

void CGamesList::SetItems(std::vector<GamesListItem> items) {
    rows_.clear();
    rows_.reserve(items.size());
    // AddItem puts a row before an equal one: the last added of equal names comes first.
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        item->selected = 0;
        rows_.push_back(std::make_unique<GamesListItem>(std::move(*item)));
    }
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const auto& a, const auto& b) { return a->text.compare(b->text) < 0; });
    Renumber();
    hoverIndex_ = -1;
    keyboardHover_ = false;
    RecalcScroll();
    NotifyRowsChanged();
    update();
}

int CGamesList::GetItem(GamesListItem& item) const {
    if (item.index < 0 || item.index >= GetItemCount()) {
        return 0;
    }
    const GamesListItem& row = *rows_[static_cast<std::size_t>(item.index)];
    item.image = row.image;
    item.text = row.text;
    item.selected = row.selected;
    item.data = row.data;
    return 1;
}

int CGamesList::DeleteItem(int index) {
    if (index < 0 || index >= GetItemCount()) {
        return 0;
    }
    rows_.erase(rows_.begin() + index);
    Renumber();
    hoverIndex_ = -1;
    keyboardHover_ = false;
    RecalcScroll();
    NotifyRowsChanged();
    update();
    return 1;
}

void CGamesList::DeleteAllItems() {
    rows_.clear();
    hoverIndex_ = -1;
    keyboardHover_ = false;
    RecalcScroll();
    NotifyRowsChanged();
    update();
}

void CGamesList::SetItemData(int index, const void* pointer) {
    if (index >= 0 && index < GetItemCount()) {
        rows_[static_cast<std::size_t>(index)]->data = pointer;
    }
}

const void* CGamesList::GetItemData(int index) const {
    return index >= 0 && index < GetItemCount() ? rows_[static_cast<std::size_t>(index)]->data
                                                : nullptr;
}

std::string CGamesList::GetItemText(int index) const {
    return index >= 0 && index < GetItemCount() ? rows_[static_cast<std::size_t>(index)]->text
                                                : std::string();
}

int CGamesList::GetSelectedIndex() const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i]->selected != 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CGamesList::SetSelectedIndex(int index) {
    if (rows_.empty()) {
        return;
    }
    index = std::clamp(index, 0, GetItemCount() - 1);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i]->selected = static_cast<int>(i) == index ? 1 : 0;
    }
    update();
    NotifyCurrentRow();
}

int CGamesList::CurrentIndex() const {
    return hoverTracking ? hoverIndex_ : GetSelectedIndex();
}

void CGamesList::ActivateRow(int index) {
    if (index >= 0 && index < GetItemCount()) {
        SetSelectedIndex(index);
        EnsureVisible(index);
    }
}

// --- Geometry ---------------------------------------------------------------------------

Rect CGamesList::RowsArea() const {
    return Rect{1, 1, scrollBar_.IsVisible() ? width() - CSkinScrollBar::kWidth : width() - 1,
                height() - 1};
}

int CGamesList::GetItemRect(int index, Rect& rect, int part) const {
    if (index < 0 || index >= GetItemCount()) {
        return 0;
    }
    const Rect area = RowsArea();
    const int a = area.left;
    const int b = area.right;
    const int top = 1 + index * (rowHeight_ + 1) - scrollPos_;
    const int bottom = top + rowHeight_ + 2;
    switch (part) {
        case kPartRow:
            rect = Rect{a + 1, top, b - 1, bottom};
            return 1;
        case kPartImage:
            rect = Rect{a + 1, top, a + 1 + imageWidth_, bottom};
            return 1;
        case kPartText:
            rect = Rect{a + imageWidth_ + 5, top, b - 1, bottom};
            return 1;
        case kPartBand: {
            const int bandTop = index * (rowHeight_ + 1) - scrollPos_;
            rect = Rect{a, bandTop, b, bandTop + rowHeight_ + 4};
            return 1;
        }
        default:
            return 0;
    }
}

int CGamesList::HitTest(const QPoint& point) const {
    if (!RowsArea().Contains(point.x(), point.y())) {
        return -1;
    }
    Rect row;
    const auto [first, last] = RowsNear(point.y(), point.y());
    for (int i = first; i <= last; ++i) {
        if (GetItemRect(i, row, kPartRow) != 0 && row.Contains(point.x(), point.y())) {
            return i;
        }
    }
    return -1;
}

std::pair<int, int> CGamesList::RowsNear(int top, int bottom) const {
    // Row i starts at 1 + i * step - scrollPos_ and is rowHeight_ + 2 high, so it overlaps the
    // next by one pixel; one more row on each side covers that and the highlight below a row.
    const int step = rowHeight_ + 1;
    const auto floorDiv = [step](int value) {
        return value >= 0 ? value / step : -((-value + step - 1) / step);
    };
    const int first = std::max(0, floorDiv(top - 1 + scrollPos_) - 2);
    const int last = std::min(GetItemCount() - 1, floorDiv(bottom - 1 + scrollPos_) + 1);
    return {first, last};
}

void CGamesList::PlaceScrollBar() {
    scrollBar_.SetRect(Rect{width() - 15, 1, width() - 1, height() - 1});
}

// --- Scrolling --------------------------------------------------------------------------

void CGamesList::ScrollBy(int pixels) {
    const int before = scrollPos_;
    scrollPos_ = std::max(scrollPos_ + pixels, scrollMin_);
    scrollPos_ = std::min(scrollPos_, scrollMax_);
    // A row picked by the keys stays picked while the rows move under a still mouse.
    if (hoverTracking && !keyboardHover_) {
        RecomputeHoverAtCursor();
    }
    update();
    if (scrollPos_ != before) {
        NotifyScrolled();
    }
}

void CGamesList::SetScrollPos(int position) {
    ScrollBy(position - scrollPos_);
    scrollBar_.SetScrollPos(scrollPos_, true);
}

void CGamesList::RecalcScroll() {
    // A hidden widget gets its resize event only when shown; the bar follows the size now.
    PlaceScrollBar();
    if (rows_.empty()) {
        scrollMin_ = scrollMax_ = scrollPos_ = 0;
        scrollBar_.SetScrollRange(0, 0, false);
        scrollBar_.SetScrollPos(0, false);
        scrollBar_.SetVisible(false);
        update(scrollBar_.GetRect().ToQRect());
        return;
    }
    const Rect area = RowsArea();
    const int pageHeight = area.Height();
    const int count = GetItemCount();
    const bool needed = (rowHeight_ + 4) * (count - 1) > pageHeight;
    if (needed) {
        Rect last;
        GetItemRect(count - 1, last, kPartBand);
        // Never below 0: the bar may appear although the rows just fit, and a negative
        // range would push the rows down off their places.
        const int maximum = std::max(0, scrollPos_ + last.bottom + area.top - area.bottom - 1);
        const int oldMaximum = scrollMax_;
        int position = 0;
        if (scrollBar_.IsVisible()) {
            position = oldMaximum == 0 ? 0 : maximum * scrollPos_ / oldMaximum;
            position = std::min(position, maximum);
        }
        scrollBar_.SetScrollRange(0, maximum, false);
        scrollMin_ = 0;
        scrollMax_ = maximum;
        scrollPos_ = position;
    } else {
        scrollMin_ = scrollMax_ = scrollPos_ = 0;
        scrollBar_.SetScrollRange(0, 0, false);
    }
    scrollBar_.SetPageSize(pageHeight);
    scrollBar_.SetScrollPos(scrollPos_, true);
    if (hoverTracking && !keyboardHover_) {
        RecomputeHoverAtCursor();
    }
    scrollBar_.SetVisible(needed);
    update(scrollBar_.GetRect().ToQRect());
}

void CGamesList::MakeVisible(int index, Alignment alignment) {
    Rect row;
    if (GetItemRect(index, row, kPartImage) == 0) {
        return;
    }
    const Rect area = RowsArea();
    if (row.top >= area.top && row.bottom <= area.bottom) {
        return;
    }
    const bool above = row.top < area.top;
    const int toTop = row.top - area.top;
    const int toBottom = row.bottom - area.bottom + area.top;
    if (alignment == Alignment::Line) {
        ScrollBy(above ? toTop : toBottom);
    } else {
        ScrollBy(above ? toBottom : toTop);
    }
    scrollBar_.SetScrollPos(scrollPos_, true);
}

void CGamesList::EnsureVisible(int index) {
    MakeVisible(index, Alignment::Line);
}

// --- Hover and selection ----------------------------------------------------------------

void CGamesList::SelectAt(const QPoint& point) {
    int hit = -1;
    Rect row;
    for (int i = 0; i < GetItemCount(); ++i) {
        if (GetItemRect(i, row, kPartRow) != 0 && row.Contains(point.x(), point.y())) {
            hit = i;  // the last one wins
        }
    }
    if (hit < 0) {
        return;
    }
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i]->selected = static_cast<int>(i) == hit ? 1 : 0;
    }
    update();
    NotifyCurrentRow();
}

void CGamesList::UpdateHover(const QPoint& point) {
    Rect row;
    if (hoverIndex_ >= 0 && GetItemRect(hoverIndex_, row, kPartRow) != 0 &&
        row.Contains(point.x(), point.y())) {
        return;
    }
    const int before = hoverIndex_;
    hoverIndex_ = -1;
    const auto [first, last] = RowsNear(point.y(), point.y());
    for (int i = first; i <= last; ++i) {
        if (GetItemRect(i, row, kPartRow) != 0 && row.Contains(point.x(), point.y())) {
            hoverIndex_ = i;
        }
    }
    update();
    if (hoverIndex_ != before) {
        NotifyCurrentRow();
    }
}

void CGamesList::HighlightFromKeyboard(int index, bool page) {
    if (rows_.empty()) {
        return;
    }
    hoverIndex_ = std::clamp(index, 0, GetItemCount() - 1);
    keyboardHover_ = true;
    keyboardCursor_ = QCursor::pos();
    MakeVisible(hoverIndex_, page ? Alignment::Page : Alignment::Line);
    update();
    NotifyCurrentRow();
}

void CGamesList::NotifyCurrentRow() {
    const int current = CurrentIndex();
    if (!QAccessible::isActive() || !hasFocus() || current < 0) {
        return;
    }
    if (QAccessibleInterface* list = QAccessible::queryAccessibleInterface(this)) {
        if (QAccessibleInterface* row = list->child(current)) {
            QAccessibleEvent focus(row, QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
        }
    }
}

void CGamesList::NotifyRowsChanged() {
    if (QAccessible::isActive()) {
        QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reorder);
    }
}

void CGamesList::NotifyScrolled() {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(this);
    QAccessibleInterface* bar = list != nullptr ? list->child(list->childCount() - 1) : nullptr;
    if (bar != nullptr && bar->role() == QAccessible::ScrollBar) {
        QAccessibleValueChangeEvent moved(bar, scrollPos_);
        QAccessible::updateAccessibility(&moved);
    }
}

void CGamesList::RecomputeHoverAtCursor() {
    hoverIndex_ = -1;
    UpdateHover(mapFromGlobal(QCursor::pos()));
}

void CGamesList::OnMouseLeave() {
    if (hoverTracking && !keyboardHover_) {
        hoverIndex_ = -1;
        update();
    }
    scrollBar_.OnMouseLeave();
}

// --- Capture and timers -----------------------------------------------------------------

void CGamesList::SetCapture() {
    if (!isVisible()) {
        return;
    }
    // An open pop-up gets the program's mouse events already.
    if (popupMode_) {
        popupCapture_ = true;
        return;
    }
    grabMouse();
}

void CGamesList::ReleaseCapture() {
    popupCapture_ = false;
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
}

bool CGamesList::HasCapture() const {
    return popupCapture_ || QWidget::mouseGrabber() == this;
}

void CGamesList::SetTimer(int id, int milliseconds) {
    timers_[id] = TimerSource::Current().Start(milliseconds, [this, id] { OnTimer(id); });
}

void CGamesList::KillTimer(int id) {
    timers_.erase(id);
}

void CGamesList::OnTimer(int id) {
    scrollBar_.OnTimer(id);
}

// --- Events -----------------------------------------------------------------------------

void CGamesList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceScrollBar();
    RecalcScroll();
}

void CGamesList::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        SelectAt(point);
    }
    if (event->button() == Qt::LeftButton) {
        scrollBar_.OnLButtonDown(point);
    }
    QWidget::mousePressEvent(event);
}

void CGamesList::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        SelectAt(event->position().toPoint());
    }
    event->accept();
}

void CGamesList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        scrollBar_.OnLButtonUp(event->position().toPoint());
    }
    QWidget::mouseReleaseEvent(event);
}

void CGamesList::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    OnSetCursor();
    // A list that appears or scrolls under a still mouse is told of a move to where the mouse
    // already was: that leaves a row picked by the keys alone.
    if (keyboardHover_ && event->globalPosition().toPoint() != keyboardCursor_) {
        keyboardHover_ = false;
    }
    if (hoverTracking && !keyboardHover_) {
        UpdateHover(point);
    }
    scrollBar_.OnMouseMove(point);
    QWidget::mouseMoveEvent(event);
}

void CGamesList::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    OnSetCursor();
}

void CGamesList::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    OnMouseLeave();
}

void CGamesList::wheelEvent(QWheelEvent* event) {
    // Smooth wheels and touchpads send parts of a notch: they add up until a whole notch is
    // there, and what is left waits for the next event. A turn of direction starts afresh.
    const int delta = event->angleDelta().y();
    if ((delta > 0 && wheelRemainder_ < 0) || (delta < 0 && wheelRemainder_ > 0)) {
        wheelRemainder_ = 0;
    }
    wheelRemainder_ += delta;
    const int notches = wheelRemainder_ / kWheelDelta;
    wheelRemainder_ -= notches * kWheelDelta;
    ScrollBy(notches * -kWheelStep);
    scrollBar_.SetScrollPos(scrollPos_, true);
    event->accept();
}

void CGamesList::keyPressEvent(QKeyEvent* event) {
    if (rows_.empty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int pageRows = RowsArea().Height() / (rowHeight_ + 4) + 1;
    // With no current row it counts as -1: Down and Home pick the first.
    const int current = CurrentIndex();
    int target = current;
    bool page = false;
    switch (event->key()) {
        case Qt::Key_PageUp:
            target = current - pageRows;
            page = true;
            break;
        case Qt::Key_PageDown:
            target = current + pageRows;
            page = true;
            break;
        case Qt::Key_Up:
            target = current - 1;
            break;
        case Qt::Key_Down:
            target = current + 1;
            break;
        case Qt::Key_Home:
            target = 0;
            break;
        case Qt::Key_End:
            target = GetItemCount() - 1;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
    if (hoverTracking) {
        HighlightFromKeyboard(target, page);
        return;
    }
    SetSelectedIndex(target);
    MakeVisible(GetSelectedIndex(), page ? Alignment::Page : Alignment::Line);
}

// --- Painting ---------------------------------------------------------------------------

void CGamesList::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (rollOut_.Running()) {
        rollOut_.PaintFrame(painter);
        return;
    }
    const Rect client = Rect::FromSize(0, 0, width(), height());
    const bool rollOut = rollOutOnNextPaint;
    // The list covers all of its area, so what lies below matters only to the roll-out,
    // which starts from it.
    const Rect clip = rollOut ? client : Rect::FromQRect(event->rect());
    Rect row;
    CBufferedDC dc(*this, painter, clip, rollOut, rollOut ? &rollOut_ : nullptr);
    QPainter& p = dc.Painter();
    p.setFont(font_);
    p.setPen(Qt::white);
    p.setBackgroundMode(Qt::TransparentMode);
    FillGradient(p, rollOut ? client : RowsArea(), kBackLeft, kBackRight,
                 GradientDirection::Horizontal);
    rollOutOnNextPaint = false;
    PaintRows(p, clip);
    if (FocusCues::ShowsMark(*this) && GetItemRect(CurrentIndex(), row, kPartRow) != 0) {
        // Inside the highlight, and never over the frame or the scroll bar.
        p.save();
        p.setClipRect(RowsArea().ToQRect());
        DrawFocusRect(p, Rect{row.left, row.top + 1, row.right, row.bottom});
        p.restore();
    }
    Draw3dRect(p, client, Qt::black, Qt::black);
    scrollBar_.Paint(p);
}

void CGamesList::PaintRows(QPainter& p, const Rect& clip) {
    Rect row;
    Rect part;
    const auto [first, last] = RowsNear(clip.top, clip.bottom);
    for (int i = first; i <= last; ++i) {
        GetItemRect(i, row, kPartRow);
        // The highlight reaches two rows below the row's own bottom.
        if (row.bottom + 2 <= clip.top || row.top >= clip.bottom) {
            continue;
        }
        const GamesListItem& item = *rows_[static_cast<std::size_t>(i)];
        const bool highlighted = hoverTracking ? i == hoverIndex_ : item.selected != 0;
        if (highlighted) {
            const int t = row.top;
            const int b = row.bottom;
            FillSolidRect(p, Rect{row.left, t, row.right, t + 1}, kHighlightTopLine);
            FillGradient(p, Rect{row.left, t + 1, row.right, b - 1}, kHighlightTop,
                         kHighlightBottom, GradientDirection::Vertical);
            Draw3dRect(p, Rect{row.left, b - 1, row.right, b + 1}, kHighlightEdgeDark,
                       kHighlightEdgeLight);
            FillSolidRect(p, Rect{row.left, b + 1, row.right, b + 2}, kHighlightBelow);
        }
        if (images_ != nullptr) {
            GetItemRect(i, part, kPartImage);
            images_->Draw(p, item.image, part.left, part.top);
        }
        GetItemRect(i, part, kPartText);
        p.drawText(part.ToQRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   QString::fromStdString(item.text));
    }
}
