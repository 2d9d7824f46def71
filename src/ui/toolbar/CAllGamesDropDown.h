#pragma once

#include <QPoint>
#include <QPointer>

#include "platform/desktop/Rect.h"
#include "ui/controls/CGamesList.h"

class Game;
class GamesConfig;

// The pop-up list of the games that are not favourites, under the all-games button. It is
// filled afresh at every showing, so that it follows the favourites; a click on a row, or Enter
// on the row the keys picked, starts that game, and a click elsewhere, a right click, Escape or
// the focus going away closes it.
class CAllGamesDropDown : public CGamesList {
    Q_OBJECT
public:
    static constexpr int kWidth = 170;
    static constexpr int kCreateHeight = 200;
    static constexpr int kEmptyHeight = 60;
    static constexpr int kMinRows = 3;
    static constexpr int kMaxRows = 10;

    // owner: the button that opens it, where assistive technologies find the list.
    explicit CAllGamesDropDown(GamesConfig& games, QWidget* owner = nullptr);

    // Makes the hidden pop-up window with the catalogue's pictures; false when it fails.
    bool CreateWindow();

    // Refills the list and shows it with its top-left corner at (x, y) (screen coordinates),
    // moved back onto the screen that holds that point. Opened from the keyboard, its first
    // row is highlighted for the keys to go on from.
    void ShowDropDown(int x, int y, bool fromKeyboard = false);
    // Rebuilds the rows: every game that is not a favourite, by name.
    void FillDropDown();
    // Where ShowDropDown puts a list of rowCount rows of rowHeight pixels, at (x, y), on a
    // screen of the given area.
    static Rect PlaceDropDown(int x, int y, int width, int rowCount, int rowHeight,
                              const Rect& screen);

    const Game* GameAt(int row) const;
    QWidget* Owner() const { return owner_; }

    // Starts the row's game and closes the list, as a click on the row does.
    void ActivateRow(int index) override;

protected:
    void OnSetCursor() override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Hide();

    GamesConfig& games_;
    QPointer<QWidget> owner_;
};
