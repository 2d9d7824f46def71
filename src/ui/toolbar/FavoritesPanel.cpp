#include "ui/toolbar/FavoritesPanel.h"

#include <QPainter>

#include "ResourceIds.h"
#include "app/Trace.h"
#include "config/WindowSection.h"
#include "launch/LaunchGame.h"
#include "ui/controls/Drawing.h"

namespace {

struct Origin {
    int x;
    int y;
};
constexpr Origin kNormalOrigin{1, 22};
constexpr Origin kMiniOrigin{24, 2};
constexpr Origin kNormalStrip{1, 24};
constexpr Origin kMiniStrip{24, 4};
// The all-games button closes the row of four.
constexpr int kAllGamesOffsetX = FavoritesPanel::kButtonCount * FavoritesPanel::kButtonStep;
constexpr int kAllGamesOffsetY = 2;

}  // namespace

FavoritesPanel::FavoritesPanel(GamesConfig& games, const WindowSection& window)
    : games_(games), window_(window) {
    // Converted once: painting only draws it.
    strip_.AddMasked(LoadBitmap(Res::IDB_FAVORITES_STRIP), kKeyColor);
}

FavoritesPanel::~FavoritesPanel() {
    Destroy();
}

bool FavoritesPanel::Mini() const {
    return window_.Size() == SizeMode::Mini;
}

bool FavoritesPanel::Create(QWidget* parent) {
    parent_ = parent;
    registration_ = games_.AddFavoritesListener(*this);
    return SetFavoriteGames();
}

bool FavoritesPanel::SetFavoriteGames() {
    // A second call replaces the row rather than stacking another on it.
    Destroy();
    if (parent_ == nullptr) {
        return false;
    }
    Trace("Set favorite games:");
    const Origin origin = Mini() ? kMiniOrigin : kNormalOrigin;
    bool made = true;
    std::size_t count = 0;
    const std::unique_ptr<GamesIterator> favorites = games_.CreateFavoritesIterator();
    for (int i = 0; i < kButtonCount && favorites->HasNext(); ++i) {
        const Game& game = favorites->Next();
        auto* button = new CGameBtn(parent_);
        buttons_[static_cast<std::size_t>(i)] = button;
        made = button->Create(game, origin.x + kButtonStep * i, origin.y, parent_,
                              Res::IDC_FIRST_FAVORITE + i) &&
               made;
        ++count;
        Trace(game.name);
    }
    Trace("End set favorite games");

    auto* allGames = new CAllGamesButton(games_, parent_);
    allGames_ = allGames;
    allGames->Create(origin.x + kAllGamesOffsetX, origin.y + kAllGamesOffsetY, parent_);
    // With every game of the catalogue on a button the list would be empty.
    allGames->setEnabled(count != games_.GetGamesCount());
    return made;
}

void FavoritesPanel::Destroy() {
    for (QPointer<CGameBtn>& button : buttons_) {
        delete button.data();
    }
    delete allGames_.data();
}

void FavoritesPanel::Paint(QPainter& painter) const {
    if (parent_ == nullptr) {
        return;
    }
    const Origin place = Mini() ? kMiniStrip : kNormalStrip;
    strip_.Draw(painter, 0, place.x, place.y);
}

void FavoritesPanel::FavoritesChanged(const std::vector<std::string>&) {
    Destroy();
    SetFavoriteGames();
}

bool FavoritesPanel::OnCommand(int id) {
    if (id == Res::IDC_ALL_GAMES) {
        if (allGames_ != nullptr) {
            allGames_->OpenDropDown();
        }
        return true;
    }
    const int index = id - Res::IDC_FIRST_FAVORITE;
    if (index < 0 || index >= kButtonCount) {
        return false;
    }
    if (const CGameBtn* button = GameButton(index)) {
        LaunchGame(button->Launch());
    }
    return true;
}

CGameBtn* FavoritesPanel::GameButton(int index) const {
    return index >= 0 && index < kButtonCount ? buttons_[static_cast<std::size_t>(index)].data()
                                              : nullptr;
}

CAllGamesButton* FavoritesPanel::AllGamesButton() const {
    return allGames_.data();
}
