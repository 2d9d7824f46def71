#include "support/SkinTestSupport.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace skin_test {

struct ManualTimers::Entry {
    int period = 0;
    long due = 0;
    long order = 0;
    std::function<void()> tick;
    bool alive = true;
};

class ManualTimers::Handle : public TimerSource::Timer {
public:
    explicit Handle(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
    ~Handle() override { entry_->alive = false; }

private:
    std::shared_ptr<Entry> entry_;
};

ManualTimers::ManualTimers() : previous_(TimerSource::Install(this)) {}

ManualTimers::~ManualTimers() {
    TimerSource::Install(previous_);
}

std::unique_ptr<TimerSource::Timer> ManualTimers::Start(int periodMs,
                                                        std::function<void()> onTick) {
    auto entry = std::make_shared<Entry>();
    entry->period = std::max(1, periodMs);
    entry->due = now_ + entry->period;
    entry->order = sequence_++;
    entry->tick = std::move(onTick);
    entries_.push_back(entry);
    return std::make_unique<Handle>(entry);
}

void ManualTimers::Advance(int milliseconds) {
    const long end = now_ + milliseconds;
    for (;;) {
        std::shared_ptr<Entry> next;
        for (const auto& entry : entries_) {
            if (entry->alive && entry->due <= end &&
                (next == nullptr || entry->due < next->due ||
                 (entry->due == next->due && entry->order < next->order))) {
                next = entry;
            }
        }
        if (next == nullptr) {
            break;
        }
        now_ = next->due;
        next->due += next->period;
        std::function<void()> tick = next->tick;  // the callback may end its own timer
        tick();
    }
    now_ = end;
    std::erase_if(entries_, [](const auto& entry) { return !entry->alive; });
}

int ManualTimers::Running() const {
    return static_cast<int>(
        std::count_if(entries_.begin(), entries_.end(), [](const auto& e) { return e->alive; }));
}

Backdrop::Backdrop(const QColor& color, QWidget* parent) : QWidget(parent) {
    QPalette colors = palette();
    colors.setColor(QPalette::Window, color);
    setPalette(colors);
    setAutoFillBackground(true);
}

QImage Render(QWidget& widget) {
    return RenderAt(widget, 1.0);
}

QImage RenderAt(QWidget& widget, qreal ratio) {
    QImage image(static_cast<int>(std::ceil(widget.width() * ratio)),
                 static_cast<int>(std::ceil(widget.height() * ratio)), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    widget.render(&image, QPoint(), QRegion(),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return image;
}

QRect Difference(const QImage& a, const QImage& b, int tolerance) {
    QRect box;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            if (!Near(a.pixelColor(x, y), b.pixelColor(x, y), tolerance)) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

int CountPixels(const QImage& image, const std::function<bool(const QColor&)>& test,
                const QRect& rect) {
    const QRect area = rect.isNull() ? image.rect() : rect.intersected(image.rect());
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (test(image.pixelColor(x, y))) {
                ++count;
            }
        }
    }
    return count;
}

bool Near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QImage Canvas(int width, int height, const std::function<void(QPainter&)>& draw) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    draw(painter);
    return image;
}

}  // namespace skin_test
