#include "ui/toolbar/BarAccessible.h"

#include <QAccessible>
#include <algorithm>
#include <mutex>

#include "ui/controls/SkinAccessible.h"
#include "ui/toolbar/CAllGamesButton.h"
#include "ui/toolbar/CAllGamesDropDown.h"
#include "ui/toolbar/CMainWnd.h"

namespace {

// The all-games button: its drop-down is its one child, expanded while it shows.
class AllGamesButtonAccessible : public ButtonAccessible {
public:
    explicit AllGamesButtonAccessible(CAllGamesButton* button) : ButtonAccessible(button) {}

    CAllGamesDropDown& DropDown() const {
        return static_cast<CAllGamesButton*>(Button())->DropDown();
    }

    QAccessible::Role role() const override { return QAccessible::ButtonDropDown; }
    QAccessible::State state() const override {
        QAccessible::State state = ButtonAccessible::state();
        state.expandable = true;
        state.expanded = DropDown().isVisible();
        state.collapsed = !state.expanded;
        return state;
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(&DropDown()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == &DropDown() ? 0 : -1;
    }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override {
        auto relations = ButtonAccessible::relations(match);
        if ((match & QAccessible::Controlled) != 0) {
            relations.append(
                {QAccessible::queryAccessibleInterface(&DropDown()), QAccessible::Controlled});
        }
        return relations;
    }
};

// The drop-down: its parent is the button that opens it.
class DropDownAccessible : public GamesListAccessible {
public:
    explicit DropDownAccessible(CAllGamesDropDown* list) : GamesListAccessible(list) {}

    QAccessibleInterface* parent() const override {
        QWidget* owner = static_cast<CAllGamesDropDown*>(List())->Owner();
        return owner != nullptr ? QAccessible::queryAccessibleInterface(owner)
                                : GamesListAccessible::parent();
    }
};

// The bar: a tool bar whose controls are listed in the order of its picture, as Tab walks
// them, not in the order they were made (the favourites are made again when they change).
class BarWindowAccessible : public QAccessibleWidget {
public:
    explicit BarWindowAccessible(CMainWnd* bar) : QAccessibleWidget(bar, QAccessible::ToolBar) {}

    int childCount() const override { return static_cast<int>(Children().size()); }
    QAccessibleInterface* child(int index) const override {
        const std::vector<QWidget*> children = Children();
        return index >= 0 && index < static_cast<int>(children.size())
                   ? QAccessible::queryAccessibleInterface(
                         children[static_cast<std::size_t>(index)])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::vector<QWidget*> children = Children();
        const auto at = std::find(children.begin(), children.end(),
                                  child != nullptr ? child->object() : nullptr);
        return at != children.end() ? static_cast<int>(at - children.begin()) : -1;
    }

private:
    // The controls, then whatever other part of the window there is.
    std::vector<QWidget*> Children() const {
        std::vector<QWidget*> children = static_cast<CMainWnd*>(widget())->Controls();
        for (QObject* object : widget()->children()) {
            auto* part = qobject_cast<QWidget*>(object);
            if (part != nullptr && !part->isWindow() &&
                std::find(children.begin(), children.end(), part) == children.end()) {
                children.push_back(part);
            }
        }
        return children;
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("CMainWnd")) {
        return new BarWindowAccessible(static_cast<CMainWnd*>(object));
    }
    if (className == QLatin1String("CAllGamesButton")) {
        return new AllGamesButtonAccessible(static_cast<CAllGamesButton*>(object));
    }
    if (className == QLatin1String("CAllGamesDropDown")) {
        return new DropDownAccessible(static_cast<CAllGamesDropDown*>(object));
    }
    return nullptr;
}

}  // namespace

namespace BarAccessible {

void Install() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        // After the skin's: the factory installed last is asked first.
        SkinAccessible::Install();
        QAccessible::installFactory(Factory);
    });
}

}  // namespace BarAccessible
