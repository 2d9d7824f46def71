#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPushButton>
#include <array>
#include <cstdint>
#include <optional>

#include "platform/desktop/Rect.h"
#include "ui/controls/DialogTemplate.h"
#include "ui/controls/Drawing.h"

// The skin's button: a picture (a bitmap with a key colour, or an icon) that changes while
// the mouse is over the button or it is pressed, optional text over or beside it, colours by
// state, a tooltip and a check-box mode. It draws everything itself.
class CButtonST : public QPushButton, public TemplateControl {
    Q_OBJECT
public:
    // LoadPictures' second picture made from the first: darkened to 75 %, or grey.
    static constexpr int kAutoDarkened = -3;
    static constexpr int kAutoGrey = -2;

    // Results of the set-up operations.
    static constexpr int kOk = 0;
    static constexpr int kLoadFailed = 1;
    static constexpr int kBadColorIndex = 3;
    static constexpr int kBadLayout = 4;

    // Picture layouts.
    static constexpr int kPictureLeft = 0;   // picture left of the text
    static constexpr int kPictureTop = 1;    // picture above the text
    static constexpr int kPictureRight = 2;  // picture right of the text
    static constexpr int kPictureOver = 3;   // picture over the whole button, text on top

    // State colours.
    static constexpr int kBackIn = 0;  // hovered or pressed
    static constexpr int kTextIn = 1;
    static constexpr int kBackOut = 2;  // normal
    static constexpr int kTextOut = 3;
    static constexpr int kBackFocus = 4;  // focused
    static constexpr int kTextFocus = 5;

    static inline const QColor kDisabledText{128, 128, 128};

    // The state handed to one paint, as the owner-draw call gives it.
    struct ItemState {
        bool selected = false;
        bool focus = false;
        bool disabled = false;
        // The keyboard is in use: the focus mark shows on a focused button, flat ones too.
        bool keyboardCues = false;
    };

    explicit CButtonST(QWidget* parent = nullptr);
    ~CButtonST() override;

    // Makes the button a child of parent at rect (parent's coordinates) with the given text,
    // BUTTON style bits (WS_VISIBLE, WS_TABSTOP, the button type) and control identifier.
    bool Create(const QString& text, std::uint32_t style, const Rect& rect, QWidget* parent,
                int id);

    // From a dialog template: reads the item's style bits, then the subclass' own set-up.
    void PreSubclassWindow(const DialogItem& item) override;

    // The pictures: the first shows while hovered or pressed, the second otherwise; secondId
    // may be 0 (none), kAutoDarkened or kAutoGrey. 0 on success, kLoadFailed when a bitmap is
    // missing (no pictures are left then).
    int LoadPictures(int firstId, QRgb firstKey, int secondId = 0, QRgb secondKey = kKeyColor);
    int LoadPictures(const QImage& first, QRgb firstKey, const QImage& second, QRgb secondKey);
    int LoadPictures(const QImage& first, QRgb firstKey, int automatic);
    // Icons instead of bitmaps: in while hovered or pressed, out otherwise.
    void SetIcons(const QIcon& in, const QIcon& out, const QSize& size);

    int SetPictureLayout(int layout, bool repaint = true);
    int SetStateColors(int index, const QColor& color, bool repaint = true);
    QColor GetStateColor(int index) const;
    void EnableBorder(bool on, bool repaint = true);
    void SetFlatLook(bool flat, bool repaint = true);
    void DrawFocusOnFlat(bool on, bool repaint = true);
    void SetMargins(int x, int y);
    void SetPressedOffset(int dx, int dy);
    void UseDisabledPicture(bool on);
    // The parent's pixels show where the button paints no picture.
    void UseParentBackground(bool repaint = true);

    // The tooltip: made on first use; activate shows or silences it.
    void SetTip(const QString& text, bool activate = true);
    void UseBalloonTip();
    bool HasTip() const { return tipMade_; }
    QString TipText() const { return tipText_; }
    bool IsTipActive() const { return tipMade_ && tipActive_; }
    bool IsBalloonTip() const { return balloon_; }

    void SetHoverCursor(const QCursor& cursor);

    // The button messages: the check state (BM_GETCHECK, BM_SETCHECK: 1 or 2 check, anything
    // else unchecks; check-box mode only) and the style (BM_SETSTYLE).
    int GetCheck() const;
    void SetCheck(int check);
    void SetButtonStyle(std::uint32_t style, bool redraw = true);

    bool IsHovering() const { return hovering_; }
    bool IsCheckBoxMode() const { return checkBoxMode_; }
    bool IsDefaultButton() const { return isDefault_; }
    bool UsesParentBackground() const { return parentBackground_; }
    // Picture 0 (hovered/pressed), 1 (normal) or 2 (disabled), key pixels transparent.
    QImage Picture(int index) const;

    // The owner-draw entry: paints the whole button for the given state.
    virtual void DrawItem(QPainter& painter, const ItemState& state);

protected:
    // The steps of DrawItem.
    virtual void DrawBackground(QPainter& painter, Rect& rect);
    virtual void DrawBorder(QPainter& painter, const Rect& rect);
    virtual void DrawIcon(QPainter& painter, const Rect& client, bool hasText, Rect& textArea);
    virtual void DrawBitmap(QPainter& painter, const Rect& client, bool hasText, Rect& textArea);
    virtual void DrawText(QPainter& painter, const Rect& textArea);

    // Runs once the button is attached (template or Create): subclasses set themselves up.
    virtual void OnSubclassed() {}
    // The system colours changed: the six colours went back to the system's; a subclass puts
    // its own back.
    virtual void OnSysColorChange() {}

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FreePictures();
    void ResetColors();
    void EndHover();
    void UpdateHover(const QPoint& position, bool leftButtonHeld);
    // Where a picture of size goes, and the text area that is left.
    Rect PlacePicture(const Rect& client, const QSize& size, bool hasText, Rect& textArea) const;
    void Clicked();

    bool hovering_ = false;
    bool pressed_ = false;
    bool focused_ = false;
    bool disabled_ = false;
    bool flat_ = true;
    bool drawBorder_ = true;
    bool drawFocusOnFlat_ = false;
    bool isDefault_ = false;
    bool checkBoxMode_ = false;
    bool parentBackground_ = false;
    int layout_ = kPictureLeft;
    QPoint margins_{3, 3};
    QPoint pressedOffset_{1, 1};
    std::array<QColor, 6> colors_;
    std::array<QImage, 3> pictures_;
    QImage disabledChecked_;
    bool useDisabledPicture_ = true;
    QIcon iconIn_;
    QIcon iconOut_;
    QSize iconSize_;
    bool tipMade_ = false;
    bool tipActive_ = false;
    bool balloon_ = false;
    QString tipText_;
    std::optional<QCursor> hoverCursor_;
};
