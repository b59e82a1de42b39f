// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's name, as its windows, its message boxes and the desktop show it.
#include <QString>

inline QString appName() { return QStringLiteral("Zendral"); }
