#pragma once

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include "ui/controls/CButtonST.h"
#include "ui/controls/DialogTemplate.h"
#include "ui/controls/SurfaceDrag.h"

class CTivoraDialog;

// The orange title bar of a skinned dialog: its bitmaps, the caption and a close button that
// sends the cancel command. Pressing the mouse on it drags the dialog.
class CDialogTitleBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 18;
    static constexpr int kTitleBarId = 0xFFFF;
    static inline const QColor kBackground{233, 157, 0};

    CDialogTitleBar();
    ~CDialogTitleBar() override;

    // Takes the dialog's caption, makes the close button and becomes the dialog's top strip.
    virtual bool Create(CTivoraDialog* dialog);

    const QString& Caption() const { return caption_; }
    CButtonST* CloseButton() const { return close_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QFont font_;
    QImage right_;
    QImage left_;
    QString caption_;
    QPointer<CButtonST> close_;
    SurfaceDrag drag_;
};

// The base of the program's dialogs: a borderless window with a dark gradient body, room
// made at the top for the title bar, and optionally an inner groove frame.
class CTivoraDialog : public TemplateDialog {
    Q_OBJECT
public:
    explicit CTivoraDialog(QWidget* parent = nullptr);
    ~CTivoraDialog() override;

    // Grows the dialog by the title bar's height, moves every control down by as much and
    // puts the title bar on top.
    void OnInitDialog() override;

    CDialogTitleBar* TitleBar() const { return titleBar_; }

    // The body gets the inner groove (the About and update dialogs).
    bool drawPanelFrame = false;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<CDialogTitleBar> titleBar_;
};
