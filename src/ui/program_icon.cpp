#include "ui/program_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace qm3270 {

QPixmap programIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 32 × 32 grid.
    painter.scale(size / 32.0, size / 32.0);

    const QColor body(0x2f, 0x34, 0x3a);
    painter.setPen(Qt::NoPen);
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(8.0, 1.0, 3.0, 10.0), 1.5, 1.5);  // antenna
    painter.drawRoundedRect(QRectF(19.0, 4.5, 4.0, 4.0), 1.0, 1.0);  // channel knob
    painter.setPen(QPen(QColor(0x15, 0x18, 0x1b), 1.0));
    painter.drawRoundedRect(QRectF(6.5, 8.0, 19.0, 23.0), 3.0, 3.0);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xe0, 0x30, 0x30));
    painter.drawEllipse(QRectF(13.5, 5.0, 3.0, 3.0));  // transmit lamp

    painter.setBrush(QColor(0xa8, 0xe0, 0x90));
    painter.drawRoundedRect(QRectF(10.0, 11.0, 12.0, 6.5), 1.0, 1.0);  // display
    painter.setPen(QPen(QColor(0x2a, 0x60, 0x20), 1.0));
    painter.drawLine(QPointF(12.0, 14.5), QPointF(19.0, 14.5));

    painter.setPen(QPen(QColor(0x9a, 0xa2, 0xaa), 1.2, Qt::SolidLine, Qt::RoundCap));
    for (const qreal y : {21.0, 24.0, 27.0}) {  // speaker grille
        painter.drawLine(QPointF(10.5, y), QPointF(21.5, y));
    }
    return pixmap;
}

QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        icon.addPixmap(programIconPixmap(size));
    }
    return icon;
}

}  // namespace qm3270
