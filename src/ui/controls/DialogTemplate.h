#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop/Rect.h"

// Dialogs declared as data: a template lists the controls by class name, in dialog units.

// Dialog units of the 8-point dialog font at 96 DPI.
namespace DialogUnits {
// a * b / c rounded to the nearest integer, halves away from zero, as the system's mapping of
// dialog units rounds.
constexpr int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : -((-product + half) / c));
}
constexpr int ToPixelsX(int units) {
    return MulDiv(units, 6, 4);
}
constexpr int ToPixelsY(int units) {
    return MulDiv(units, 13, 8);
}
// Each edge is mapped on its own, so a control's size can differ by one from its mapped size.
constexpr Rect ToPixels(int x, int y, int cx, int cy) {
    return Rect{ToPixelsX(x), ToPixelsY(y), ToPixelsX(x + cx), ToPixelsY(y + cy)};
}
}  // namespace DialogUnits

struct DialogItem {
    std::string className;  // "STATIC", "BUTTON", "EDIT" or a registered class
    std::string text;
    int id = -1;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
};

struct DialogTemplate {
    int id = 0;
    std::string title;
    int cx = 0, cy = 0;  // dialog units
    std::vector<DialogItem> items;
};

// Makes the control for an item; the result is a child of parent.
using ControlMaker = std::function<QWidget*(const DialogItem& item, QWidget* parent)>;

// A control that finishes its own set-up once the dialog has made and placed it, the way a
// subclassed control does when it is attached to its window: it may read the template's
// style bits, and change its size or looks.
class TemplateControl {
public:
    virtual ~TemplateControl() = default;
    virtual void PreSubclassWindow(const DialogItem& item) = 0;
};

// A window that receives the commands of the controls inside it (a dialog, or a control that
// hosts pages and hands their commands on).
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    virtual void OnCommand(int id) = 0;
};

// The text of a control of a standard class, and setting it.
void SetControlText(QWidget* control, const std::string& text);
std::string GetControlText(const QWidget* control);

// The control identifier of a window, as the template or its creator gave it; 0 when none.
void SetDlgCtrlID(QWidget* control, int id);
int GetDlgCtrlID(const QWidget* control);

// Sends the command id to the nearest command target above from (not from itself).
void SendCommandToOwner(QWidget* from, int id);

// The usual maker for a control class of our own: made with the dialog as parent and given
// the item's text.
template <class Control>
ControlMaker MakerFor() {
    return [](const DialogItem& item, QWidget* parent) -> QWidget* {
        auto* control = new Control(parent);
        SetControlText(control, item.text);
        return control;
    };
}

// Control classes by name. "STATIC", "BUTTON" and "EDIT" are known from the start; the skin
// registers its own classes.
namespace ControlClasses {
void Register(const std::string& className, ControlMaker maker);
// nullptr for an unknown class.
QWidget* Make(const DialogItem& item, QWidget* parent);
}  // namespace ControlClasses

// A dialog built from a template. Controls report to it by command identifier, as a button's
// click or a notifying static's click; IDOK and IDCANCEL end it.
class TemplateDialog : public QDialog, public CommandTarget {
    Q_OBJECT
public:
    explicit TemplateDialog(QWidget* parent = nullptr);

    // Builds the window and its controls. Items listed in makers are made by their maker
    // instead of their class (the way a dialog subclasses its controls). Each control that is
    // a TemplateControl then finishes its set-up, and OnInitDialog runs last (so call Build
    // from the most-derived constructor, or later, for an override of it to run).
    void Build(const DialogTemplate& dialogTemplate,
               const std::map<int, ControlMaker>& makers = {});

    QWidget* GetDlgItem(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;

    // Deletes the controls made from the template, as when the dialog's window goes; Build
    // may then make them again.
    void DestroyControls();

    // Every child made from the template, in template order.
    const std::vector<QWidget*>& Controls() const { return controls_; }

    // Called when a control reports; the default ends the dialog on IDOK and IDCANCEL.
    void OnCommand(int id) override;

    // Runs once the controls are made; a dialog lays them out or fills them here.
    virtual void OnInitDialog() {}

    // Lets a control report its command to the dialog that holds it.
    static void SendCommand(QWidget* control);

    void reject() override;

private:
    std::vector<QWidget*> controls_;
    std::map<int, QWidget*> byId_;
};
