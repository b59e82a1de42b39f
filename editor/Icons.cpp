// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/Icons.h"
#include <QPainter>
#include <QPainterPath>

namespace icons {

QImage zendralImage()
{
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The sheet, with a folded corner.
    QPainterPath sheet;
    sheet.moveTo(8, 3);
    sheet.lineTo(32, 3);
    sheet.lineTo(41, 12);
    sheet.lineTo(41, 45);
    sheet.lineTo(8, 45);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(40, 60, 110), 1.5));
    p.setBrush(QColor(250, 250, 244));
    p.drawPath(sheet);
    p.setBrush(QColor(200, 210, 230));
    p.drawPolygon(QPolygonF({QPointF(32, 3), QPointF(32, 12), QPointF(41, 12)}));
    // Lines of text.
    p.setPen(QPen(QColor(70, 110, 180), 2));
    for (int y = 17; y <= 39; y += 5)
        p.drawLine(13, y, y == 39 ? 26 : 36, y);
    // A pen across the lower right corner.
    p.setPen(QPen(QColor(120, 40, 20), 1));
    p.setBrush(QColor(230, 160, 30));
    p.drawPolygon(QPolygonF({QPointF(44, 24), QPointF(47, 27), QPointF(31, 43), QPointF(28, 40)}));
    p.setBrush(QColor(60, 40, 30));
    p.drawPolygon(QPolygonF({QPointF(28, 40), QPointF(31, 43), QPointF(26, 45)}));
    p.end();
    // 256 colours, as the window's icon asks.
    return image.convertToFormat(QImage::Format_Indexed8).convertToFormat(QImage::Format_ARGB32);
}

QIcon zendral() { return QIcon(QPixmap::fromImage(zendralImage())); }

}
