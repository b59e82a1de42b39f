// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the journal of the document's unsaved edits: opened by the first edit
// after a load or save, appended to by every edit of the box, synced to the disk
// shortly after, and deleted once the text is saved or thrown away.
#include "text/Journal.h"
#include <QObject>
#include <QTimer>
#include <functional>

class TextBox;

class DocumentJournal : public QObject
{
    Q_OBJECT
public:
    // `header` describes the document when its journal starts.
    DocumentJournal(TextBox &box, std::function<journal::Header()> header, QObject *parent,
                    journal::Clock clock = {});

    // The folder journals go to; empty (the default) keeps none, and says why at the first edit.
    void setFolder(const QString &dir, const QString &whyNone = {})
    {
        m_folder = dir;
        m_whyNone = whyNone;
    }
    QString folder() const { return m_folder; }
    // The text is as saved, or gone: its journal goes.
    void reset();
    void sync() { m_writer.sync(); }
    const journal::Writer &writer() const { return m_writer; }

    // Told once, later, when a journal cannot be written: editing goes on without it.
    std::function<void(const QString &reason)> onFailure;

private:
    void record(qint64 at, qint64 removed, QByteArrayView inserted);
    void fail(const QString &reason);

    std::function<journal::Header()> m_header;
    journal::Writer m_writer;
    QString m_folder, m_whyNone;
    QTimer m_syncTimer;
    bool m_failed = false;   // until the next reset
    bool m_told = false;
};
