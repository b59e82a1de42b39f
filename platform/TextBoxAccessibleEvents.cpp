// SPDX-License-Identifier: GPL-3.0-or-later
// The text box's change reports to assistive technology. The box announces
// each change before it happens: a removal's text is read then, an insertion's
// once it is complete (at the next change or report). Reports go out together
// once the box has settled, and only while assistive technology listens.
#include "platform/TextBoxAccessible.h"
#include "platform/TextBox.h"
#include <climits>

namespace {
using Sci = QsciScintillaBase;
// Changes larger than this are reported without their text: a client reads
// what it needs, and a whole file's text in one event helps nobody.
constexpr qint64 LargeChange = 1 << 20;
}

QString TextBoxAccessible::changeText(qint64 at, qint64 length) const
{
    return length > LargeChange ? QString() : decoded(box()->toDisplay(at, true), box()->toDisplay(at + length));
}

void TextBoxAccessible::aboutToChange(qint64 at, qint64 length, bool insertion)
{
    if (!QAccessible::isActive()) {
        forget();
        return;
    }
    closeInsertion();
    // The start needs no position index (nor building it).
    const qint64 at16 = at == 0 ? 0 : box()->toUtf16(at);
    if (insertion) {
        m_insertion = {at, length, at16};
        scheduleFlush();
    } else if (at16 < INT_MAX) {
        queue(std::make_unique<QAccessibleTextRemoveEvent>(box(), int(at16), changeText(at, length)));
    }
}

void TextBoxAccessible::replacedWhole()
{
    // What is pending was about the old text; the new one is news as a whole.
    m_insertion = {};
    m_events.clear();
    m_events.push_back(std::make_unique<QAccessibleTextUpdateEvent>(box(), 0, QString(), QString()));
    m_document = reinterpret_cast<void *>(box()->SendScintilla(Sci::SCI_GETDOCPOINTER));
    scheduleFlush();
}

void TextBoxAccessible::closeInsertion()
{
    const Insertion in = std::exchange(m_insertion, {});
    if (in.at < 0 || in.at16 >= INT_MAX)
        return;
    const QString text = changeText(in.at, in.bytes);
    // A removal and an insertion at the same place (a replaced selection, a
    // paste over one, an undone replacement) are one update.
    if (!m_events.empty() && m_events.back()->type() == QAccessible::TextRemoved) {
        auto *removed = static_cast<QAccessibleTextRemoveEvent *>(m_events.back().get());
        if (removed->changePosition() == in.at16) {
            m_events.back() = std::make_unique<QAccessibleTextUpdateEvent>(box(), int(in.at16), removed->textRemoved(), text);
            return;
        }
    }
    queue(std::make_unique<QAccessibleTextInsertEvent>(box(), int(in.at16), text));
}

void TextBoxAccessible::queue(std::unique_ptr<QAccessibleEvent> event)
{
    m_events.push_back(std::move(event));
    scheduleFlush();
}

void TextBoxAccessible::scheduleFlush()
{
    if (m_flushQueued)
        return;
    m_flushQueued = true;
    QMetaObject::invokeMethod(&m_context, [this] { flush(); }, Qt::QueuedConnection);
}

void TextBoxAccessible::flush()
{
    m_flushQueued = false;
    if (!QAccessible::isActive()) {
        forget();
        return;
    }
    // A document put in place whole tells of no edit, whoever put it there.
    void *document = reinterpret_cast<void *>(box()->SendScintilla(Sci::SCI_GETDOCPOINTER));
    if (m_document && document != m_document)
        replacedWhole();
    m_document = document;
    closeInsertion();
    for (const auto &event : std::exchange(m_events, {}))
        QAccessible::updateAccessibility(event.get());

    const qint64 start = box()->SelStart(), end = start + box()->SelLength();
    const qint64 caret = box()->SendScintilla(Sci::SCI_GETCURRENTPOS) > box()->SendScintilla(Sci::SCI_GETANCHOR) ? end : start;
    if (caret != m_caret && caret <= INT_MAX) {
        QAccessibleTextCursorEvent moved(box(), int(caret));
        QAccessible::updateAccessibility(&moved);
    }
    if ((start != m_selStart || end != m_selEnd) && (end > start || m_selEnd > m_selStart) && start <= INT_MAX) {
        QAccessibleTextSelectionEvent selected(box(), int(start), int(qMin<qint64>(end, INT_MAX)));
        QAccessible::updateAccessibility(&selected);
    }
    m_caret = caret;
    m_selStart = start;
    m_selEnd = end;
}

void TextBoxAccessible::forget()
{
    m_insertion = {};
    m_events.clear();
    m_caret = m_selStart = m_selEnd = -1;
}
