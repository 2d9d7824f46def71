#pragma once

#include <QBrush>
#include <QImage>
#include <QLineEdit>
#include <cstdint>

#include "platform/desktop/Rect.h"
#include "platform/os/ImageList.h"
#include "ui/controls/DialogTemplate.h"

// A single-line edit 18 pixels high with a bitmap border of its own: rounded end pieces,
// top and bottom edge pieces, the text inset 5, 4, 5 and 3 pixels. The search box and the
// settings' name and e-mail fields.
class CToolbarEdit : public QLineEdit, public TemplateControl {
    Q_OBJECT
public:
    static constexpr int kHeight = 18;
    static constexpr int kEndWidth = 5;
    static constexpr int kInsetLeft = 5;
    static constexpr int kInsetTop = 4;
    static constexpr int kInsetRight = 5;
    static constexpr int kInsetBottom = 3;

    explicit CToolbarEdit(QWidget* parent = nullptr);

    // Makes the edit a child of parent at rect (its height becomes 18), empty, with the given
    // style bits and identifier.
    bool Create(std::uint32_t style, const Rect& rect, QWidget* parent, int id);
    // From a template: 18 pixels high where the template put it.
    void PreSubclassWindow(const DialogItem& item) override;

    // The area inside the border, where the text is.
    Rect TextRect() const;
    const QBrush& WhiteBrush() const { return white_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QBrush white_;
    ImageList ends_;
    QImage top_;
    QImage bottom_;
};
