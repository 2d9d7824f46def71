#pragma once

#include <QImage>
#include <string>
#include <vector>

// Every bitmap and icon of the skin, drawn from code at one and at two device pixels per
// logical pixel: one look (dark grey bodies, orange accents, pixel-exact edges), pure green
// RGB(0,255,0) where a bitmap lets the skin show through. Icons carry real transparency
// instead.
namespace Artwork {

struct Piece {
    // Relative to res/: "bitmaps/<id>.png" or "icons/<id>-<size>.png", "@2x" before the
    // extension for the picture drawn at twice the density (a device pixel ratio of 2).
    std::string file;
    QImage image;
};

std::vector<Piece> DrawAll();

}  // namespace Artwork
