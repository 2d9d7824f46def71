#pragma once

// The gallery's sheets: pictures of drawn windows laid out with labels and written as PNG files
// into <build>/gallery/, so that the skin can be looked at without running the program.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <deque>
#include <vector>

class QWidget;

namespace gallery {

const QColor kDesk(58, 84, 110);     // behind everything: shows what is transparent
const QColor kBody(70, 70, 70);      // a dialog's body
const QColor kSheet(236, 236, 236);  // the sheet's paper

// A sheet of labelled pictures, each shown scale times as large as it is (pictures rendered at
// a device pixel ratio are shown one device pixel to one sheet pixel).
class Sheet {
public:
    explicit Sheet(QString title, int scale = 2) : title_(std::move(title)), scale_(scale) {}

    const QImage& Add(const QString& label, const QImage& image) {
        QImage plain = image;
        plain.setDevicePixelRatio(1.0);
        cells_.push_back({label, plain});
        return cells_.back().image;
    }
    void NewRow() { cells_.push_back({QString(), QImage()}); }

    struct Shown {
        QPoint at;  // where the picture's top-left lies on the sheet
        QImage image;
    };

    // Writes the sheet as <build>/gallery/<name>.png; returns its path, or an empty string when
    // it could not be written. shown receives where each picture went.
    QString Save(const QString& name, std::vector<Shown>* shown = nullptr) const;

private:
    struct Cell {
        QString label;
        QImage image;
    };
    QString title_;
    int scale_;
    std::deque<Cell> cells_;  // Add hands out references that must stay valid
};

// Saves the sheet and reads it back: it must show every picture where it was placed.
void ExpectWritten(const Sheet& sheet, const QString& name, int minimumWidth);

// The darkest grey level inside rect.
int Darkest(const QImage& image, const QRect& rect);

// The mouse entering the widget, and leaving it.
void Hover(QWidget& widget);
void Unhover(QWidget& widget);

}  // namespace gallery
