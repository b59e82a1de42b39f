// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns the process's accessibility on or off as a screen reader's arrival
// would, without one: QAccessible::isActive() follows.
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace testsupport {
inline void setAccessibilityActive(bool on)
{
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(on);
}
}
