#include "ui/controls/SkinText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/desktop/Fonts.h"

namespace SkinText {
namespace {

struct Line {
    QString text;
    int width = 0;
};

int Advance(const QFontMetricsF& metrics, const QString& text) {
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(text) - 1e-6));
}

std::vector<Line> Lines(const QFont& font, const QString& text, int width, int flags) {
    const QFontMetricsF metrics(font);
    QString prepared = text;
    prepared.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if ((flags & Qt::TextSingleLine) != 0) {
        prepared.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return {Line{prepared, Advance(metrics, prepared)}};
    }
    std::vector<Line> lines;
    for (const QString& paragraph : prepared.split(QLatin1Char('\n'))) {
        if ((flags & Qt::TextWordWrap) == 0 || paragraph.isEmpty()) {
            lines.push_back(Line{paragraph, Advance(metrics, paragraph)});
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(1, width));
            QString part = paragraph.mid(line.textStart(), line.textLength());
            // The blanks at a break take no room.
            while (!part.isEmpty() && part.back().isSpace()) {
                part.chop(1);
            }
            lines.push_back(Line{part, Advance(metrics, part)});
        }
        layout.endLayout();
    }
    return lines;
}

}  // namespace

QSize Measure(const QFont& font, const QString& text, int width, int flags) {
    const std::vector<Line> lines = Lines(font, text, width, flags);
    int widest = 0;
    for (const Line& line : lines) {
        widest = std::max(widest, line.width);
    }
    return QSize(widest, static_cast<int>(lines.size()) * Fonts::CellOf(font).Height());
}

void Draw(QPainter& painter, const Rect& rect, const QString& text, int flags) {
    if (text.isEmpty()) {
        return;
    }
    const QFont& font = painter.font();
    const Fonts::Cell cell = Fonts::CellOf(font);
    const std::vector<Line> lines = Lines(font, text, rect.Width(), flags);
    const int total = static_cast<int>(lines.size()) * cell.Height();
    int top = rect.top;
    if ((flags & Qt::AlignVCenter) != 0) {
        top = rect.top + (rect.Height() - total) / 2;
    } else if ((flags & Qt::AlignBottom) != 0) {
        top = rect.bottom - total;
    }
    painter.save();
    painter.setClipRect(rect.ToQRect(), Qt::IntersectClip);
    for (const Line& line : lines) {
        int x = rect.left;
        if ((flags & Qt::AlignHCenter) != 0) {
            x = rect.left + (rect.Width() - line.width) / 2;
        } else if ((flags & Qt::AlignRight) != 0) {
            x = rect.right - line.width;
        }
        painter.drawText(QPointF(x, top + cell.ascent), line.text);
        top += cell.Height();
    }
    painter.restore();
}

}  // namespace SkinText
