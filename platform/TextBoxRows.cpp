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
        // From a row's start, what goes is the character before the break.
        if (empty && caret > 0 && m_rows.isBreak(caret - 1))
            send(SCI_SETSEL, caret - 1, caret - 1);
        return false;
    case Qt::Key_Delete:
        if (empty && m_rows.isBreak(caret))
            send(SCI_SETSEL, caret + 1, caret + 1);
        return false;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // A step that only crossed a break moved nowhere in the text: one more.
        snapSelection();
        QsciScintillaBase::keyPressEvent(e);
        if (const qint64 now = send(SCI_GETCURRENTPOS); now != caret && m_rows.toFile(now) == m_rows.toFile(caret))
            QsciScintillaBase::keyPressEvent(e);
        return true;
    default:
        return false;
    }
}
