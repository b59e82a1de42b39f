#include "platform/SysInfo.h"
#include <QFileInfo>
#include <QProcess>

bool SystemLauncher::isOrdinaryFile(const QString &path) const
{
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

bool SystemLauncher::start(const QString &commandLine)
{
    // The whole path is the command line; the program is not waited for.
    return QProcess::startDetached(commandLine, {});
}
