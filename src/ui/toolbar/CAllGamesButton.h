#pragma once

#include "ui/controls/ButtonListener.h"
#include "ui/controls/CButtonST.h"
#include "ui/toolbar/CAllGamesDropDown.h"

class GamesConfig;

// The narrow button at the end of the favourites that opens the list of the other games one
// pixel under itself. Whoever owns it decides when it is enabled (setEnabled) and may listen to
// its clicks.
class CAllGamesButton : public CButtonST {
    Q_OBJECT
public:
    static constexpr int kWidth = 12;
    static constexpr int kHeight = 20;
    static constexpr int kControlId = 303;

    explicit CAllGamesButton(GamesConfig& games, QWidget* parent = nullptr);

    // A visible child of parent at (x, y) with its picture, balloon tooltip and the drop-down's
    // window; false when the button cannot be made (the drop-down's failure does not count).
    bool Create(int x, int y, QWidget* parent, int id = kControlId);

    void SetListener(ButtonListener* listener) { listener_ = listener; }
    CAllGamesDropDown& DropDown() { return dropDown_; }

protected:
    void OnClicked() override;

private:
    CAllGamesDropDown dropDown_;
    bool dropDownMade_ = false;
    ButtonListener* listener_ = nullptr;
};
