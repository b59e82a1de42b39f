// SPDX-License-Identifier: GPL-3.0-or-later
// Bringing back the text of a journal that a process left when it ended without saving,
// after putting back the files whose save it interrupted.
#include "editor/DocumentJournal.h"
#include "editor/Form1.h"
#include "editor/InterruptedSaves.h"
#include "editor/Recovery.h"
#include "platform/CommonDialog.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "platform/TextBox.h"
#include <QFileInfo>

namespace {
// The file still is what the journal's edits were made on (for a new name: still absent), or
// its bytes were put back as they were before a save that a crash interrupted.
bool stillMatches(const journal::Header &h, const QList<interrupted::Outcome> &saves)
{
    const QFileInfo info(h.path);
    if (!h.stamp)
        return !info.exists() && !info.isSymLink();
    for (const interrupted::Outcome &o : saves)
        if (o.before == *h.stamp && o.restored && textfile::stampOf(h.path) == o.restored)
            return true;
    return info.exists() && !textfile::changedSince(h.path, *h.stamp);
}

// The old bytes of a save that a crash interrupted, kept aside: what the edits were made on.
QString keptBase(const journal::Header &h, const QList<interrupted::Outcome> &saves)
{
    for (const interrupted::Outcome &o : saves)
        if (h.stamp && o.before == *h.stamp && !o.restored)
            return o.copy;
    return {};
}
}

bool Form1::offerRecovery(const QString &file)
{
    const QString dir = m_journal->folder();
    if (dir.isEmpty())
        return false;
    // First the files: a journal's edits then replay on the text they were made on.
    const QList<interrupted::Outcome> saves = interrupted::offer(this, m_services.messages, statusbar, dir);
    for (journal::Leftover &left : journal::Leftover::find(dir)) {
        const journal::Contents c = left.read();
        if (!c.header) {
            // Never deleted: the user, or whoever helps them, may still get the text out of it.
            m_services.messages.show(this, recoverytext::setAside(left.path(), left.setAside()), MsgButtons::Ok);
            continue;
        }
        if (!file.isEmpty() && c.header->path != file)
            continue;
        const bool named = !c.header->path.isEmpty() && stillMatches(*c.header, saves);
        const std::optional<bool> differs =
            c.edits.isEmpty() ? false : replayJournal(*c.header, c.edits, named, keptBase(*c.header, saves));
        if (!differs)
            continue;   // the file it was made on cannot be read now: kept for a later start
        if (!*differs) {
            left.remove();
            continue;
        }
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(left.lastChangedMs());
        const bool changed = !c.header->path.isEmpty() && !named;
        const MsgAnswer answer = m_services.messages.show(this, recoverytext::offer(c.header->path, when, changed),
                                                          MsgButtons::YesNoDefaultYes);
        if (answer != MsgAnswer::Yes) {
            newDocument();
            if (answer == MsgAnswer::No)   // unanswered (the program is ending): kept for the next start
                left.remove();
            return false;
        }
        // The text's own journal is on the disk before the old one goes.
        m_journal->sync();
        left.remove();
        return true;
    }
    return false;
}

std::optional<bool> Form1::replayJournal(const journal::Header &header, const QList<journal::Edit> &edits, bool named,
                                        const QString &keptBase)
{
    QByteArray base;
    if (named && header.stamp) {
        if (!readFile(header.path))
            return std::nullopt;
        base = Text1->bytes().toByteArray();
    } else if (named) {
        newDocument();
        cdb->setFileName(header.path);   // a name not yet written: the first Save writes it
    } else {
        // Not the file the edits were made on any more: they go onto what it holds now, untitled.
        QByteArray raw;
        const QString from = keptBase.isEmpty() ? header.path : keptBase;
        if (!from.isEmpty() && QFileInfo::exists(from)) {
            if (!textfile::read(from, raw).ok)
                return std::nullopt;
            base = textfile::decode(raw).utf8;
        }
        newDocument();
        Text1->replaceBytes(0, 0, base);
    }
    m_encoding = header.encoding;
    Text1->setLineEnd(header.lineEnd);
    for (const journal::Edit &e : edits) {
        const qint64 length = Text1->byteLength();
        if (e.at < 0 || e.removed < 0 || e.at > length || e.removed > length - e.at)
            break;   // past a corrupt record's reach: what came before stands
        Text1->replaceBytes(e.at, e.at + e.removed, e.inserted);
    }
    if (Text1->bytes() == base) {   // nothing the file (or an empty page) does not hold
        newDocument();
        return false;
    }
    return true;
}
