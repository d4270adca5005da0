#include "tools/pictures/IconFile.h"

#include <QBuffer>
#include <QDataStream>

namespace tivrel::pictures {

namespace {

QByteArray png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG"))
        return {};
    return bytes;
}

} // namespace

QByteArray iconFile(const QList<QImage>& images) {
    constexpr quint32 kHeader = 6;
    constexpr quint32 kEntry = 16;
    QList<QByteArray> encoded;
    for (const QImage& image : images) {
        if (image.width() != image.height() || image.width() < 1 || image.width() > 256)
            return {};
        encoded.append(png(image));
        if (encoded.last().isEmpty())
            return {};
    }
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    // Reserved, an icon (not a cursor), the number of entries.
    stream << quint16(0) << quint16(1) << quint16(images.size());
    quint32 offset = kHeader + kEntry * quint32(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const quint8 side = quint8(images[i].width()); // 256 is written as 0
        // Width, height, no palette, reserved, colour planes, bits per pixel, size, offset.
        stream << side << side << quint8(0) << quint8(0) << quint16(1) << quint16(32)
               << quint32(encoded[i].size()) << offset;
        offset += quint32(encoded[i].size());
    }
    for (const QByteArray& bytes : encoded)
        stream.writeRawData(bytes.constData(), int(bytes.size()));
    return out;
}

} // namespace tivrel::pictures
