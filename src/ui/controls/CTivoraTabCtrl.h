#pragma once

#include <QFont>
#include <QHash>
#include <QPoint>
#include <QTabBar>
#include <vector>

#include "platform/desktop/Rect.h"
#include "platform/os/ImageList.h"
#include "ui/controls/DialogTemplate.h"

class CBufferedDC;

// The settings dialog's tab strip: fixed 83 x 17 bitmap tabs every 77 pixels, each casting a
// soft shadow on the next, the selected one on top. It also hosts the dialog's pages, in
// GetPageRect, and hands their commands on to its owner.
class CTivoraTabCtrl : public QTabBar, public TemplateControl, public CommandTarget {
    Q_OBJECT
public:
    static constexpr int kTabWidth = 83;
    static constexpr int kTabHeight = 17;
    static constexpr int kTabPitch = 77;
    static constexpr int kShadowColumns = 8;
    static constexpr int kShadowRows = 17;
    static constexpr int kMaxTextLength = 99;

    explicit CTivoraTabCtrl(QWidget* parent = nullptr);

    void PreSubclassWindow(const DialogItem& item) override;

    int InsertItem(int index, const QString& text);
    int GetItemCount() const { return count(); }
    // The tab's text as drawn: at most 99 characters.
    QString GetItemText(int index) const;
    int GetCurSel() const { return currentIndex(); }
    // Selects the tab without telling anyone; returns the previous selection.
    int SetCurSel(int index);
    // Selects the tab as a click on it does: the owner is told (selectionChanged).
    void SelectTab(int index);

    // Where the pages go: inside the body's frame, under the tabs.
    Rect GetPageRect() const;
    Rect TabRect(int index) const;
    // The tab shown at point (the topmost where tabs overlap), or -1.
    int TabAt(const QPoint& point) const;
    // The order in which the tabs are painted: all but the selected one from the last to the
    // first, then the selected one.
    std::vector<int> DrawOrder() const;

    // Commands of the pages go on to the owner.
    void OnCommand(int id) override;

    // Draws one tab with its shadow into the buffer.
    virtual void DrawItem(CBufferedDC& dc, int index, bool selected, const Rect& rect);

signals:
    // The user picked another tab (a click, the keyboard or an assistive technology).
    void selectionChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;

private:
    void DrawShadow(CBufferedDC& dc, const Rect& rect, bool rightMost);

    QFont font_;
    ImageList images_;
    // The colours last written right of the right-most tab, by device pixel of the buffer,
    // so that a background that was not repainted is not darkened twice; kept for one device
    // pixel ratio at a time.
    QHash<QPoint, QRgb> shadowCache_;
    qreal shadowCacheRatio_ = 0;
};
