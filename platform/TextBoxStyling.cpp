// SPDX-License-Identifier: GPL-3.0-or-later
// The component's styling, which a plain text box does not use but must answer:
// until told the text is styled, the component checks the caret's whole line on
// every paint; and it walks a style run from its start to find where to draw,
// which on a line of megabytes in one style is the whole line. Texts with a long
// line therefore keep style bytes, in invisible runs of about 1 KiB (all styles
// look alike); the others keep none.
#include "platform/TextBox.h"
#include "platform/SciLoader.h"
#include <cstring>

namespace {
using Sci = QsciScintillaBase;
constexpr qint64 StyleRun = 1024;
// Runs grow where text is typed; they are made again only past this length,
// since each change of style costs a layout of the line.
constexpr qint64 LongestRun = 4 * StyleRun;
// How far past a run's nominal end its real end may move to start before an
// ASCII byte, so that a run never splits a character or a combining sequence.
constexpr qint64 RunSlack = 16;
// Runs take a copy of the text and a byte per byte: a bigger text does without.
constexpr qint64 MostStyledText = qint64(512) << 20;
}

void TextBox::PendingText::watchLines(QByteArrayView utf8)
{
    // Lines end at LF, CR or both; only whether one is long matters.
    const char *p = utf8.data(), *end = p + utf8.size();
    while (p < end && !m_longLine) {
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *stop = lf ? lf : end;
        while (const char *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(stop - p)))) {
            m_longLine = m_longLine || m_lineSoFar + (cr - p) > LongLine;
            m_lineSoFar = 0;
            p = cr + 1;
        }
        m_lineSoFar += stop - p;
        m_longLine = m_longLine || m_lineSoFar > LongLine;
        if (lf)
            m_lineSoFar = 0;
        p = lf ? lf + 1 : end;
    }
}

bool TextBox::takeStyleRuns()
{
    // The text as it is, copied into a document that keeps style bytes; the
    // copy is made away from the box, which sends no notification for it.
    const QByteArrayView text = displayBytes();
    if (text.size() > MostStyledText)
        return false;
    auto *loader = reinterpret_cast<SciLoader *>(
        send(SCI_CREATELOADER, (unsigned long)(text.size() + 64 * 1024), SC_DOCUMENTOPTION_TEXT_LARGE));
    if (!loader)
        return false;
    if (!text.isEmpty() && loader->AddData(text.data(), text.size()) != SC_STATUS_OK) {
        loader->Release();   // short of memory: the text stays as it is, without runs
        return false;
    }
    const long doc = reinterpret_cast<long>(loader->ConvertToDocument());
    send(SCI_SETDOCPOINTER, 0, doc);
    send(SCI_RELEASEDOCUMENT, 0, doc);
    return true;
}

qint64 TextBox::runEnd(qint64 from) const
{
    const qint64 nominal = from + StyleRun, length = displayLength();
    if (nominal >= length)
        return length;
    const qint64 n = qMin(RunSlack, length - nominal);
    const auto *p = reinterpret_cast<const uchar *>(send(SCI_GETRANGEPOINTER, nominal, n));
    qint64 at = 0;
    while (at < n && p[at] >= 0x80)
        ++at;
    if (at == n) {
        // No ASCII near: the next character's start.
        at = 0;
        while (at < n && (p[at] & 0xC0) == 0x80)
            ++at;
    }
    return nominal + at;
}

qint64 TextBox::restyle(qint64 from, qint64 to, qint64 enough, int before, int after)
{
    // Each run takes the first of three alike styles that differs from its
    // neighbours', so that the runs around stay as they are.
    send(SCI_STARTSTYLING, (unsigned long)from, 0);
    int style = before;
    while (from < to && from < enough) {
        const qint64 end = qMin(to, runEnd(from));
        int next = 0;
        while (next == style || (end == to && next == after))
            ++next;
        send(SCI_SETSTYLING, (unsigned long)(end - from), next);
        style = next;
        from = end;
    }
    return from;
}

void TextBox::noteStyleEdit(int position, int type, int length)
{
    if (!m_styleRuns)
        return;
    const qint64 at = widen(position, displayLength()), n = qint64(quint32(length));
    if (m_dirtyFrom < 0)
        m_dirtyFrom = m_dirtyTo = at;
    m_dirtyFrom = qMin(m_dirtyFrom, at);
    if (type & SC_MOD_BEFOREINSERT)
        m_dirtyTo = qMax(m_dirtyTo + (at <= m_dirtyTo ? n : 0), at + n);
    else
        m_dirtyTo = qMax(at, m_dirtyTo >= at + n ? m_dirtyTo - n : qMin(m_dirtyTo, at));
}

bool TextBox::runsShort(qint64 lo, qint64 hi) const
{
    // Every run that meets [lo, hi] is shorter than LongestRun (seen through a
    // window that long on either side).
    const qint64 length = displayLength();
    if (hi - lo >= LongestRun)
        return false;
    const qint64 from = qMax<qint64>(0, lo - LongestRun), to = qMin(length, hi + LongestRun);
    qint64 start = from;
    long style = send(SCI_GETSTYLEAT, from);
    for (qint64 p = from + 1; p <= to; ++p) {
        const long next = p < to ? send(SCI_GETSTYLEAT, p) : -1;
        if (next == style)
            continue;
        if (start <= hi && p >= lo && p - start >= LongestRun)
            return false;
        start = p;
        style = next;
    }
    return true;
}

void TextBox::styleAll()
{
    m_dirtyFrom = -1;
    restyle(0, displayLength(), displayLength(), -1, -1);
}

void TextBox::styleNeeded(int position)
{
    const qint64 length = displayLength();
    if (!m_styleRuns) {
        // No style bytes: only the mark that the whole text is styled.
        send(SCI_STARTSTYLING, (unsigned long)length, 0);
        return;
    }
    // The component may have laid the line out since the edits: a change of
    // style now would make it lay it out again. Text typed goes into the runs
    // around it, and only runs grown too long are made again.
    const qint64 needed = qMin(length, widen(position, length)), styled = send(SCI_GETENDSTYLED);
    const qint64 lo = m_dirtyFrom < 0 ? styled : qMin(m_dirtyFrom, styled);
    const qint64 hi = m_dirtyFrom < 0 ? styled : qMin(m_dirtyTo, length);
    if (runsShort(lo, hi)) {
        m_dirtyFrom = -1;
        send(SCI_STARTSTYLING, (unsigned long)length, 0);
        return;
    }
    const auto styleAt = [this](qint64 pos) { return int(send(SCI_GETSTYLEAT, pos)); };
    // From the start of the run before the edits to the end of the run after them.
    qint64 from = lo;
    const int own = lo > 0 ? styleAt(lo - 1) : -1;
    while (from > 0 && lo - from < 4 * StyleRun && styleAt(from - 1) == own)
        --from;
    qint64 to = hi;
    const int last = hi < length ? styleAt(hi) : -1;
    while (to < length && to - hi < 4 * StyleRun && styleAt(to) == last)
        ++to;
    const qint64 end = restyle(from, to, needed, from > 0 ? styleAt(from - 1) : -1, to < length ? styleAt(to) : -1);
    if (end < to) {
        m_dirtyFrom = end;   // the rest when it is needed
        return;
    }
    m_dirtyFrom = -1;
    send(SCI_STARTSTYLING, (unsigned long)length, 0);   // the runs after are as they were
}
