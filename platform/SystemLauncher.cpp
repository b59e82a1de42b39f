// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Launcher.h"
#include <QFileInfo>
#include <QProcess>
#ifdef _WIN32
#include <windows.h>
#endif

bool SystemLauncher::isOrdinaryFile(const QString &path) const
{
    if (path.isEmpty())
        return false;
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES
        && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
#else
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
#endif
}

bool SystemLauncher::start(const QString &commandLine)
{
    // The path is the program as a whole, never split at its blanks; the
    // program runs on its own and is not waited for.
    if (commandLine.isEmpty())
        return false;
    return QProcess::startDetached(commandLine, {});
}
