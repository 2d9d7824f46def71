#pragma once

#include <QAccessibleWidget>
#include <QString>
#include <vector>

class CButtonST;
class CGamesList;
class CTivoraTabCtrl;

// What assistive technologies (a screen reader, over the desktop's accessibility bus) learn of
// the skin's controls: they draw themselves, so Qt cannot tell what they are or show. Each
// names itself by what it says or shows, describes itself by its tooltip, reports its states,
// and answers the actions its clicks do, by doing exactly what the click does.
namespace SkinAccessible {

// Makes Qt ask the skin for the interfaces of its controls; every skinned control calls it
// when it is made. Later calls do nothing.
void Install();

// The action of every button, link and tab ("press"), and of a list's rows ("activate"), as
// the desktop's accessibility bus names them.
QString PressAction();
QString ActivateAction();

// The text of the label made the buddy of control, as a dialog names an unlabelled field.
QString BuddyText(const QWidget& control);

}  // namespace SkinAccessible

// A skinned button: a push button, or a check box in check-box mode. Its name is its accessible
// name when it has one, else its caption, else its tooltip (a picture alone says nothing);
// its description is its tooltip. "press" clicks it once the caller has its answer.
class ButtonAccessible : public QAccessibleWidget {
public:
    explicit ButtonAccessible(CButtonST* button);

    CButtonST* Button() const;

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& action) override;
    QStringList keyBindingsForAction(const QString& action) const override;
};

// The games list: a list whose rows are list items named by their games, selected as the list
// highlights them, off screen when scrolled away, each answering "activate" as a click on it;
// after them, while it shows, the scroll bar, whose value is the scroll position. The list is
// named by its accessible name, else by the label made its buddy.
class GamesListAccessible : public QAccessibleWidget {
public:
    explicit GamesListAccessible(CGamesList* list);
    ~GamesListAccessible() override;

    CGamesList* List() const;

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    // The rows' interfaces, made when first asked for and kept by position; a row past the end
    // of the list is no longer valid.
    mutable std::vector<QAccessible::Id> rows_;
    mutable QAccessible::Id scrollBar_ = 0;
};

// The tab strip: a page tab list of page tabs, each named by its text, selected while it is
// the current one, answering "press" as a click; after them the pages it hosts.
class TabCtrlAccessible : public QAccessibleWidget {
public:
    explicit TabCtrlAccessible(CTivoraTabCtrl* tabs);
    ~TabCtrlAccessible() override;

    CTivoraTabCtrl* Tabs() const;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    std::vector<QWidget*> Pages() const;

    mutable std::vector<QAccessible::Id> tabs_;
};
