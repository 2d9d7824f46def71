#pragma once

#include <QFont>
#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop/Rect.h"
#include "platform/os/ImageList.h"
#include "ui/controls/CBufferedDC.h"
#include "ui/controls/CSkinScrollBar.h"
#include "ui/controls/DialogTemplate.h"
#include "ui/controls/TimerSource.h"

// One row of the games list.
struct GamesListItem {
    int index = 0;               // the row's position; set by the list, read by GetItem
    int image = 0;               // the row's icon in the list's image list
    std::string text;            // the game's name, the sort key
    int selected = 0;            // drawn highlighted (outside hover tracking)
    const void* data = nullptr;  // the caller's, not owned, never changed by the list
};

// The skin's list of games: rows of icon and name kept sorted by name, a highlight for the
// selected row (or, in hoverTracking mode, the row under the mouse), keyboard and wheel
// scrolling and a scroll bar of its own. Everything is painted through one off-screen buffer.
// Dialog templates make one with the class name "GAMESLIST".
class CGamesList : public QWidget, public TemplateControl {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "GAMESLIST";
    static constexpr int kDefaultRowHeight = 17;
    static constexpr int kWheelStep = 12;
    static constexpr int kWheelDelta = 120;  // one notch

    // Parts of a row for GetItemRect.
    static constexpr int kPartRow = 0;
    static constexpr int kPartImage = 1;
    static constexpr int kPartText = 2;
    static constexpr int kPartBand = 3;

    explicit CGamesList(QWidget* parent = nullptr);
    ~CGamesList() override;

    // Makes "GAMESLIST" known to dialog templates (done by the first list made, too).
    static void RegisterWindowClass();

    // Makes the list a window with the given style bits (WS_POPUP: a frameless top-level
    // window, a tool window with WS_EX_TOOLWINDOW, or a true pop-up in pop-up mode; WS_VISIBLE:
    // shown), rectangle (the parent's coordinates, or the screen's for a pop-up), parent and
    // identifier.
    virtual bool Create(std::uint32_t style, const Rect& rect, QWidget* parent, int id);
    virtual bool CreateEx(std::uint32_t exStyle, std::uint32_t style, const Rect& rect,
                          QWidget* parent, int id);
    void PreSubclassWindow(const DialogItem& item) override;

    // Before Create: a WS_POPUP list becomes a pop-up that takes the keyboard focus and sees
    // every click of the program, outside ones included, without grabbing the pointer (some
    // display servers refuse grabs). Capturing the mouse then only records that it is held.
    void SetPopupMode(bool on) { popupMode_ = on; }
    bool IsPopupMode() const { return popupMode_; }

    // The icons (not owned); the row height follows the image height (at least 17).
    void SetImageList(const ImageList* images);

    int AddItem(const std::string& text, int image);
    int InsertItem(const GamesListItem& item);
    // Replaces every row with the given ones (their index and selection ignored), sorted as
    // AddItem sorts, of equal names the later one first; sorting once instead of shifting the
    // rows at every addition keeps a list of thousands quick to fill.
    void SetItems(std::vector<GamesListItem> items);
    int GetItem(GamesListItem& item) const;
    int DeleteItem(int index);
    void DeleteAllItems();
    void SetItemData(int index, const void* pointer);
    const void* GetItemData(int index) const;
    std::string GetItemText(int index) const;
    int GetItemCount() const { return static_cast<int>(rows_.size()); }
    int GetSelectedIndex() const;
    void SetSelectedIndex(int index);
    int HitTest(const QPoint& point) const;
    int GetItemRect(int index, Rect& rect, int part) const;
    void EnsureVisible(int index);
    void ScrollBy(int pixels);
    void RecalcScroll();

    // The highlight follows the mouse and the keys only scroll.
    bool hoverTracking = false;
    // The next paint rolls the picture out downwards.
    bool rollOutOnNextPaint = false;

    int GetScrollPos() const { return scrollPos_; }
    int GetScrollMax() const { return scrollMax_; }
    int RowHeight() const { return rowHeight_; }
    int HoverIndex() const { return hoverIndex_; }
    // The row that is highlighted: the one under the mouse or picked by the keys in
    // hoverTracking mode, else the selected one; -1 when none is.
    int CurrentIndex() const;
    // Moves the scroll position to position (clamped to the range), the thumb with it.
    void SetScrollPos(int position);

    // What a click on the row does; an assistive technology's "activate" does the same. The
    // list selects the row.
    virtual void ActivateRow(int index);
    Rect RowsArea() const;
    CSkinScrollBar& ScrollBar() { return scrollBar_; }
    const CSkinScrollBar& ScrollBar() const { return scrollBar_; }
    const RollOut& RollOutAnimation() const { return rollOut_; }

    // What the scroll bar asks of its window.
    void SetCapture();
    void ReleaseCapture();
    bool HasCapture() const;
    void SetTimer(int id, int milliseconds);
    void KillTimer(int id);

protected:
    // The mouse entered or moves over the list (where the cursor would be set); subclasses
    // may set a cursor of their own.
    virtual void OnSetCursor() {}
    // The mouse left the list.
    virtual void OnMouseLeave();
    void OnTimer(int id);
    // hoverTracking mode: highlights the row (clamped to the rows) as the keys do, scrolls it
    // into view, and keeps it highlighted until the mouse moves.
    void HighlightFromKeyboard(int index, bool page = false);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Alignment { Line, Page };

    int InsertionPosition(const std::string& text) const;
    int InsertRow(std::unique_ptr<GamesListItem> row);
    void Renumber();
    // The rows that can reach between the heights top and bottom (client coordinates): a few
    // more than those that do, never fewer; last < first when there are none.
    std::pair<int, int> RowsNear(int top, int bottom) const;
    void MakeVisible(int index, Alignment alignment);
    void SelectAt(const QPoint& point);
    void UpdateHover(const QPoint& point);
    void RecomputeHoverAtCursor();
    // Tells assistive technologies which row is now the current one, while the list has the
    // focus, and that the rows changed.
    void NotifyCurrentRow();
    void NotifyRowsChanged();
    void NotifyScrolled();
    void PlaceScrollBar();
    void PaintRows(QPainter& painter, const Rect& clip);

    QFont font_;
    QFont underlineFont_;  // for subclasses
    CSkinScrollBar scrollBar_;
    std::vector<std::unique_ptr<GamesListItem>> rows_;
    const ImageList* images_ = nullptr;
    int imageWidth_ = 0;
    int imageHeight_ = 0;
    int rowHeight_ = kDefaultRowHeight;
    int scrollPos_ = 0;
    int wheelRemainder_ = 0;  // the part of a notch not yet scrolled
    int scrollMax_ = 0;
    int scrollMin_ = 0;
    bool madeByCreate_ = false;
    bool popupMode_ = false;
    bool popupCapture_ = false;  // the scroll bar holds the mouse of a pop-up
    int hoverIndex_ = -1;
    // The keys moved the highlight; it stays until the mouse moves away from where it was then.
    bool keyboardHover_ = false;
    QPoint keyboardCursor_;
    RollOut rollOut_;
    std::map<int, std::unique_ptr<TimerSource::Timer>> timers_;
};
