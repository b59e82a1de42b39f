// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Colours as 0x00BBGGRR, or 0x800000nn for the system colour with index nn.
#include <QColor>
#include <QPalette>

namespace ole {
constexpr quint32 ButtonFace = 0x8000000F;
constexpr quint32 LightBlue = 0x00FFC0C0;
constexpr quint32 LightGrey = 0x00C0C0C0;

bool isSystemColor(quint32 c);
// A system colour that Qt's palette has a role for, and so changes with the user's scheme.
bool followsScheme(quint32 c);
// Resolves a colour against the palette (the user's scheme) where Qt has a role
// for the system colour, and against the classic standard scheme where it has none.
QColor toQColor(quint32 c, const QPalette &palette);
quint32 fromQColor(const QColor &c);
}
