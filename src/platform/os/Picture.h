#pragma once

#include <QByteArrayView>
#include <QImage>

// Pictures decoded from bytes of outside origin (BMP, GIF, JPEG, PNG, ICO).
namespace Picture {

// The decoded picture, or a null image when the bytes are not a picture the decoder can read
// whole. The decoders accept some pictures that end early and leave the missing pixels as
// whatever the memory held; such a picture is refused here, not shown with noise in it.
QImage Decode(QByteArrayView bytes);

}  // namespace Picture
