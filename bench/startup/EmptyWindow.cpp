// The floor the bar is measured against: a frameless tool window of the bar's size at the
// same place, filled with one colour, in a plain Qt Widgets program. With "text" it also draws
// one line in the bar's face, which shows what text alone costs a first paint (the font
// configuration, the face's file, shaping).
// It writes the bar's start-up trace marks where it has the same phases (main, application,
// first-paint), so that the two traces line up.
// Usage: tivora-empty-window X Y WIDTH HEIGHT RRGGBB [text]
#include <QApplication>
#include <QPainter>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "app/StartupTrace.h"

namespace {

class Plain : public QWidget {
public:
    Plain(QColor colour, bool text)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool), colour_(colour), text_(text) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (!painted_) {
            painted_ = true;
            StartupTrace::Mark("first-paint");
        }
        QPainter painter(this);
        painter.fillRect(rect(), colour_);
        if (text_) {
            painter.setFont(QFont(QStringLiteral("Tahoma"), 8));
            painter.drawText(QPoint(40, 38), QStringLiteral("Chess Mahjong Snake Solitaire"));
        }
    }

private:
    QColor colour_;
    bool text_;
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    StartupTrace::Mark("main");
    QApplication app(argc, argv);
    StartupTrace::Mark("application");
    if (argc < 6) {
        return 2;
    }
    Plain window(QColor(QRgb(std::strtoul(argv[5], nullptr, 16))),
                 argc > 6 && std::string(argv[6]) == "text");
    window.setGeometry(std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]),
                       std::atoi(argv[4]));
    window.show();
    return app.exec();
}
