#pragma once

#include <QPointer>
#include <array>

#include "config/GamesConfig.h"
#include "platform/os/ImageList.h"
#include "ui/toolbar/CAllGamesButton.h"
#include "ui/toolbar/CGameBtn.h"

class QPainter;
class QWidget;
class WindowSection;

// Up to four favourite games as buttons, in name order, the all-games button after them and
// the strip painted behind them. Rebuilt whenever the favourites change.
class FavoritesPanel : public FavoritesListener {
public:
    static constexpr int kButtonCount = 4;
    static constexpr int kButtonStep = 67;

    // The size mode is read from window at every Create and Paint.
    FavoritesPanel(GamesConfig& games, const WindowSection& window);
    ~FavoritesPanel() override;
    FavoritesPanel(const FavoritesPanel&) = delete;
    FavoritesPanel& operator=(const FavoritesPanel&) = delete;

    // Listens to the favourites from now on, then SetFavoriteGames.
    bool Create(QWidget* parent);
    // The game buttons and the all-games button for the current favourites; true when every
    // game button was made.
    bool SetFavoriteGames();
    // Destroys the game buttons' windows, then the all-games button's.
    void Destroy();
    // The favourites strip, for the bar's background.
    void Paint(QPainter& painter) const;

    void FavoritesChanged(const std::vector<std::string>& names) override;

    // A command of the bar: a game button's opens its game, the all-games button's opens the
    // list of the others. False for any other.
    bool OnCommand(int id);

    // The game button at index, or nullptr when it has no window now.
    CGameBtn* GameButton(int index) const;
    CAllGamesButton* AllGamesButton() const;

private:
    bool Mini() const;

    GamesConfig& games_;
    const WindowSection& window_;
    QPointer<QWidget> parent_;
    std::array<QPointer<CGameBtn>, kButtonCount> buttons_;
    QPointer<CAllGamesButton> allGames_;
    ImageList strip_{268, 20};
    GamesConfig::FavoritesRegistration registration_;
};
