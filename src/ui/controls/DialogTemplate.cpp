#include "ui/controls/DialogTemplate.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <mutex>

#include "ResourceIds.h"
#include "platform/desktop/Fonts.h"
#include "ui/controls/SkinAccessible.h"
#include "ui/controls/WindowStyles.h"

namespace {

constexpr const char* kIdProperty = "controlId";

// Qt shows "\n" as a line break; texts written for the original platform end lines in CR LF.
QString ToDisplayText(const std::string& text) {
    QString result = QString::fromStdString(text);
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return result;
}

QWidget* MakeStatic(const DialogItem& item, QWidget* parent) {
    auto* label = new QLabel(ToDisplayText(item.text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignTop |
                        ((item.style & 0x3) == WindowStyles::SS_RIGHT    ? Qt::AlignRight
                         : (item.style & 0x3) == WindowStyles::SS_CENTER ? Qt::AlignHCenter
                                                                         : Qt::AlignLeft));
    return label;
}

QWidget* MakeButton(const DialogItem& item, QWidget* parent) {
    auto* button = new QPushButton(ToDisplayText(item.text), parent);
    if ((item.style & WindowStyles::BS_TYPEMASK) == WindowStyles::BS_DEFPUSHBUTTON) {
        button->setDefault(true);
    }
    QObject::connect(button, &QPushButton::clicked, button,
                     [button] { TemplateDialog::SendCommand(button); });
    return button;
}

QWidget* MakeEdit(const DialogItem& item, QWidget* parent) {
    const bool readOnly = (item.style & WindowStyles::ES_READONLY) != 0;
    if ((item.style & WindowStyles::ES_MULTILINE) != 0) {
        auto* edit = new QPlainTextEdit(ToDisplayText(item.text), parent);
        edit->setReadOnly(readOnly);
        edit->setVerticalScrollBarPolicy((item.style & WindowStyles::WS_VSCROLL) != 0
                                             ? Qt::ScrollBarAlwaysOn
                                             : Qt::ScrollBarAsNeeded);
        if ((item.style & WindowStyles::WS_HSCROLL) != 0) {
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        }
        return edit;
    }
    auto* edit = new QLineEdit(ToDisplayText(item.text), parent);
    edit->setReadOnly(readOnly);
    return edit;
}

struct Registry {
    std::mutex mutex;
    std::map<std::string, ControlMaker> makers{
        {"STATIC", MakeStatic},
        {"BUTTON", MakeButton},
        {"EDIT", MakeEdit},
    };
};

Registry& Classes() {
    static Registry registry;
    return registry;
}

}  // namespace

namespace ControlClasses {

void Register(const std::string& className, ControlMaker maker) {
    std::lock_guard lock(Classes().mutex);
    Classes().makers[className] = std::move(maker);
}

QWidget* Make(const DialogItem& item, QWidget* parent) {
    ControlMaker maker;
    {
        std::lock_guard lock(Classes().mutex);
        auto found = Classes().makers.find(item.className);
        if (found == Classes().makers.end()) {
            return nullptr;
        }
        maker = found->second;
    }
    return maker(item, parent);
}

}  // namespace ControlClasses

TemplateDialog::TemplateDialog(QWidget* parent) : QDialog(parent) {
    SkinAccessible::Install();
}

void TemplateDialog::Build(const DialogTemplate& dialogTemplate,
                           const std::map<int, ControlMaker>& makers) {
    setWindowTitle(QString::fromStdString(dialogTemplate.title));
    setFont(Fonts::DialogFont());
    setFixedSize(DialogUnits::ToPixelsX(dialogTemplate.cx),
                 DialogUnits::ToPixelsY(dialogTemplate.cy));
    for (const DialogItem& item : dialogTemplate.items) {
        auto custom = makers.find(item.id);
        QWidget* control =
            custom != makers.end() ? custom->second(item, this) : ControlClasses::Make(item, this);
        if (control == nullptr) {
            continue;  // an unknown class makes no control, as a failed child creation
        }
        control->setProperty(kIdProperty, item.id);
        control->setGeometry(DialogUnits::ToPixels(item.x, item.y, item.cx, item.cy).ToQRect());
        control->setEnabled((item.style & WindowStyles::WS_DISABLED) == 0);
        control->setVisible((item.style & WindowStyles::kHidden) == 0);
        controls_.push_back(control);
        if (item.id != Res::IDC_STATIC) {
            byId_.emplace(item.id, control);
        }
        if (auto* subclassed = dynamic_cast<TemplateControl*>(control)) {
            subclassed->PreSubclassWindow(item);
        }
    }
    OnInitDialog();
}

void TemplateDialog::DestroyControls() {
    byId_.clear();
    std::vector<QWidget*> controls;
    controls.swap(controls_);
    for (QWidget* control : controls) {
        delete control;
    }
}

QWidget* TemplateDialog::GetDlgItem(int id) const {
    auto found = byId_.find(id);
    return found == byId_.end() ? nullptr : found->second;
}

void TemplateDialog::SetDlgItemText(int id, const std::string& text) {
    if (QWidget* control = GetDlgItem(id)) {
        SetControlText(control, text);
    }
}

std::string TemplateDialog::GetDlgItemText(int id) const {
    const QWidget* control = GetDlgItem(id);
    return control == nullptr ? std::string() : GetControlText(control);
}

void TemplateDialog::OnCommand(int id) {
    if (id == Res::IDOK) {
        accept();
    } else if (id == Res::IDCANCEL) {
        QDialog::reject();
    }
}

void TemplateDialog::reject() {
    OnCommand(Res::IDCANCEL);
}

void TemplateDialog::SendCommand(QWidget* control) {
    bool ok = false;
    int id = control->property(kIdProperty).toInt(&ok);
    if (!ok) {
        return;
    }
    SendCommandToOwner(control, id);
}

void SendCommandToOwner(QWidget* from, int id) {
    for (QWidget* owner = from->parentWidget(); owner != nullptr; owner = owner->parentWidget()) {
        if (auto* target = dynamic_cast<CommandTarget*>(owner)) {
            target->OnCommand(id);
            return;
        }
    }
}

void SetDlgCtrlID(QWidget* control, int id) {
    control->setProperty(kIdProperty, id);
}

int GetDlgCtrlID(const QWidget* control) {
    bool ok = false;
    const int id = control->property(kIdProperty).toInt(&ok);
    return ok ? id : 0;
}

void SetControlText(QWidget* control, const std::string& text) {
    QString shown = ToDisplayText(text);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(shown);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(shown);
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(shown);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) {
        edit->setPlainText(shown);
    } else {
        control->setWindowTitle(shown);
    }
}

std::string GetControlText(const QWidget* control) {
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(control)) {
        text = label->text();
    } else if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
        text = button->text();
    } else if (auto* line = qobject_cast<const QLineEdit*>(control)) {
        text = line->text();
    } else if (auto* edit = qobject_cast<const QPlainTextEdit*>(control)) {
        text = edit->toPlainText();
    } else {
        text = control->windowTitle();
    }
    return text.toStdString();
}
