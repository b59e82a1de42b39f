// SPDX-License-Identifier: GPL-3.0-or-later
// Keys on a long line shown as rows: Home and End go to the ends of the line, not
// of the row, and no key stops or acts on a break, which is not the text's.
#include "platform/TextBox.h"
#include <QKeyEvent>

qint64 TextBox::rowOfLine(qint64 i, bool last) const
{
    // Breaks end rows that follow each other while the row number less the break's
    // index stays the same; that difference never falls, so a binary search finds
    // the first or last break of break i's line.
    const auto key = [this](qint64 k) { return qint64(send(SCI_LINEFROMPOSITION, m_rows.breakAt(k))) - k; };
    const qint64 own = key(i);
    qint64 lo = 0, hi = m_rows.count();
    while (lo < hi) {
        const qint64 mid = (lo + hi) / 2;
        if (last ? key(mid) > own : key(mid) >= own)
            hi = mid;
        else
            lo = mid + 1;
    }
    return send(SCI_LINEFROMPOSITION, m_rows.breakAt(last ? lo - 1 : lo));
}

qint64 TextBox::rowsLineStart(qint64 display) const
{
    const qint64 start = send(SCI_POSITIONFROMLINE, send(SCI_LINEFROMPOSITION, display));
    if (start == 0 || !m_rows.isBreak(start - 1))
        return start;
    return send(SCI_POSITIONFROMLINE, rowOfLine(m_rows.firstFrom(start - 1), false));
}

qint64 TextBox::rowsLineEnd(qint64 display) const
{
    const qint64 end = send(SCI_GETLINEENDPOSITION, send(SCI_LINEFROMPOSITION, display));
    if (!m_rows.isBreak(end))
        return end;
    return send(SCI_GETLINEENDPOSITION, rowOfLine(m_rows.firstFrom(end), true) + 1);
}

bool TextBox::moveOverBreaks(QKeyEvent *e)
{
    if (m_rows.isEmpty())
        return false;
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const qint64 caret = send(SCI_GETCURRENTPOS), anchor = send(SCI_GETANCHOR);
    const bool empty = caret == anchor;
    switch (e->key()) {
    case Qt::Key_Home:
    case Qt::Key_End:
        if (mods & Qt::ControlModifier)
            return false;
        {
            const qint64 to = e->key() == Qt::Key_Home ? rowsLineStart(caret) : rowsLineEnd(caret);
            send(SCI_SETSEL, mods & Qt::ShiftModifier ? anchor : to, to);
            send(SCI_SCROLLCARET);
        }
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete: {
        // What goes is a character of the text: never only breaks, which a shortened line can
        // leave side by side or at its end (an undo step that changed nothing would follow).
        const qint64 from = qMin(caret, anchor), to = qMax(caret, anchor);
        if (!empty && m_rows.breaksIn(from, to) == to - from) {
            send(SCI_SETEMPTYSELECTION, caret);
            return true;
        }
        const bool back = e->key() == Qt::Key_Backspace;
        qint64 at = caret;
        while (empty && m_rows.isBreak(back ? at - 1 : at))
            at += back ? -1 : 1;
        if (at != caret)
            send(SCI_SETSEL, at, at);
        return false;
    }
    case Qt::Key_Left:
    case Qt::Key_Right:
        // A step that only crossed breaks moved nowhere in the text: more, while the caret moves.
        snapSelection();
        for (qint64 before = -1, now = caret; now != before && m_rows.toFile(now) == m_rows.toFile(caret);) {
            QsciScintillaBase::keyPressEvent(e);
            before = now;
            now = send(SCI_GETCURRENTPOS);
        }
        return true;
    default:
        return false;
    }
}
