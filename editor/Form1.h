// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: the one document, its menus, status bar and the timer that
// keeps them current.
#include "editor/EditorHost.h"
#include "search/EditTarget.h"
#include "text/Journal.h"
#include "text/TextFile.h"
#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <optional>

struct Services;
class TextBox;
class StatusBar;
class CommonDialog;
class FileChangeNotice;
class DocumentJournal;
class QAction;

class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    Form1(Services &services, EditorHost &host);
    ~Form1() override;

    // The text as the Find and Replace windows see it.
    EditTarget &editTarget() { return *m_editTarget; }

    // Controls
    TextBox *Text1 = nullptr;
    StatusBar *statusbar = nullptr;
    CommonDialog *cdb = nullptr;
    QTimer *Timer1 = nullptr;

    // Menu items
    QAction *mnufilenew = nullptr, *mnufileopen = nullptr, *mnufilesave = nullptr,
            *mnufilesaveas = nullptr, *mnufileexit = nullptr;
    QAction *mnueditcut = nullptr, *mnueditcopy = nullptr, *mnueditpaste = nullptr,
            *mnueditall = nullptr, *mnueditfont = nullptr;
    QAction *mnuoptfind = nullptr, *mnuoptreplace = nullptr;
    QAction *mnuoptcalc = nullptr, *mnutoolbcolor = nullptr, *mnutooltcolor = nullptr;
    QAction *mnuabout = nullptr;

    // Document state
    bool Saved = false;
    qint16 FileNum = 0;
    // The text written by the save prompt or Save (UTF-8), and the same for Save As:
    // held while it is written only, sharing the box's buffer rather than copying it.
    QByteArray FileText;
    QByteArray SaveAsText;

    // Client area in twips.
    int ScaleWidth() const;
    int ScaleHeight() const;

    // Returns false when the user cancelled or the save failed: the caller stops.
    bool AskToSave();
    // Reads `path` as Open does once its dialog has named it (the save prompt is the
    // caller's); reports a file that cannot be read and then keeps the document.
    bool openFile(const QString &path);
    // A name given at start: opened when the file exists, else an empty document
    // with that name, which the first Save writes. `encoding`: the user's, tried
    // before the detected one (and kept by an empty document).
    void startWith(const QString &path, const std::optional<textfile::Encoding> &encoding = {});
    // Tells the user that `path` was not opened, and why.
    void reportCannotOpen(const QString &path, const QString &reason);

    // The journal of unsaved edits; it keeps none until given a folder.
    DocumentJournal &journal() { return *m_journal; }
    // At start: offers the oldest journal left by a process that ended without
    // saving (the one for `file` only, when a file is given). True when its text
    // was brought back, which then stands in for opening `file`.
    bool offerRecovery(const QString &file = {});

    void Form_Load();
    void Form_Resize();
    void Timer1_Timer();

    void mnufilenew_Click();
    void mnufileopen_Click();
    void mnufilesave_Click();
    void mnufilesaveas_Click();
    void mnufileexit_Click();
    void mnueditcut_Click();
    void mnueditcopy_Click();
    void mnueditpaste_Click();
    void mnueditall_Click();
    void mnueditfont_Click();
    void mnuoptfind_Click();
    void mnuoptreplace_Click();
    void mnuoptcalc_Click();
    void mnutoolbcolor_Click();
    void mnutooltcolor_Click();
    void mnuabout_Click();

protected:
    void closeEvent(QCloseEvent *event) override;   // Form_Unload
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void createMenus();
    void sizeToClientArea();
    void armTimer();
    static qint16 FreeFile() { return 1; }
    // The name chosen in the Open or Save dialog, nullopt when cancelled. cdb.FileName
    // stays the document's own name until the file has been read or written.
    std::optional<QString> askFileName(bool save);
    // Writes `copy` (set from the text) to `path`, which then names the document;
    // false when the user declined or the write failed (and was reported).
    bool saveTo(const QString &path, QByteArray &copy);
    // Loads `path`, which then names the document; reports a file that cannot be read.
    bool readFile(const QString &path, const std::optional<textfile::Encoding> &encoding = {});
    void newDocument();   // empty, untitled, UTF-8 with LF line ends, saved
    void showFailure(const QString &path, const QString &reason);
    // Brings a journal's text back as unsaved; false (document emptied) when nothing differs from
    // the file, nullopt when the file cannot be read. `keptBase`: the file's old bytes, kept aside.
    std::optional<bool> replayJournal(const journal::Header &header, const QList<journal::Edit> &edits, bool named,
                                      const QString &keptBase = {});
    // A file dropped on the window or the text area: true when the drop was one.
    bool takeDrop(QDropEvent *event);
    bool takeDrag(QDragMoveEvent *event);

    Services &m_services;
    EditorHost &m_host;
    std::unique_ptr<EditTarget> m_editTarget;
    DocumentJournal *m_journal = nullptr;
    QWidget *m_client = nullptr;
    QList<QAction *> m_needText;   // the commands that work only on some text
    textfile::Encoding m_encoding = textfile::Encoding::Utf8;
    // The document's file as last read or written; nullopt while it has none.
    std::optional<textfile::Stamp> m_stamp;
    FileChangeNotice *m_notice = nullptr;   // asks when another program changes that file
};
