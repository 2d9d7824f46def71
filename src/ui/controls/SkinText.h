#pragma once

#include <QSize>
#include <QString>

#include "platform/desktop/Rect.h"

class QFont;
class QPainter;

// Text laid out as the skin's layouts expect it: every line is one Windows text cell high
// (Fonts::CellOf) and its baseline lies the cell's ascent below the line's top, so labels sit
// where the artwork leaves room for them whatever metrics the face asks Qt to use.
//
// Flags are Qt's: Qt::AlignLeft, Qt::AlignHCenter or Qt::AlignRight; Qt::AlignTop,
// Qt::AlignVCenter or Qt::AlignBottom for the block of lines; Qt::TextWordWrap breaks lines
// at word boundaries to the rectangle's width; Qt::TextSingleLine keeps line breaks out.
// Line breaks in the text ("\n" or "\r\n") always start a new line otherwise.
namespace SkinText {

// The size of the laid-out text at most width pixels wide (the width counts only with
// Qt::TextWordWrap): the widest line's advance, and the lines times the cell height.
QSize Measure(const QFont& font, const QString& text, int width, int flags);

// Draws text in the painter's font and pen inside rect, clipped to it.
void Draw(QPainter& painter, const Rect& rect, const QString& text, int flags);

}  // namespace SkinText
