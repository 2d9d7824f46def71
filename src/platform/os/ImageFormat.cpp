#include "platform/os/ImageFormat.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <string_view>

namespace ImageFormat {

const char* Sniff(QByteArrayView bytes) {
    const auto startsWith = [&bytes](std::string_view magic) {
        return bytes.size() >= static_cast<qsizetype>(magic.size()) &&
               std::string_view(bytes.data(), magic.size()) == magic;
    };
    if (startsWith("\x89PNG\r\n\x1a\n")) {
        return "PNG";
    }
    if (startsWith("BM")) {
        return "BMP";
    }
    if (startsWith("GIF87a") || startsWith("GIF89a")) {
        return "GIF";
    }
    if (startsWith("\xff\xd8\xff")) {
        return "JPEG";
    }
    if (startsWith(std::string_view("\0\0\1\0", 4))) {
        return "ICO";
    }
    return nullptr;
}

QImage Decode(QByteArrayView bytes) {
    const char* format = Sniff(bytes);
    if (format == nullptr) {
        return QImage::fromData(bytes);
    }
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QImage Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return Decode(file.readAll());
}

}  // namespace ImageFormat
