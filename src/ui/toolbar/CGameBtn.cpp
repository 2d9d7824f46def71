#include "ui/toolbar/CGameBtn.h"

#include "app/TextTable.h"
#include "config/Game.h"
#include "platform/desktop/Fonts.h"
#include "ui/controls/WindowStyles.h"

namespace {

constexpr int kFontHeight = 11;
constexpr int kFontAverageWidth = 4;
const QColor kCaptionHovered(255, 255, 255);
const QColor kCaption(230, 230, 230);

}  // namespace

CGameBtn::CGameBtn(QWidget* parent)
    : CButtonST(parent), font_(Fonts::MakeNarrow("Tahoma", kFontHeight, kFontAverageWidth)) {}

bool CGameBtn::Create(const Game& game, int x, int y, QWidget* parent, int id) {
    using namespace WindowStyles;
    if (!CButtonST::Create(QString::fromStdString(game.name), WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                           Rect::FromSize(x, y, kWidth, kHeight), parent, id)) {
        return false;
    }
    image_ = game.CopyBitmap();
    launch_ = GameLaunch::Of(game);
    setFont(font_);
    // A game without a picture shows its name alone.
    if (!image_.isNull()) {
        LoadPictures(image_, kKeyColor, kAutoDarkened);
    }
    EnableBorder(false, false);
    UseParentBackground(false);
    SetPictureLayout(kPictureLeft, false);
    SetStateColors(kTextIn, kCaptionHovered, false);
    SetStateColors(kTextOut, kCaption, false);
    SetStateColors(kTextFocus, kCaption, false);
    UseBalloonTip();
    const std::string tip =
        game.extraText.empty() ? GetText("main.buttons.game.tooltip") : game.extraText;
    SetTip(QString::fromStdString(tip), true);
    return true;
}
