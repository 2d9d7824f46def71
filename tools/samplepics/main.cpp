// Draws the pictures of the sample catalogue: 21 x 21 pixels on pure green, which the program
// turns transparent. Drawn without antialiasing, so that no edge pixel is a shade of the key
// colour.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kSize = 21;
const QColor kKey(0, 255, 0);
const QColor kInk(20, 20, 20);
const QColor kPaper(250, 250, 245);
const QColor kRed(200, 30, 30);
const QColor kWood(150, 95, 45);

void Card(QPainter& p, int x, int y, int w, int h) {
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawRect(x, y, w - 1, h - 1);
}

void Heart(QPainter& p, int cx, int cy, const QColor& color) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(QPolygon({QPoint(cx - 5, cy - 2), QPoint(cx - 3, cy - 4), QPoint(cx - 1, cy - 4),
                            QPoint(cx, cy - 2), QPoint(cx + 1, cy - 4), QPoint(cx + 3, cy - 4),
                            QPoint(cx + 5, cy - 2), QPoint(cx + 5, cy), QPoint(cx, cy + 5),
                            QPoint(cx - 5, cy)}));
}

void Spade(QPainter& p, int cx, int cy) {
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPolygon(QPolygon({QPoint(cx, cy - 5), QPoint(cx + 4, cy), QPoint(cx - 4, cy)}));
    p.drawEllipse(cx - 4, cy - 2, 4, 4);
    p.drawEllipse(cx, cy - 2, 4, 4);
    p.drawRect(cx - 1, cy + 1, 2, 4);
}

void Backgammon(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(kWood);
    p.drawRect(1, 1, 18, 18);
    for (int i = 0; i < 4; ++i) {
        const int x = 2 + i * 4;
        p.setPen(Qt::NoPen);
        p.setBrush(i % 2 == 0 ? kRed : kPaper);
        p.drawPolygon(QPolygon({QPoint(x, 2), QPoint(x + 4, 2), QPoint(x + 2, 9)}));
        p.setBrush(i % 2 == 0 ? kPaper : kRed);
        p.drawPolygon(QPolygon({QPoint(x, 19), QPoint(x + 4, 19), QPoint(x + 2, 12)}));
    }
}

void Blackjack(QPainter& p) {
    Card(p, 1, 3, 12, 16);
    Card(p, 8, 1, 12, 16);
    Spade(p, 14, 8);
}

void BrickBreaker(QPainter& p) {
    const QColor rows[] = {QColor(220, 60, 60), QColor(240, 160, 40), QColor(60, 120, 220)};
    p.setPen(kInk);
    for (int row = 0; row < 3; ++row) {
        p.setBrush(rows[row]);
        for (int col = 0; col < 3; ++col) {
            p.drawRect(1 + col * 7 - (row % 2) * 3, 1 + row * 4, 6, 3);
        }
    }
    p.setBrush(kPaper);
    p.drawEllipse(9, 12, 3, 3);
    p.setBrush(QColor(90, 90, 90));
    p.drawRect(5, 17, 10, 2);
}

void Checkers(QPainter& p) {
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            p.fillRect(1 + col * 5, 1 + row * 5, 5, 5, (row + col) % 2 == 0 ? kPaper : kInk);
        }
    }
    p.setPen(kInk);
    p.setBrush(kRed);
    p.drawEllipse(6, 6, 8, 8);
}

void Chess(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawEllipse(7, 2, 6, 6);
    p.drawPolygon(QPolygon({QPoint(8, 8), QPoint(12, 8), QPoint(14, 15), QPoint(6, 15)}));
    p.drawRect(4, 15, 12, 3);
}

void Dominoes(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawRoundedRect(5, 0, 10, 20, 2, 2);
    p.drawLine(6, 10, 14, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (const QPoint& pip : {QPoint(7, 2), QPoint(11, 6), QPoint(9, 4), QPoint(7, 13),
                              QPoint(11, 13), QPoint(7, 16), QPoint(11, 16)}) {
        p.drawRect(pip.x(), pip.y(), 2, 2);
    }
}

void Hearts(QPainter& p) {
    Card(p, 3, 1, 15, 19);
    Heart(p, 10, 9, kRed);
}

void Mahjong(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(QColor(230, 215, 170));
    p.drawRect(4, 2, 13, 17);
    p.setBrush(kPaper);
    p.drawRect(3, 1, 13, 17);
    p.setPen(QColor(30, 130, 60));
    for (int x : {6, 9, 12}) {
        p.drawLine(x, 4, x, 15);
        p.drawLine(x - 1, 9, x + 1, 9);
    }
}

void Pinball(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(QColor(40, 40, 120));
    p.drawRect(1, 1, 18, 18);
    p.setBrush(QColor(200, 200, 210));
    p.drawEllipse(8, 4, 5, 5);
    p.setPen(QPen(QColor(240, 160, 40), 2));
    p.drawLine(3, 14, 8, 17);
    p.drawLine(17, 14, 12, 17);
}

void Snake(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 120, 40));
    for (const QPoint& cell : {QPoint(2, 14), QPoint(5, 14), QPoint(8, 14), QPoint(8, 11),
                               QPoint(8, 8), QPoint(11, 8), QPoint(14, 8)}) {
        p.drawRect(cell.x(), cell.y(), 3, 3);
    }
    p.setBrush(kInk);
    p.drawRect(15, 8, 1, 1);
    p.setBrush(kRed);
    p.drawEllipse(13, 2, 5, 5);
    p.setBrush(kWood);
    p.drawRect(15, 0, 1, 2);
}

void Solitaire(QPainter& p) {
    Card(p, 1, 1, 11, 15);
    Card(p, 4, 3, 11, 15);
    Card(p, 8, 5, 12, 15);
    Heart(p, 14, 11, kRed);
}

void SpaceShooter(QPainter& p) {
    p.fillRect(0, 0, kSize, kSize, QColor(10, 10, 40));
    p.setPen(kPaper);
    for (const QPoint& star :
         {QPoint(3, 3), QPoint(16, 2), QPoint(12, 6), QPoint(2, 12), QPoint(18, 14)}) {
        p.drawPoint(star);
    }
    p.setPen(kInk);
    p.setBrush(QColor(190, 190, 200));
    p.drawPolygon(QPolygon({QPoint(10, 6), QPoint(15, 18), QPoint(10, 15), QPoint(5, 18)}));
    p.setPen(QColor(240, 160, 40));
    p.drawLine(10, 1, 10, 3);
}

struct Picture {
    const char* file;
    std::function<void(QPainter&)> draw;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tivora-sample-pictures FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const std::vector<Picture> pictures = {
        {"backgammon.png", Backgammon},
        {"blackjack.png", Blackjack},
        {"brick-breaker.png", BrickBreaker},
        {"checkers.png", Checkers},
        {"chess.png", Chess},
        {"dominoes.png", Dominoes},
        {"hearts.png", Hearts},
        {"mahjong.png", Mahjong},
        {"pinball.png", Pinball},
        {"snake.png", Snake},
        {"solitaire.png", Solitaire},
        {"space-shooter.png", SpaceShooter},
    };
    for (const Picture& picture : pictures) {
        QImage image(kSize, kSize, QImage::Format_RGB32);
        image.fill(kKey);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing, false);
            picture.draw(painter);
        }
        const QString path = folder.filePath(QString::fromLatin1(picture.file));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
