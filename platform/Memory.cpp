// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Memory.h"
#include <QFile>

qint64 Memory::available() const
{
    // The kernel's own estimate of what can be allocated without swapping.
    QFile info(QStringLiteral("/proc/meminfo"));
    if (!info.open(QIODevice::ReadOnly))
        return -1;
    while (!info.atEnd()) {
        const QByteArray line = info.readLine();
        if (line.startsWith("MemAvailable:")) {
            bool ok = false;
            const qint64 kib = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
            return ok ? kib * 1024 : -1;
        }
    }
    return -1;
}
