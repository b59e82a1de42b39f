// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/FileChangeNotice.h"
#include "editor/Form1Def.h"
#include "platform/Dialogs.h"
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QWidget>

FileChangeNotice::FileChangeNotice(QWidget *window, MessageBoxes &messages, Document document)
    : QObject(window), m_window(window), m_messages(messages), m_document(std::move(document))
{
    window->installEventFilter(this);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FileChangeNotice::checkSoon);
}

void FileChangeNotice::follow(const QString &path, const std::optional<textfile::Stamp> &stamp)
{
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    m_path = path;
    m_known = stamp;
    m_declined.reset();
    if (!path.isEmpty())
        m_watcher.addPath(path);
}

bool FileChangeNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::WindowActivate)
        checkSoon();
    return QObject::eventFilter(watched, event);
}

// After the event that told of it: a question inside an activation or a watch's signal would nest.
void FileChangeNotice::checkSoon() { QMetaObject::invokeMethod(this, &FileChangeNotice::check, Qt::QueuedConnection); }

void FileChangeNotice::check()
{
    // Not while the user is elsewhere, answering a dialog, or waiting for long work (its busy cursor):
    // the next activation looks again.
    if (m_asking || !m_known || !m_window->isActiveWindow() || QApplication::activeModalWidget()
        || QApplication::overrideCursor())
        return;
    const std::optional<textfile::Stamp> now = textfile::stampOf(m_path);
    if (now && !m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);   // the file was replaced: watch the new one
    // Deleted or renamed away: nothing to read again, and Save writes it anew. Replaced by a
    // folder or a FIFO: nothing to read either, and Save refuses it.
    if (!now || *now == *m_known || now == m_declined || !QFileInfo(m_path).isFile())
        return;
    m_asking = true;
    const bool unsaved = m_document.unsaved();
    const MsgAnswer answer = m_messages.show(m_window, unsaved ? form1text::reloadLosingChanges() : form1text::reload(),
                                             unsaved ? MsgButtons::YesNo : MsgButtons::YesNoDefaultYes);
    m_asking = false;
    m_declined = now;   // asked once for this change, whatever came of it
    if (answer == MsgAnswer::Yes)
        m_document.reload(m_path);
}
