#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QString>

// Pictures decoded with their format named, so that Qt goes straight to its decoder: left to
// find it, and even with the format named unless told not to look further, Qt loads every
// image plug-in (and their libraries) to ask each whether it knows the bytes.
namespace ImageFormat {

// "PNG", "BMP", "GIF", "JPEG" or "ICO" as the first bytes name it; nullptr for anything else.
const char* Sniff(QByteArrayView bytes);

// The bytes decoded in the format their first bytes name, or by whichever decoder Qt finds
// when they name none of the five; a null image when they do not decode.
QImage Decode(QByteArrayView bytes);

// The picture file at path (a resource too), decoded as Decode does; null when unreadable.
QImage Read(const QString& path);

}  // namespace ImageFormat
