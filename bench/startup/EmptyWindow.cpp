// The floor the bar is measured against: a frameless tool window of the bar's size at the
// same place, filled with one colour, in a plain Qt Widgets program.
// Usage: tivora-empty-window X Y WIDTH HEIGHT RRGGBB
#include <QApplication>
#include <QPainter>
#include <QWidget>
#include <cstdlib>

namespace {

class Plain : public QWidget {
public:
    explicit Plain(QColor colour)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool), colour_(colour) {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour_); }

private:
    QColor colour_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 6) {
        return 2;
    }
    Plain window(QColor(QRgb(std::strtoul(argv[5], nullptr, 16))));
    window.setGeometry(std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]),
                       std::atoi(argv[4]));
    window.show();
    return app.exec();
}
