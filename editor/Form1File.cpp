// File commands and the menu-state timer of the main window.
#include "editor/Form1.h"
#include "platform/CommonDialog.h"
#include "platform/StatusBar.h"
#include "platform/TextBox.h"
#include <QAction>
#include <QApplication>
#include <QLabel>

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
    if (!path)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    readFile(*path);
    QApplication::restoreOverrideCursor();
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
