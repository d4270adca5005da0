#include "widgets/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tivrel {

QImage programIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 48-unit grid and scaled, so both sizes have the same figure.
    p.scale(size / 48.0, size / 48.0);

    QPainterPath head;
    head.moveTo(24, 3);
    head.cubicTo(36, 3, 42, 11, 42, 21);
    head.cubicTo(42, 28, 39, 32, 36, 35);
    head.lineTo(35, 43);
    head.cubicTo(31, 46, 17, 46, 13, 43);
    head.lineTo(12, 35);
    head.cubicTo(9, 32, 6, 28, 6, 21);
    head.cubicTo(6, 11, 12, 3, 24, 3);
    QLinearGradient shade(0, 3, 48, 45);
    shade.setColorAt(0, QColor(176, 176, 176));
    shade.setColorAt(1, QColor(96, 96, 96));
    p.setPen(QPen(QColor(48, 48, 48), 1.5));
    p.setBrush(shade);
    p.drawPath(head);

    // Eye sockets, then the yellow eyes in them.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QRectF(11, 17, 11, 9));
    p.drawEllipse(QRectF(26, 17, 11, 9));
    p.setBrush(QColor(255, 221, 0));
    p.drawEllipse(QRectF(13, 19, 7, 5));
    p.drawEllipse(QRectF(28, 19, 7, 5));

    // A mouth line gives the head a face.
    p.setPen(QPen(QColor(48, 48, 48), 1.5));
    p.drawLine(QPointF(19, 36), QPointF(29, 36));
    return image;
}

QIcon programIcon() {
    QIcon icon;
    for (const int size : {32, 48})
        icon.addPixmap(QPixmap::fromImage(programIconImage(size)));
    return icon;
}

} // namespace tivrel
