#pragma once

#include <QFont>
#include <QImage>
#include <string>

#include "ui/controls/CButtonST.h"

class Game;

// A favourite game on the bar: the game's picture (darkened until the pointer is over it) and
// its name. What it needs of the game is copied at Create; a click opens the game.
class CGameBtn : public CButtonST {
    Q_OBJECT
public:
    static constexpr int kWidth = 66;
    static constexpr int kHeight = 22;

    explicit CGameBtn(QWidget* parent = nullptr);

    // A visible child of parent at (x, y); false when the window cannot be made.
    bool Create(const Game& game, int x, int y, QWidget* parent, int id);

    const std::string& Address() const { return address_; }
    bool IsFullScreen() const { return fullScreen_ != 0; }
    bool IsControlled() const { return controlled_ != 0; }

protected:
    void OnClicked() override;

private:
    QFont font_;
    std::string address_;
    int fullScreen_ = 0;
    int controlled_ = 0;
    QImage image_;
};
