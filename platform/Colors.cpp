// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Colors.h"

namespace ole {

bool isSystemColor(quint32 c) { return (c & 0xFF000000u) == 0x80000000u; }

namespace {
struct SystemColor { int role; QRgb standard; };
constexpr int NoRole = -1;
// Index = system colour index; the standard value is the classic scheme's.
const SystemColor kSystem[] = {
    {NoRole, qRgb(212, 208, 200)},                 // 0 scroll bar
    {NoRole, qRgb(58, 110, 165)},                  // 1 desktop
    {NoRole, qRgb(10, 36, 106)},                   // 2 active caption
    {NoRole, qRgb(128, 128, 128)},                 // 3 inactive caption
    {QPalette::Window, qRgb(212, 208, 200)},       // 4 menu
    {QPalette::Base, qRgb(255, 255, 255)},         // 5 window
    {NoRole, qRgb(0, 0, 0)},                       // 6 window frame
    {QPalette::WindowText, qRgb(0, 0, 0)},         // 7 menu text
    {QPalette::Text, qRgb(0, 0, 0)},               // 8 window text
    {NoRole, qRgb(255, 255, 255)},                 // 9 caption text
    {NoRole, qRgb(212, 208, 200)},                 // 10 active border
    {NoRole, qRgb(212, 208, 200)},                 // 11 inactive border
    {NoRole, qRgb(128, 128, 128)},                 // 12 app workspace
    {QPalette::Highlight, qRgb(10, 36, 106)},      // 13 highlight
    {QPalette::HighlightedText, qRgb(255, 255, 255)}, // 14 highlight text
    {QPalette::Button, qRgb(212, 208, 200)},       // 15 button face
    {QPalette::Dark, qRgb(128, 128, 128)},         // 16 button shadow
    {NoRole, qRgb(128, 128, 128)},                 // 17 grey text
    {QPalette::ButtonText, qRgb(0, 0, 0)},         // 18 button text
    {NoRole, qRgb(212, 208, 200)},                 // 19 inactive caption text
    {QPalette::Light, qRgb(255, 255, 255)},        // 20 button highlight
    {QPalette::Shadow, qRgb(64, 64, 64)},          // 21 3D dark shadow
    {QPalette::Midlight, qRgb(212, 208, 200)},     // 22 3D light
    {QPalette::ToolTipText, qRgb(0, 0, 0)},        // 23 tooltip text
    {QPalette::ToolTipBase, qRgb(255, 255, 225)},  // 24 tooltip background
};
}

bool followsScheme(quint32 c)
{
    const quint32 index = c & 0xFFu;
    return isSystemColor(c) && index < std::size(kSystem) && kSystem[index].role != NoRole;
}

QColor toQColor(quint32 c, const QPalette &palette)
{
    if (isSystemColor(c)) {
        const quint32 index = c & 0xFFu;
        if (index >= std::size(kSystem))
            return QColor(Qt::black);
        const SystemColor &s = kSystem[index];
        if (s.role != NoRole)
            return palette.color(QPalette::Active, QPalette::ColorRole(s.role));
        return QColor(s.standard);
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}


quint32 fromQColor(const QColor &c)
{
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

}
