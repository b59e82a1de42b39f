// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the main window says about the journal of unsaved edits.
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace recoverytext {
inline QString offer(const QString &path, const QDateTime &lastChanged, bool fileChanged)
{
    const QString what = path.isEmpty() ? QStringLiteral("an untitled document") : QStringLiteral("\"%1\"").arg(path);
    QString text = QStringLiteral("Zendral ended before the changes to %1 were saved. They were last changed %2.")
                       .arg(what, QLocale().toString(lastChanged, QLocale::ShortFormat));
    if (fileChanged)
        text += QStringLiteral("\n\nThe file has changed since: the recovered text opens untitled, "
                               "for you to save where you choose.");
    return text + QStringLiteral("\n\nRecover them?");
}
inline QString setAside(const QString &path, const QString &aside)
{
    return aside.isEmpty()
        ? QStringLiteral("A journal of unsaved changes cannot be read:\n%1").arg(path)
        : QStringLiteral("A journal of unsaved changes cannot be read. It was kept as\n%1").arg(aside);
}
inline QString cannotKeep(const QString &reason)
{
    return QStringLiteral("Zendral cannot keep a journal of your unsaved changes (%1). "
                          "Editing goes on, but what is not saved is lost if Zendral ends unexpectedly.")
        .arg(reason);
}
}
