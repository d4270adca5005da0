#include "desktop/pictures/IconFile.h"

#include <QBuffer>
#include <QtEndian>

namespace tivrel::pictures {

namespace {

void append16(QByteArray& out, quint16 value) {
    const quint16 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), sizeof little);
}

void append32(QByteArray& out, quint32 value) {
    const quint32 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), sizeof little);
}

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
    constexpr int kHeader = 6;
    constexpr int kEntry = 16;
    QList<QByteArray> encoded;
    for (const QImage& image : images) {
        if (image.width() != image.height() || image.width() < 1 || image.width() > 256)
            return {};
        encoded.append(png(image));
        if (encoded.last().isEmpty())
            return {};
    }
    QByteArray out;
    append16(out, 0); // reserved
    append16(out, 1); // an icon, not a cursor
    append16(out, quint16(images.size()));
    quint32 offset = kHeader + kEntry * quint32(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const int side = images[i].width();
        out.append(char(side == 256 ? 0 : side)); // width; 0 stands for 256
        out.append(char(side == 256 ? 0 : side)); // height
        out.append(char(0));                      // no palette
        out.append(char(0));                      // reserved
        append16(out, 1);                         // colour planes
        append16(out, 32);                        // bits per pixel
        append32(out, quint32(encoded[i].size()));
        append32(out, offset);
        offset += quint32(encoded[i].size());
    }
    for (const QByteArray& bytes : encoded)
        out.append(bytes);
    return out;
}

} // namespace tivrel::pictures
