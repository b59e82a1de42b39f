// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Registry.h"
#include <QStandardPaths>
#include <cstring>

namespace {
const QByteArray ToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr RegKey ToolHandle = 1;
}

DesktopRegistry::DesktopRegistry(Finder find) : m_find(std::move(find))
{
    if (!m_find)
        m_find = [](const QString &name) { return QStandardPaths::findExecutable(name); };
}

QStringList DesktopRegistry::programs()
{
    // The closest to a system information tool first: a report of the hardware,
    // the system and its devices (HardInfo, KDE's Info Center); then GNOME's and
    // Xfce's monitors, which show the system and its use, and Xfce's only its use.
    return {QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"), QStringLiteral("gnome-system-monitor"),
            QStringLiteral("xfce4-taskmanager")};
}

long DesktopRegistry::openKey(RegKey root, const QByteArray &subKey, quint32, RegKey *result)
{
    if (root != HKEY_LOCAL_MACHINE_KEY || subKey.compare(ToolKey, Qt::CaseInsensitive) != 0)
        return RegFileNotFound;
    for (const QString &name : programs()) {
        const QString path = m_find(name);
        if (!path.isEmpty()) {
            m_path = path.toLocal8Bit() + '\0';
            *result = ToolHandle;
            return RegSuccess;
        }
    }
    return RegFileNotFound;
}

long DesktopRegistry::queryValue(RegKey key, const QByteArray &valueName, quint32 *type, unsigned char *data, quint32 *size)
{
    if (key != ToolHandle || m_path.isEmpty() || valueName.compare("PATH", Qt::CaseInsensitive) != 0)
        return RegFileNotFound;
    const bool fits = m_path.size() <= qsizetype(*size);
    if (fits)
        std::memcpy(data, m_path.constData(), size_t(m_path.size()));
    *type = RegSz;
    *size = quint32(m_path.size());
    return fits ? RegSuccess : RegMoreData;
}

long DesktopRegistry::closeKey(RegKey key)
{
    if (key == ToolHandle)
        m_path.clear();
    return RegSuccess;
}
