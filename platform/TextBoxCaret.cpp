// SPDX-License-Identifier: GPL-3.0-or-later
// Where the caret may stand and what its moves end: the component steps by code
// point, which splits what a reader sees as one character (an accented letter, an
// emoji with its skin tone, a flag); and it merges typing before and after a caret
// move into one undo step, where this desktop's text boxes make two.
#include "platform/TextBox.h"
#include "text/GraphemeClusters.h"
#include <QMouseEvent>

namespace {
// Bytes looked at on either side of the caret: far more than any cluster of text
// a person writes, and the cost stays the same on a line of any length.
constexpr qint64 Reach = 256;
bool isAscii(char c) { return uchar(c) < 0x80; }
bool isLineBreak(char c) { return c == '\r' || c == '\n'; }
bool isContinuation(char c) { return (uchar(c) & 0xC0) == 0x80; }
}

qint64 TextBox::clusterEdge(qint64 pos, bool forward) const
{
    const auto ch = [this](qint64 p) { return char(send(SCI_GETCHARAT, p)); };
    const char before = pos > 0 ? ch(pos - 1) : '\n', after = ch(pos);
    // Between two ASCII characters, and beside a line break, a cluster always ends
    // (a CR LF pair is the component's to handle).
    if ((isAscii(before) && isAscii(after)) || isLineBreak(before) || isLineBreak(after) || pos >= displayLength())
        return pos;
    const long line = send(SCI_LINEFROMPOSITION, pos);
    qint64 from = qMax<qint64>(send(SCI_POSITIONFROMLINE, line), pos - Reach);
    qint64 to = qMin<qint64>(send(SCI_GETLINEENDPOSITION, line), pos + Reach);
    for (int k = 0; k < 3 && from < pos && isContinuation(ch(from)); ++k)
        ++from;
    for (int k = 0; k < 3 && to > pos && isContinuation(ch(to)); ++k)
        --to;
    const auto *p = reinterpret_cast<const char *>(send(SCI_GETRANGEPOINTER, from, to - from));
    return from + graphemes::edge(QByteArrayView(p, to - from), pos - from, forward);
}

void TextBox::endUndoStep()
{
    // An empty group closes the step being typed: the next edit starts a new one.
    send(SCI_BEGINUNDOACTION);
    send(SCI_ENDUNDOACTION);
}

void TextBox::mousePressEvent(QMouseEvent *e)
{
    endUndoStep();
    QsciScintillaBase::mousePressEvent(e);
}
