#pragma once

#include <QString>

#include "ui/controls/CButtonST.h"

// The skin's three kinds of button.

// The 69 x 23 text buttons of the dialogs ("SAVE", "CANCEL", ...): made 69 x 23 at the
// template's top-left corner whatever size the template gives.
class CTivoraButton : public CButtonST {
    Q_OBJECT
public:
    static constexpr int kWidth = 69;
    static constexpr int kHeight = 23;

    explicit CTivoraButton(QWidget* parent = nullptr);

protected:
    void OnSubclassed() override;
    void OnSysColorChange() override;
};

// A picture button with a balloon tooltip: the bar's search and settings buttons and the
// favourites page's add and remove buttons.
class CTivoraCustomButton : public CButtonST {
    Q_OBJECT
public:
    static constexpr int kWidth = 60;
    static constexpr int kHeight = 21;

    explicit CTivoraCustomButton(QWidget* parent = nullptr);

    // Pictures (the first while hovered or pressed), drawn over the parent's pixels, no
    // border; a tooltip only for a text that is not empty.
    void Setup(int firstBitmap, int secondBitmap, const QString& tooltip);
    // Makes the 60 x 21 button at (x, y) of parent, then Setup.
    virtual bool Create(int firstBitmap, int secondBitmap, const QString& tooltip, int x, int y,
                        QWidget* parent, int id);
};

// The check boxes of the settings pages: the box bitmap left of a white label.
class CTivoraCheckbox : public CButtonST {
    Q_OBJECT
public:
    explicit CTivoraCheckbox(QWidget* parent = nullptr);

protected:
    void OnSubclassed() override;
    void OnSysColorChange() override;
};
