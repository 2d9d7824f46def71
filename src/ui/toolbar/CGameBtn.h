#pragma once

#include <QFont>
#include <QImage>

#include "launch/LaunchGame.h"
#include "ui/controls/CButtonST.h"

class Game;

// A favourite game on the bar: the game's picture (darkened until the pointer is over it) and
// its name. What opening the game needs is copied at Create; its owner opens it on a click.
class CGameBtn : public CButtonST {
    Q_OBJECT
public:
    static constexpr int kWidth = 66;
    static constexpr int kHeight = 22;

    explicit CGameBtn(QWidget* parent = nullptr);

    // A visible child of parent at (x, y); false when the window cannot be made.
    bool Create(const Game& game, int x, int y, QWidget* parent, int id);

    // The game as the launcher takes it.
    const GameLaunch& Launch() const { return launch_; }
    const std::string& Address() const { return launch_.url; }
    bool IsFullScreen() const { return launch_.fullScreen; }
    bool IsControlled() const { return launch_.controlled; }

private:
    QFont font_;
    GameLaunch launch_;
    QImage image_;
};
