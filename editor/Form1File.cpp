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
    AskToSave();
}

void Form1::mnufileopen_Click()
{
    if (!AskToSave())
        return;
    FileNum = FreeFile();
    // A file that cannot be read must not become the document's name.
    const QString previous = cdb->FileName();
    if (!cdb->ShowOpen())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = readFile(cdb->FileName());
    QApplication::restoreOverrideCursor();
    if (!ok) {
        cdb->setFileName(previous);
        return;
    }
    // Loading is not an edit: the text is as saved as the file it came from.
    Saved = true;
}

void Form1::mnufilesave_Click()
{
    cdb->Flags = 10;
    if (!Saved || cdb->FileName().isEmpty()) {
        if (!cdb->ShowSave())
            return;
        FileNum = FreeFile();
    }
    if (writeText(FileText))
        Saved = true;
}

void Form1::mnufilesaveas_Click()
{
    cdb->Flags = 10;
    if (!cdb->ShowSave())
        return;
    FileNum = FreeFile();
    if (writeText(SaveAsText))
        Saved = true;
}

void Form1::Timer1_Timer()
{
    if (!cdb->FileName().isEmpty())
        statusbar->panel(QStringLiteral("text"))->setText(cdb->FileName());
    if (Text1->isEmpty()) {
        for (QAction *a : {mnueditcut, mnueditcopy, mnueditall, mnueditfont, mnuoptfind, mnufilesave,
                           mnufilesaveas, mnuoptreplace})
            a->setEnabled(false);
    } else {
        for (QAction *a : {mnufilesave, mnufilesaveas, mnueditcut, mnueditcopy, mnueditpaste, mnueditall,
                           mnueditfont, mnuoptfind, mnuoptreplace})
            a->setEnabled(true);
    }
}
