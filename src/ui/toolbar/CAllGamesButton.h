#pragma once

#include "ResourceIds.h"
#include "ui/controls/CButtonST.h"
#include "ui/toolbar/CAllGamesDropDown.h"

class GamesConfig;

// The narrow button at the end of the favourites and the list of the other games that its
// owner opens one pixel under it. Whoever owns it decides when it is enabled (setEnabled).
class CAllGamesButton : public CButtonST {
    Q_OBJECT
public:
    static constexpr int kWidth = 12;
    static constexpr int kHeight = 20;

    explicit CAllGamesButton(GamesConfig& games, QWidget* parent = nullptr);

    // A visible child of parent at (x, y) with its picture, balloon tooltip and the drop-down's
    // window; false when the button cannot be made (the drop-down's failure does not count).
    bool Create(int x, int y, QWidget* parent, int id = Res::IDC_ALL_GAMES);

    CAllGamesDropDown& DropDown() { return dropDown_; }
    // Shows the list under the button; nothing when its window could not be made.
    void OpenDropDown();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CAllGamesDropDown dropDown_;
    bool dropDownMade_ = false;
};
