// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/AboutIcon.h"
#include <QPainter>
#include <array>

namespace icons {

namespace {
// The sixteen colours of a 16-colour icon.
constexpr std::array<QRgb, 16> kStandard = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};

QRgb nearestStandard(QRgb c)
{
    QRgb best = kStandard[0];
    int bestDistance = INT_MAX;
    for (QRgb s : kStandard) {
        const int dr = qRed(c) - qRed(s), dg = qGreen(c) - qGreen(s), db = qBlue(c) - qBlue(s);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = s;
        }
    }
    return best;
}
}

QImage aboutImage()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor black(0, 0, 0), grey(128, 128, 128), silver(192, 192, 192), white(255, 255, 255);
    const QColor navy(0, 0, 128), aqua(0, 255, 255), yellow(255, 255, 0), teal(0, 128, 128);

    // Stand and foot.
    p.setPen(black);
    p.setBrush(grey);
    p.drawRect(12, 23, 7, 3);
    p.setBrush(silver);
    p.drawRect(6, 26, 19, 4);
    p.setPen(white);
    p.drawLine(7, 27, 23, 27);
    // The case: silver with a white upper-left edge and a grey lower-right one.
    p.setPen(black);
    p.setBrush(silver);
    p.drawRect(1, 1, 29, 22);
    p.setPen(white);
    p.drawLine(2, 2, 28, 2);
    p.drawLine(2, 2, 2, 21);
    p.setPen(grey);
    p.drawLine(3, 22, 29, 22);
    p.drawLine(29, 3, 29, 22);
    // The screen: a page of text.
    p.setPen(grey);
    p.setBrush(navy);
    p.drawRect(4, 4, 23, 15);
    p.fillRect(7, 6, 16, 11, white);
    p.setPen(teal);
    for (int y = 8; y <= 14; y += 2)
        p.drawLine(9, y, y == 14 ? 16 : 20, y);
    // A yellow pencil across the page's corner.
    p.setPen(black);
    for (int i = 0; i < 6; ++i)
        p.drawPoint(19 + i, 16 - i);
    p.setPen(yellow);
    for (int i = 0; i < 5; ++i)
        p.drawPoint(20 + i, 16 - i);
    // A power light.
    p.fillRect(25, 20, 2, 1, aqua);
    p.end();

    // Keep the picture to the sixteen colours (and fully transparent pixels).
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qAlpha(line[x]) < 128 ? qRgba(0, 0, 0, 0) : nearestStandard(line[x]);
    }
    return image;
}

}
