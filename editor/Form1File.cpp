// SPDX-License-Identifier: GPL-3.0-or-later
// File commands and the menu-state timer of the main window.
#include "editor/Form1.h"
#include "platform/CommonDialog.h"
#include "platform/StatusBar.h"
#include "platform/TextBox.h"
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>

void Form1::mnufilenew_Click()
{
    if (AskToSave())
        newDocument();
}

void Form1::mnufileopen_Click()
{
    if (!AskToSave())
        return;
    FileNum = FreeFile();
    const std::optional<QString> path = askFileName(false);
    if (path)
        openFile(*path);
}

bool Form1::openFile(const QString &path)
{
    FileNum = FreeFile();
    return readFile(path);
}

void Form1::startWith(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {   // a dangling link is reported, not replaced
        openFile(path);
        return;
    }
    newDocument();
    cdb->setFileName(path);
}

namespace {
// The first local file of a drop; empty for text or remote addresses.
QString droppedFile(const QMimeData *data)
{
    if (data && data->hasUrls())
        for (const QUrl &url : data->urls())
            if (url.isLocalFile())
                return url.toLocalFile();
    return {};
}
}

bool Form1::takeDrop(QDropEvent *event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // After the drop has returned: the file manager is not held while the prompt is up.
    QMetaObject::invokeMethod(this, [this, path] {
        if (AskToSave())
            openFile(path);
    }, Qt::QueuedConnection);
    return true;
}

bool Form1::takeDrag(QDragMoveEvent *event)
{
    if (droppedFile(event->mimeData()).isEmpty())
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void Form1::dragEnterEvent(QDragEnterEvent *event) { takeDrag(event); }
void Form1::dragMoveEvent(QDragMoveEvent *event) { takeDrag(event); }

void Form1::dropEvent(QDropEvent *event)
{
    if (!takeDrop(event))
        event->ignore();
}

void Form1::mnufilesave_Click()
{
    cdb->Flags = 10;
    QString path = cdb->FileName();
    if (!Saved || path.isEmpty()) {
        const std::optional<QString> chosen = askFileName(true);
        if (!chosen)
            return;
        path = *chosen;
        FileNum = FreeFile();
    }
    saveTo(path, FileText);
}

void Form1::mnufilesaveas_Click()
{
    cdb->Flags = 10;
    const std::optional<QString> path = askFileName(true);
    if (!path)
        return;
    FileNum = FreeFile();
    saveTo(*path, SaveAsText);
}

void Form1::Timer1_Timer()
{
    // The document's name, or the panel's blank when it has none.
    statusbar->panel(QStringLiteral("text"))->setText(cdb->FileName().isEmpty() ? QStringLiteral(" ") : cdb->FileName());
    // Paste follows the clipboard instead (Form_Load).
    const bool hasText = !Text1->isEmpty();
    for (QAction *a : m_needText)
        a->setEnabled(hasText);
}
