#include "ui/controls/SkinAccessible.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <mutex>

#include "ui/controls/CButtonST.h"
#include "ui/controls/CGamesList.h"
#include "ui/controls/CStaticLink.h"
#include "ui/controls/CTivoraTabCtrl.h"
#include "ui/controls/DialogTemplate.h"

namespace {

// An action runs once the assistive technology has its answer, as a click arrives from the
// event loop: a click may open a modal dialog, which must not run inside the bus's call.
template <class Control, class Action>
void Later(Control* control, Action action) {
    QMetaObject::invokeMethod(
        control, [control, action] { action(*control); }, Qt::QueuedConnection);
}

QAccessibleInterface* Cached(std::vector<QAccessible::Id>& ids, std::size_t index,
                             const std::function<QAccessibleInterface*()>& make) {
    if (ids.size() <= index) {
        ids.resize(index + 1, 0);
    }
    if (ids[index] == 0) {
        ids[index] = QAccessible::registerAccessibleInterface(make());
    }
    return QAccessible::accessibleInterface(ids[index]);
}

void DeleteAll(const std::vector<QAccessible::Id>& ids) {
    for (QAccessible::Id id : ids) {
        if (id != 0) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }
}

// A part of a control that is no window of its own (a row, a tab, a scroll bar): it lives
// as long as its control's interface, which made it.
template <class Control>
class PartAccessible : public QAccessibleInterface {
public:
    explicit PartAccessible(Control* control) : control_(control) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return control_ != nullptr ? control_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(control_.data());
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    QRect OnScreen(const Rect& rect) const {
        return QRect(control_->mapToGlobal(QPoint(rect.left, rect.top)),
                     QSize(rect.Width(), rect.Height()));
    }

    QPointer<Control> control_;
};

class RowAccessible : public PartAccessible<CGamesList>, public QAccessibleActionInterface {
public:
    RowAccessible(CGamesList* list, int index) : PartAccessible(list), index_(index) {}

    bool isValid() const override {
        return control_ != nullptr && index_ < control_->GetItemCount();
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid()
                   ? QString::fromStdString(control_->GetItemText(index_))
                   : QString();
    }
    QRect rect() const override {
        Rect row;
        return isValid() && control_->GetItemRect(index_, row, CGamesList::kPartRow) != 0
                   ? OnScreen(row)
                   : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        const bool current = control_->CurrentIndex() == index_;
        GamesListItem item;
        item.index = index_;
        control_->GetItem(item);
        state.selected = control_->hoverTracking ? current : item.selected != 0;
        state.focused = current && control_->hasFocus();
        state.disabled = !control_->isEnabled();
        state.invisible = !control_->isVisible();
        Rect row;
        control_->GetItemRect(index_, row, CGamesList::kPartRow);
        const Rect area = control_->RowsArea();
        state.offscreen = row.bottom <= area.top || row.top >= area.bottom;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override {
        return isValid() && control_->isEnabled() ? QStringList{SkinAccessible::ActivateAction()}
                                                  : QStringList();
    }
    void doAction(const QString& action) override {
        if (action == SkinAccessible::ActivateAction() && isValid()) {
            Later(control_.data(), [index = index_](CGamesList& list) { list.ActivateRow(index); });
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    int index_;
};

class ScrollBarAccessible : public PartAccessible<CGamesList>, public QAccessibleValueInterface {
public:
    using PartAccessible::PartAccessible;

    bool isValid() const override { return control_ != nullptr; }
    QString text(QAccessible::Text) const override { return QString(); }
    QRect rect() const override {
        return isValid() ? OnScreen(control_->ScrollBar().GetRect()) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::ScrollBar; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invalid = !isValid();
        state.invisible =
            !isValid() || !control_->isVisible() || !control_->ScrollBar().IsVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : nullptr;
    }
    QVariant currentValue() const override { return isValid() ? control_->GetScrollPos() : 0; }
    void setCurrentValue(const QVariant& value) override {
        if (isValid()) {
            control_->SetScrollPos(value.toInt());
        }
    }
    QVariant maximumValue() const override { return isValid() ? control_->GetScrollMax() : 0; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return isValid() ? control_->RowHeight() + 4 : 1; }
};

class TabAccessible : public PartAccessible<CTivoraTabCtrl>, public QAccessibleActionInterface {
public:
    TabAccessible(CTivoraTabCtrl* tabs, int index) : PartAccessible(tabs), index_(index) {}

    bool isValid() const override { return control_ != nullptr && index_ < control_->count(); }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? control_->GetItemText(index_) : QString();
    }
    QRect rect() const override {
        return isValid() ? OnScreen(control_->TabRect(index_)) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const bool current = control_->GetCurSel() == index_;
        state.selectable = true;
        state.focusable = true;
        state.selected = current;
        state.focused = current && control_->hasFocus();
        state.disabled = !control_->isEnabled();
        state.invisible = !control_->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override {
        return isValid() && control_->isEnabled() ? QStringList{SkinAccessible::PressAction()}
                                                  : QStringList();
    }
    void doAction(const QString& action) override {
        if (action == SkinAccessible::PressAction() && isValid()) {
            Later(control_.data(),
                  [index = index_](CTivoraTabCtrl& tabs) { tabs.SelectTab(index); });
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    int index_;
};

// A dialog's page inside the tab strip: a panel named by its title.
class PageAccessible : public QAccessibleWidget {
public:
    explicit PageAccessible(QWidget* page) : QAccessibleWidget(page, QAccessible::Pane) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return widget()->windowTitle();
        }
        return QAccessibleWidget::text(t);
    }
};

// The link static: a link that "press" follows, as a click does.
class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(CStaticLink* link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return static_cast<CStaticLink*>(widget())->text();
        }
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList{SkinAccessible::PressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == SkinAccessible::PressAction()) {
            Later(static_cast<CStaticLink*>(widget()), [](CStaticLink& link) { link.Click(); });
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    if (className == QLatin1String("CButtonST")) {
        return new ButtonAccessible(static_cast<CButtonST*>(widget));
    }
    if (className == QLatin1String("CGamesList")) {
        return new GamesListAccessible(static_cast<CGamesList*>(widget));
    }
    if (className == QLatin1String("CTivoraTabCtrl")) {
        return new TabCtrlAccessible(static_cast<CTivoraTabCtrl*>(widget));
    }
    if (className == QLatin1String("CStaticLink")) {
        return new LinkAccessible(static_cast<CStaticLink*>(widget));
    }
    // A dialog built from a template is a dialog; one that lives inside another window is a
    // page of it.
    if (className == QLatin1String("TemplateDialog") && !widget->isWindow()) {
        return new PageAccessible(widget);
    }
    return nullptr;
}

}  // namespace

namespace SkinAccessible {

void Install() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(Factory); });
}

QString PressAction() {
    return QStringLiteral("press");
}

QString ActivateAction() {
    return QStringLiteral("activate");
}

QString BuddyText(const QWidget& control) {
    const QWidget* parent = control.parentWidget();
    if (parent == nullptr) {
        return QString();
    }
    for (const QObject* child : parent->children()) {
        const auto* label = qobject_cast<const QLabel*>(child);
        if (label != nullptr && label->buddy() == &control) {
            return label->text();
        }
    }
    return QString();
}

}  // namespace SkinAccessible

// --- Buttons ----------------------------------------------------------------------------

ButtonAccessible::ButtonAccessible(CButtonST* button)
    : QAccessibleWidget(button, QAccessible::PushButton) {}

CButtonST* ButtonAccessible::Button() const {
    return static_cast<CButtonST*>(widget());
}

QAccessible::Role ButtonAccessible::role() const {
    return Button()->IsCheckBoxMode() ? QAccessible::CheckBox : QAccessible::PushButton;
}

QString ButtonAccessible::text(QAccessible::Text t) const {
    const CButtonST* button = Button();
    const QString tip = button->IsTipActive() ? button->TipText() : QString();
    switch (t) {
        case QAccessible::Name:
            if (!button->accessibleName().isEmpty()) {
                return button->accessibleName();
            }
            if (!button->text().isEmpty()) {
                return QString(button->text()).remove(QLatin1Char('&'));
            }
            return tip;
        case QAccessible::Description:
            return button->accessibleDescription().isEmpty() ? tip
                                                             : button->accessibleDescription();
        default:
            return QAccessibleWidget::text(t);
    }
}

QAccessible::State ButtonAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    const CButtonST* button = Button();
    state.pressed = button->isDown();
    if (button->IsCheckBoxMode()) {
        state.checkable = true;
        state.checked = button->isChecked();
    }
    state.defaultButton = button->IsDefaultButton();
    return state;
}

QStringList ButtonAccessible::actionNames() const {
    QStringList names;
    if (Button()->isEnabled()) {
        names << SkinAccessible::PressAction();
    }
    return names + QAccessibleWidget::actionNames();
}

void ButtonAccessible::doAction(const QString& action) {
    if (action == SkinAccessible::PressAction()) {
        if (Button()->isEnabled()) {
            Later(Button(), [](CButtonST& button) { button.click(); });
        }
        return;
    }
    QAccessibleWidget::doAction(action);
}

QStringList ButtonAccessible::keyBindingsForAction(const QString& action) const {
    if (action == SkinAccessible::PressAction()) {
        return {QStringLiteral("space")};
    }
    return QAccessibleWidget::keyBindingsForAction(action);
}

// --- The games list ---------------------------------------------------------------------

GamesListAccessible::GamesListAccessible(CGamesList* list)
    : QAccessibleWidget(list, QAccessible::List) {}

GamesListAccessible::~GamesListAccessible() {
    DeleteAll(rows_);
    DeleteAll({scrollBar_});
}

CGamesList* GamesListAccessible::List() const {
    return static_cast<CGamesList*>(widget());
}

QString GamesListAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
        return SkinAccessible::BuddyText(*widget());
    }
    return QAccessibleWidget::text(t);
}

int GamesListAccessible::childCount() const {
    return List()->GetItemCount() + (List()->ScrollBar().IsVisible() ? 1 : 0);
}

QAccessibleInterface* GamesListAccessible::child(int index) const {
    CGamesList* list = List();
    const int rows = list->GetItemCount();
    if (index >= 0 && index < rows) {
        return Cached(rows_, static_cast<std::size_t>(index),
                      [list, index] { return new RowAccessible(list, index); });
    }
    if (index == rows && list->ScrollBar().IsVisible()) {
        if (scrollBar_ == 0) {
            scrollBar_ = QAccessible::registerAccessibleInterface(new ScrollBarAccessible(list));
        }
        return QAccessible::accessibleInterface(scrollBar_);
    }
    return nullptr;
}

int GamesListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int i = 0; i < childCount(); ++i) {
        if (this->child(i) == child) {
            return i;
        }
    }
    return -1;
}

QAccessibleInterface* GamesListAccessible::childAt(int x, int y) const {
    const int row = List()->HitTest(List()->mapFromGlobal(QPoint(x, y)));
    return row >= 0 ? child(row) : nullptr;
}

// --- The tab strip ----------------------------------------------------------------------

TabCtrlAccessible::TabCtrlAccessible(CTivoraTabCtrl* tabs)
    : QAccessibleWidget(tabs, QAccessible::PageTabList) {}

TabCtrlAccessible::~TabCtrlAccessible() {
    DeleteAll(tabs_);
}

CTivoraTabCtrl* TabCtrlAccessible::Tabs() const {
    return static_cast<CTivoraTabCtrl*>(widget());
}

std::vector<QWidget*> TabCtrlAccessible::Pages() const {
    std::vector<QWidget*> pages;
    for (QObject* child : widget()->children()) {
        auto* page = qobject_cast<QWidget*>(child);
        // The tab bar's own scroll buttons are no pages (the strip never scrolls).
        if (page != nullptr && !page->isWindow() &&
            qobject_cast<QAbstractButton*>(page) == nullptr) {
            pages.push_back(page);
        }
    }
    return pages;
}

int TabCtrlAccessible::childCount() const {
    return Tabs()->count() + static_cast<int>(Pages().size());
}

QAccessibleInterface* TabCtrlAccessible::child(int index) const {
    CTivoraTabCtrl* tabs = Tabs();
    const int count = tabs->count();
    if (index >= 0 && index < count) {
        return Cached(tabs_, static_cast<std::size_t>(index),
                      [tabs, index] { return new TabAccessible(tabs, index); });
    }
    const std::vector<QWidget*> pages = Pages();
    const auto page = static_cast<std::size_t>(index - count);
    return index >= count && page < pages.size()
               ? QAccessible::queryAccessibleInterface(pages[page])
               : nullptr;
}

int TabCtrlAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int i = 0; i < childCount(); ++i) {
        if (this->child(i) == child) {
            return i;
        }
    }
    return -1;
}
