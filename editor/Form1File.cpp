// SPDX-License-Identifier: GPL-3.0-or-later
// File commands, reading and writing the document, and the menu-state timer of the main window.
#include "editor/Form1.h"
#include "editor/DocumentJournal.h"
#include "editor/Form1Def.h"
#include "editor/FileChangeNotice.h"
#include "platform/CommonDialog.h"
#include "platform/Dialogs.h"
#include "platform/LongWork.h"
#include "platform/Memory.h"
#include "platform/Services.h"
#include "platform/StatusBar.h"
#include "platform/TextBox.h"
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>

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

void Form1::startWith(const QString &path, const std::optional<textfile::Encoding> &encoding)
{
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {   // a dangling link is reported, not replaced
        FileNum = FreeFile();
        readFile(path, encoding);
        return;
    }
    newDocument();
    m_encoding = encoding.value_or(m_encoding);
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

bool Form1::saveTo(const QString &path, QByteArray &copy)
{
    // Another program changed or replaced the file since it was read or written here.
    if (m_stamp && path == cdb->FileName() && textfile::changedSince(path, *m_stamp)
        && m_services.messages.show(this, form1text::changedOnDisk(),
                                    MsgButtons::YesNo) != MsgAnswer::Yes) {
        Saved = false;   // the file no longer holds this text: the next Exit asks
        return false;
    }
    // The copy is the text written, held for the write only: it shares the box's
    // buffer, which nothing changes while the write runs.
    const QByteArrayView text = Text1->bytes();
    copy = QByteArray::fromRawData(text.data(), text.size());
    const auto release = qScopeGuard([&copy] { copy = QByteArray(); });
    textfile::Encoding encoding = m_encoding;
    textfile::Result r;
    for (;;) {
        LongWork::run(statusbar, [&](LongWork::Progress &progress) {
            r = textfile::write(path, copy, encoding, [&](qint64 done, qint64 total) { progress.report(done, total); });
        });
        if (r.unfit.isEmpty())
            break;
        // Never a silent change of encoding, nor a character lost: the user decides.
        if (m_services.messages.show(this, form1text::cannotStore(encoding.displayName(), r.unfit), MsgButtons::YesNo)
            != MsgAnswer::Yes) {
            Saved = false;
            return false;
        }
        encoding = textfile::Encoding::Utf8;
    }
    if (!r.ok) {
        showFailure(form1text::cannotSave(path), r.error);
        return false;
    }
    m_encoding = encoding;
    cdb->setFileName(path);
    m_stamp = r.stamp;
    m_notice->follow(path, m_stamp);
    Saved = true;
    m_journal->reset();
    return true;
}

namespace {
// The decoded text goes straight into a new text for the box, which keeps
// showing the old one until the new one is whole. The new text is made on the
// reading thread: making room for a big file takes a moment.
class PendingSink final : public textfile::ByteSink
{
public:
    PendingSink(TextBox &box, qint64 sizeHint) : m_box(box), m_hint(sizeHint) {}
    bool append(QByteArrayView utf8) override
    {
        if (!m_text)
            m_text = m_box.newText(m_hint);
        outOfMemory = !m_text->append(utf8);
        return !outOfMemory;
    }
    bool restart() override
    {
        m_text.reset();   // the old one goes first: never two at a time
        return true;
    }
    bool finish()
    {
        outOfMemory = m_text && !m_text->finish();
        return !outOfMemory;
    }
    std::unique_ptr<TextBox::PendingText> take() { return m_text ? std::move(m_text) : m_box.newText(0); }
    bool outOfMemory = false;

private:
    TextBox &m_box;
    qint64 m_hint;
    std::unique_ptr<TextBox::PendingText> m_text;
};
}

bool Form1::readFile(const QString &path, const std::optional<textfile::Encoding> &encoding)
{
    // Busy until the new text is in and laid out, which on a long line takes a while too.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    PendingSink sink(*Text1, QFileInfo(path).size());
    textfile::Decoder decoder(sink, encoding);
    textfile::ReadOptions options;
    options.memoryAvailable = m_services.memory.available();
    textfile::Result r;
    LongWork::run(statusbar, [&](LongWork::Progress &progress) {
        options.progress = [&](qint64 done, qint64 total) { progress.report(done, total); };
        r = textfile::read(path, decoder, options);
        r.ok = r.ok && sink.finish();
    });
    if (!r.ok) {
        showFailure(form1text::cannotOpen(path), sink.outOfMemory ? QString::fromLocal8Bit(std::strerror(ENOMEM)) : r.error);
        return false;
    }
    m_encoding = decoder.encoding();
    Text1->setLineEnd(decoder.lineEnd());
    Text1->adopt(sink.take());
    cdb->setFileName(path);
    m_stamp = r.stamp;
    m_notice->follow(path, m_stamp);
    // Loading is not an edit: the text is as saved as the file it came from.
    Saved = true;
    return true;
}
