// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/CalcIcon.h"
#include <QPainter>

namespace calcicon {

QImage image()
{
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The case.
    p.setPen(QPen(QColor(30, 40, 60), 1.5));
    p.setBrush(QColor(70, 85, 115));
    p.drawRoundedRect(QRectF(7.5, 2.5, 33, 43), 4, 4);
    // The display, with a number in it.
    p.setPen(QPen(QColor(40, 50, 40), 1));
    p.setBrush(QColor(190, 220, 170));
    p.drawRect(QRectF(11.5, 6.5, 25, 9));
    p.setPen(QPen(QColor(40, 60, 40), 1.5));
    p.drawLine(QPointF(27, 9), QPointF(27, 13));
    p.drawLine(QPointF(31, 9), QPointF(34, 9));
    p.drawLine(QPointF(34, 9), QPointF(34, 13));
    // Four rows of keys; the right column holds the operators.
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            const QColor key = col == 3 ? QColor(240, 170, 60) : (row == 3 && col == 0 ? QColor(150, 220, 150) : QColor(235, 235, 228));
            p.setBrush(key);
            p.drawRoundedRect(QRectF(11 + col * 6.75, 19 + row * 6.5, 5, 4.5), 1, 1);
        }
    }
    p.end();
    // 256 colours, as the window's icon asks.
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither).convertToFormat(QImage::Format_ARGB32);
}

QIcon icon() { return QIcon(QPixmap::fromImage(image())); }

}
