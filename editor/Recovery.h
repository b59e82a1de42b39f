// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the main window says about the journal of unsaved edits and interrupted saves.
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
// A save in place that a crash interrupted; the copy stays unless the old text is put back.
inline QString saveInterrupted(const QString &path, const QString &copy)
{
    return QStringLiteral("Zendral was interrupted while saving \"%1\": the file may hold only part of the new text."
                          "\n\nPut back the contents it had before that save? If not, they stay in\n%2")
        .arg(path, copy);
}
inline QString saveElsewhere(const QString &path, const QString &copy)
{
    return QStringLiteral("Zendral was interrupted while saving \"%1\", and that file has since been removed or "
                          "replaced. The contents it had before that save are kept in\n%2")
        .arg(path, copy);
}
inline QString cannotPutBack(const QString &path, const QString &reason, const QString &copy)
{
    return QStringLiteral("The contents \"%1\" had before the interrupted save cannot be put back (%2). "
                          "They stay in\n%3")
        .arg(path, reason, copy);
}
inline QString cannotKeep(const QString &reason)
{
    return QStringLiteral("Zendral cannot keep a journal of your unsaved changes (%1). "
                          "Editing goes on, but what is not saved is lost if Zendral ends unexpectedly.")
        .arg(reason);
}
}
