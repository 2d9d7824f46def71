#pragma once

#include <QByteArrayView>
#include <QImage>

// Pictures decoded from bytes of outside origin (BMP, GIF, JPEG, PNG, ICO).
namespace Picture {

// The decoded picture, or a null image when the bytes are not a picture the decoder can read
// whole. The decoders accept some pictures that end early and make up the missing pixels
// (whatever the memory held, grey, the background colour); a picture that ends before its
// format's end (BMP pixel data, JPEG end-of-image mark, GIF trailer, PNG end chunk) is refused
// here, not shown with filler in it.
QImage Decode(QByteArrayView bytes);

}  // namespace Picture
