// SPDX-License-Identifier: GPL-3.0-or-later
// The component's styling, which a plain text box does not use but must answer:
// until told the text is styled, the component checks the caret's whole line on
// every paint; and it walks a style run from its start to find where to draw,
// which on a line of megabytes in one style is the whole line. Texts with a long
// line therefore keep style bytes, in invisible runs of about 1 KiB (all styles
// look alike); the others keep none.
#include "platform/TextBox.h"
#include <cstring>

// The component's loading interface (see TextBox.cpp).
class SciLoader
{
public:
    virtual int Release() = 0;
    virtual int AddData(const char *data, std::ptrdiff_t length) = 0;
    virtual void *ConvertToDocument() = 0;

protected:
    ~SciLoader() = default;
};

namespace {
using Sci = QsciScintillaBase;
constexpr qint64 StyleRun = 1024;
// How far past a run's nominal end its real end may move to start before an
// ASCII byte, so that a run never splits a character or a combining sequence.
constexpr qint64 RunSlack = 16;
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
    const QByteArrayView text = bytes();
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

qint64 TextBox::runEnd(qint64 run) const
{
    const qint64 nominal = (run + 1) * StyleRun, length = byteLength();
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

void TextBox::styleNeeded(int position)
{
    const qint64 length = byteLength();
    if (!m_styleRuns) {
        // No style bytes: only the mark that the whole text is styled.
        send(SCI_STARTSTYLING, (unsigned long)length, 0);
        return;
    }
    styleRunsTo(qMin(length, widen(position, length)));
}

void TextBox::styleRunsTo(qint64 to)
{
    // From the run of the first unstyled byte: run k ends at runEnd(k), and
    // runs alternate between two styles that look alike.
    const qint64 styled = send(SCI_GETENDSTYLED);
    qint64 run = styled / StyleRun;
    while (run > 0 && runEnd(run - 1) > styled)
        --run;
    qint64 from = run > 0 ? runEnd(run - 1) : 0;
    send(SCI_STARTSTYLING, (unsigned long)from, 0);
    while (from < to) {
        const qint64 end = runEnd(run);
        send(SCI_SETSTYLING, (unsigned long)(end - from), long(run & 1));
        from = end;
        ++run;
    }
}
