// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/DocumentJournal.h"
#include "platform/TextBox.h"

DocumentJournal::DocumentJournal(TextBox &box, std::function<journal::Header()> header, QObject *parent,
                                 journal::Clock clock)
    : QObject(parent), m_header(std::move(header)), m_writer(std::move(clock))
{
    connect(&box, &TextBox::edited, this, &DocumentJournal::record);
    // A load puts a whole new text in, as saved as its file.
    connect(&box, &TextBox::textReplaced, this, &DocumentJournal::reset);
    m_syncTimer.setSingleShot(true);
    connect(&m_syncTimer, &QTimer::timeout, this, [this] {
        m_writer.syncIfDue();
        if (m_writer.syncDueIn() > 0)
            m_syncTimer.start(int(m_writer.syncDueIn()));
    });
}

void DocumentJournal::reset()
{
    m_writer.discard();
    m_syncTimer.stop();
    m_failed = false;
}

void DocumentJournal::record(qint64 at, qint64 removed, QByteArrayView inserted)
{
    if (m_failed || (removed == 0 && inserted.isEmpty()))
        return;
    if (m_folder.isEmpty())
        return m_whyNone.isEmpty() ? void() : fail(m_whyNone);
    if ((!m_writer.isOpen() && !m_writer.open(m_folder, m_header())) || !m_writer.append(at, removed, inserted))
        return fail(m_writer.error());
    if (!m_syncTimer.isActive())
        m_syncTimer.start(int(qMax<qint64>(0, m_writer.syncDueIn())));
}

void DocumentJournal::fail(const QString &reason)
{
    // What reached the journal stays; it stops here, until the text is saved.
    m_failed = true;
    if (m_told || !onFailure)
        return;
    m_told = true;
    // Not from inside the box's edit: a message box would run while the edit is half done.
    QMetaObject::invokeMethod(this, [this, reason] { onFailure(reason); }, Qt::QueuedConnection);
}
