#pragma once

#include <QImage>
#include <QRgb>
#include <vector>

class QPainter;

// A list of images of one fixed size, with a key colour that turns transparent: what list
// controls draw their icons from. An image wider than the list's size is cut into several.
class ImageList {
public:
    ImageList(int width, int height, int initialCapacity = 0);

    // Adds the image, its pixels of keyColor made transparent; the list keeps its own copy. An
    // image with a device pixel ratio is measured and cut in logical pixels and keeps it.
    // Returns the index of the first image added, or -1 for a null image or one smaller than
    // the list's size.
    int AddMasked(const QImage& image, QRgb keyColor);

    int Count() const { return static_cast<int>(images_.size()); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // The image at index (ARGB32, premultiplied), or a null image for an index out of range.
    QImage Image(int index) const;

    // Draws the image at index with its top-left corner at (x, y); nothing for a bad index.
    void Draw(QPainter& painter, int index, int x, int y) const;

private:
    int width_;
    int height_;
    std::vector<QImage> images_;
};
