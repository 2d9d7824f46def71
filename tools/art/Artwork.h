#pragma once

#include <QImage>
#include <string>
#include <vector>

// Every bitmap and icon of the skin, drawn from code: one look (dark grey bodies, orange
// accents, pixel-exact edges), pure green RGB(0,255,0) where a bitmap lets the skin show
// through. Icons carry real transparency instead.
namespace Artwork {

struct Piece {
    std::string file;  // relative to res/: "bitmaps/<id>.png" or "icons/<id>-<size>.png"
    QImage image;
};

std::vector<Piece> DrawAll();

}  // namespace Artwork
