// Draws the skin's artwork and writes it as PNG files below the given resource folder.
// Usage: tivora-art RES_FOLDER
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "Artwork.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RES_FOLDER\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    int failures = 0;
    for (const Artwork::Piece& piece : Artwork::DrawAll()) {
        const QString path = root + QLatin1Char('/') + QString::fromStdString(piece.file);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!piece.image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
