#include "ui/controls/CTivoraTabCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ResourceIds.h"
#include "platform/desktop/Fonts.h"
#include "ui/controls/CBufferedDC.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/FocusCues.h"
#include "ui/controls/SkinAccessible.h"
#include "ui/controls/SkinText.h"

CTivoraTabCtrl::CTivoraTabCtrl(QWidget* parent)
    : QTabBar(parent), font_(Fonts::Make("Tahoma", 13)), images_(kTabWidth, kTabHeight, 2) {
    images_.AddMasked(LoadBitmap(Res::IDB_TABS), kKeyColor);
    setFont(font_);
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FocusCues::Follow();
    SkinAccessible::Install();
    // Every change of the tab but SetCurSel's, whoever makes it, is the user's pick.
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0) {
            emit selectionChanged(index);
        }
    });
}

void CTivoraTabCtrl::PreSubclassWindow(const DialogItem&) {
    // Owner-drawn tabs of a fixed size: nothing to change on a Qt tab bar, whose tab sizes
    // come from tabSizeHint.
    update();
}

int CTivoraTabCtrl::InsertItem(int index, const QString& text) {
    return insertTab(index, text);
}

QString CTivoraTabCtrl::GetItemText(int index) const {
    return tabText(index).left(kMaxTextLength);
}

int CTivoraTabCtrl::SetCurSel(int index) {
    const int previous = currentIndex();
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
    update();
    return previous;
}

void CTivoraTabCtrl::SelectTab(int index) {
    if (index >= 0 && index < count() && index != currentIndex()) {
        setCurrentIndex(index);
    }
}

Rect CTivoraTabCtrl::GetPageRect() const {
    return Rect{1, 18, width() - 1, height() - 1};
}

Rect CTivoraTabCtrl::TabRect(int index) const {
    return Rect::FromSize(kTabPitch * index, 0, kTabWidth, kTabHeight);
}

std::vector<int> CTivoraTabCtrl::DrawOrder() const {
    std::vector<int> order;
    const int selected = currentIndex();
    for (int i = count() - 1; i >= 0; --i) {
        if (i != selected) {
            order.push_back(i);
        }
    }
    if (selected >= 0 && selected < count()) {
        order.push_back(selected);
    }
    return order;
}

int CTivoraTabCtrl::TabAt(const QPoint& point) const {
    const std::vector<int> order = DrawOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (TabRect(*it).Contains(point.x(), point.y())) {
            return *it;
        }
    }
    return -1;
}

void CTivoraTabCtrl::OnCommand(int id) {
    SendCommandToOwner(this, id);
}

QSize CTivoraTabCtrl::tabSizeHint(int) const {
    return QSize(kTabPitch, kTabHeight);
}

QSize CTivoraTabCtrl::minimumTabSizeHint(int index) const {
    return tabSizeHint(index);
}

void CTivoraTabCtrl::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    SelectTab(TabAt(event->position().toPoint()));
}

void CTivoraTabCtrl::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void CTivoraTabCtrl::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void CTivoraTabCtrl::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

void CTivoraTabCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Rect client = Rect::FromSize(0, 0, width(), height());
    CBufferedDC dc(*this, painter, client, true);
    QPainter& p = dc.Painter();
    p.setFont(font_);
    p.setPen(Qt::white);

    FillSolidRect(p, Rect{client.left, client.top + 17, client.right, client.top + 18}, Qt::white);
    FillSolidRect(p, Rect{client.left, client.bottom - 1, client.right, client.bottom}, Qt::black);
    FillGradient(p, Rect{client.left, client.top + 17, client.left + 1, client.bottom}, Qt::white,
                 Qt::black, GradientDirection::Vertical);
    FillGradient(p, Rect{client.right - 1, client.top + 17, client.right, client.bottom}, Qt::white,
                 Qt::black, GradientDirection::Vertical);

    const int selected = currentIndex();
    for (int index : DrawOrder()) {
        DrawItem(dc, index, index == selected, TabRect(index));
    }
    if (selected >= 0 && FocusCues::ShowsMark(*this)) {
        // Inside the selected tab's picture, clear of its rounded top corners.
        const Rect tab = TabRect(selected);
        DrawFocusRect(p, Rect{tab.left + 3, tab.top + 2, tab.right - 3, tab.bottom - 1});
    }
}

void CTivoraTabCtrl::DrawItem(CBufferedDC& dc, int index, bool selected, const Rect& rect) {
    DrawShadow(dc, rect, rect.right >= kTabPitch * count());
    QPainter& p = dc.Painter();
    images_.Draw(p, selected ? 1 : 0, rect.left, rect.top);
    p.setFont(font_);
    p.setPen(Qt::white);
    SkinText::Draw(p, rect.Offset(0, selected ? 1 : 2), GetItemText(index),
                   Qt::AlignHCenter | Qt::AlignTop);
}

void CTivoraTabCtrl::DrawShadow(CBufferedDC& dc, const Rect& rect, bool rightMost) {
    static constexpr double kRaise[] = {0.20, 0.15, 0.10, 0.05};
    const Rect& bounds = dc.Bounds();
    if (rightMost && shadowCacheRatio_ != dc.Ratio()) {
        shadowCache_.clear();
        shadowCacheRatio_ = dc.Ratio();
    }
    // Every device pixel is darkened on its own, by the factor of the logical pixel it lies
    // in, so the shadow keeps what lies below it at any device pixel ratio.
    for (int column = 0; column < kShadowColumns; ++column) {
        const int x = rect.right - 2 + column;
        for (int y = rect.top + 1; y < rect.bottom; ++y) {
            if (!bounds.Contains(x, y)) {
                continue;
            }
            const int row = y - rect.top - 1;
            double factor = 0.55 + 0.05625 * column + (row < 4 ? kRaise[row] : 0.0);
            factor = std::min(factor, 1.0);
            const QRect device = dc.DevicePixels(x, y);
            for (int dy = device.top(); dy <= device.bottom(); ++dy) {
                for (int dx = device.left(); dx <= device.right(); ++dx) {
                    const QPoint at(dx, dy);
                    const QRgb pixel = dc.DevicePixel(at);
                    const auto cached = shadowCache_.constFind(at);
                    if (rightMost && cached != shadowCache_.constEnd() && *cached == pixel) {
                        continue;  // already the shadow we wrote last time
                    }
                    const QRgb darker =
                        qRgba(static_cast<int>(qRed(pixel) * factor),
                              static_cast<int>(qGreen(pixel) * factor),
                              static_cast<int>(qBlue(pixel) * factor), qAlpha(pixel));
                    dc.SetDevicePixel(at, darker);
                    if (rightMost) {
                        shadowCache_.insert(at, darker);
                    }
                }
            }
        }
    }
}
