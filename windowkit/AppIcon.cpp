// Draws the application icon.
#include "windowkit/AppIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace AppIcon {

QImage render(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);

    // Instrument case.
    QPainterPath body;
    body.addRoundedRect(QRectF(0.5, 1.5, 15, 13), 2, 2);
    painter.fillPath(body, QColor(64, 72, 84));
    // Display window with a green trace of a reading.
    painter.fillRect(QRectF(2.5, 3.5, 11, 5), QColor(16, 24, 20));
    painter.fillRect(QRectF(3.5, 5, 7, 2), QColor(0, 255, 0));
    // Two input terminals.
    painter.setBrush(QColor(200, 40, 40));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(3, 10, 3, 3));
    painter.setBrush(QColor(230, 230, 230));
    painter.drawEllipse(QRectF(10, 10, 3, 3));
    return image;
}

QIcon icon() {
    QIcon icon;
    // The sizes a title bar and a task switcher use; larger ones only cost start-up time.
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(QPixmap::fromImage(render(size)));
    return icon;
}

} // namespace AppIcon
