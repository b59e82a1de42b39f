// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DisplayRows.h"
#include <QChar>
#include <algorithm>
#include <cstring>
#include <utility>

namespace {
bool isContinuation(uchar c) { return (c & 0xC0) == 0x80; }

// The code point starting at text[i], or 0 when it is not all there yet. Asked once a
// row, so without a string of its own; the bytes of a malformed one give some value,
// which at worst moves a cut on.
char32_t codePointAt(QByteArrayView text, qsizetype i)
{
    const uchar c = uchar(text[i]);
    if (c < 0x80)
        return c;
    const int n = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (i + n > text.size())
        return 0;
    char32_t cp = c & (0x3F >> (n - 1));
    for (int k = 1; k < n; ++k)
        cp = (cp << 6) | (uchar(text[i + k]) & 0x3F);
    return cp;
}

// A row may end before this character: not inside what a reader sees as one
// character (a combining mark, a joiner, a variation selector or skin tone after it).
bool startsCharacter(char32_t cp)
{
    if (cp < 0x300)   // before the first combining mark
        return cp != 0;
    if (cp == 0x200D || (cp >= 0x1F3FB && cp <= 0x1F3FF))
        return false;
    const QChar::Category cat = QChar::category(cp);
    return cat != QChar::Mark_NonSpacing && cat != QChar::Mark_SpacingCombining && cat != QChar::Mark_Enclosing;
}

// East Asian text may break between any two ideographs or kana; their
// punctuation, which must not start a row, is not among these.
bool breaksBefore(char32_t cp)
{
    return (cp >= 0x3041 && cp <= 0x30FA) || (cp >= 0x3400 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF)
           || (cp >= 0x20000 && cp <= 0x3FFFF);
}

const char *lineEnd(const char *p, const char *end)
{
    const char *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
    const char *cr = static_cast<const char *>(std::memchr(p, '\r', size_t((lf ? lf : end) - p)));
    return cr ? cr : lf;
}
}

bool DisplayRows::isBreak(qint64 display) const { return std::binary_search(m_at.begin(), m_at.end(), display); }

qint64 DisplayRows::firstFrom(qint64 display) const
{
    return std::lower_bound(m_at.begin(), m_at.end(), display) - m_at.begin();
}

qint64 DisplayRows::breaksIn(qint64 from, qint64 to) const { return to <= from ? 0 : firstFrom(to) - firstFrom(from); }

qint64 DisplayRows::toFile(qint64 display) const { return display - firstFrom(display); }

qint64 DisplayRows::toDisplay(qint64 file, bool nextRow) const
{
    // Break i stands before file position m_at[i] - i, which grows with i.
    qint64 lo = 0, hi = count();
    while (lo < hi) {
        const qint64 mid = (lo + hi) / 2;
        if (m_at[size_t(mid)] - mid < file)
            lo = mid + 1;
        else
            hi = mid;
    }
    const bool onBreak = lo < count() && m_at[size_t(lo)] - lo == file;
    return file + lo + (onBreak && nextRow ? 1 : 0);
}

void DisplayRows::strip(QByteArrayView text, qint64 at, QByteArray &out) const
{
    // One resize and plain copies: a search strips a break every row, hundreds of thousands.
    const size_t first = size_t(firstFrom(at)), last = size_t(firstFrom(at + text.size()));
    out.resize(text.size() - qsizetype(last - first));
    char *to = out.data();
    qint64 from = 0;
    for (size_t i = first; i < last; ++i) {
        const qint64 n = m_at[i] - at - from;
        std::memcpy(to, text.data() + from, size_t(n));
        to += n;
        from += n + 1;
    }
    std::memcpy(to, text.data() + from, size_t(text.size() - from));
}

void DisplayRows::shift(size_t from, qint64 by)
{
    for (size_t i = from; i < m_at.size(); ++i)
        m_at[i] += by;
}

const std::vector<qint64> *DisplayRows::insertionBreaks(By by, qint64 length) const
{
    if (by == By::User)
        return length == m_pendingLength ? &m_pending : nullptr;
    if (by == By::Undo)
        return m_current > 0 ? &m_actions[m_current - 1] : nullptr;
    return m_current < m_actions.size() ? &m_actions[m_current] : nullptr;
}

qint64 DisplayRows::breaksToInsert(By by, qint64 length) const
{
    const std::vector<qint64> *breaks = insertionBreaks(by, length);
    return breaks ? qint64(breaks->size()) : 0;
}

void DisplayRows::step(By by, std::vector<qint64> breaks)
{
    if (by == By::User) {
        m_actions.resize(m_current);
        m_actions.push_back(std::move(breaks));
        ++m_current;
    } else if (by == By::Undo) {
        m_current -= m_current > 0 ? 1 : 0;
    } else {
        m_current += m_current < m_actions.size() ? 1 : 0;
    }
}

void DisplayRows::beforeInsert(qint64 at, qint64 length, By by)
{
    const std::vector<qint64> *own = insertionBreaks(by, length);
    const std::vector<qint64> breaks = own ? *own : std::vector<qint64>();
    if (by == By::User) {
        m_pending.clear();
        m_pendingLength = -1;
    }
    step(by, breaks);
    const auto first = size_t(firstFrom(at));
    shift(first, length);
    std::vector<qint64> added;
    for (qint64 r : breaks)
        added.push_back(at + r);
    m_at.insert(m_at.begin() + qsizetype(first), added.begin(), added.end());
}

void DisplayRows::beforeDelete(qint64 at, qint64 length, By by)
{
    const auto first = size_t(firstFrom(at)), last = size_t(firstFrom(at + length));
    std::vector<qint64> breaks;
    for (size_t i = first; by == By::User && i < last; ++i)
        breaks.push_back(m_at[i] - at);
    step(by, std::move(breaks));
    m_at.erase(m_at.begin() + qsizetype(first), m_at.begin() + qsizetype(last));
    shift(first, -length);
}

bool DisplayRows::Cutter::feed(QByteArrayView text, const Put &put)
{
    const char *base = text.data();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (m_long) {
            if (!cutRows(text, i, put))
                return false;
            continue;
        }
        // Lines that end within LongestWhole bytes go on whole, as many as follow each other.
        const qsizetype from = i;
        qint64 line = m_head.size();   // the current line's bytes before i
        while (i < n) {
            const char *e = lineEnd(base + i, base + qMin<qint64>(n, i + LongestWhole - line + 1));
            if (!e)
                break;
            i = e - base + 1;
            line = 0;
        }
        if (i > from && ((!m_head.isEmpty() && !put(std::exchange(m_head, {}), false))
                         || !put(text.sliced(from, i - from), false)))
            return false;
        if (line + (n - i) <= LongestWhole) {   // it may still end in time
            m_head.append(text.sliced(i));
            return true;
        }
        // A long line: rows from its start, the bytes held back first.
        m_long = true;
        m_row = 0;
        m_last = '\n';
        const QByteArray head = std::exchange(m_head, {});
        for (qsizetype j = 0; j < head.size();) {
            if (!cutRows(head, j, put))
                return false;
        }
    }
    return true;
}

bool DisplayRows::Cutter::finish(const Put &put)
{
    return m_head.isEmpty() || put(std::exchange(m_head, {}), false);
}

bool DisplayRows::Cutter::cutRows(QByteArrayView text, qsizetype &from, const Put &put)
{
    const char *base = text.data();
    qsizetype i = from;
    bool due = false;
    while (i < text.size() && m_long) {
        if (m_row < Row) {
            // Up to the row's length, only a line end matters.
            const qsizetype window = qsizetype(qMin<qint64>(Row - m_row, text.size() - i));
            if (const char *e = lineEnd(base + i, base + i + window)) {
                m_long = false;
                i = e - base + 1;
            } else {
                m_row += window;
                m_last = base[i + window - 1];
                i += window;
            }
            continue;
        }
        const uchar c = uchar(base[i]);
        if (c == '\n' || c == '\r') {
            m_long = false;
            ++i;
            continue;
        }
        // After a space, or a comma with no space after it (minified data), or
        // before an ideograph; else once Slack bytes have gone by.
        const bool wanted = m_last == ' ' || (m_last == ',' && c != ' ') || m_row >= Row + Slack;
        if ((wanted || c >= 0xE3) && !isContinuation(c)) {
            const char32_t cp = codePointAt(text, i);
            if (startsCharacter(cp) && (wanted || breaksBefore(cp))) {
                due = true;
                m_row = 0;
                break;
            }
        }
        ++m_row;
        m_last = char(c);
        ++i;
    }
    const QByteArrayView piece = text.sliced(from, i - from);
    from = i;
    return put(piece, due);
}

QByteArray DisplayRows::cut(QByteArrayView utf8, std::vector<qint64> &relative)
{
    QByteArray out;
    out.reserve(utf8.size() + utf8.size() / Row + 1);
    const Cutter::Put put = [&](QByteArrayView piece, bool breakAfter) {
        out.append(piece);
        if (breakAfter) {
            relative.push_back(out.size());
            out.append('\n');
        }
        return true;
    };
    Cutter cutter;
    cutter.feed(utf8, put);
    cutter.finish(put);
    return out;
}

bool DisplayRows::hasLongLine(QByteArrayView utf8)
{
    const char *p = utf8.data(), *end = p + utf8.size();
    while (end - p > LongestWhole) {
        const char *e = lineEnd(p, p + LongestWhole + 1);
        if (!e)
            return true;
        p = e + 1;
    }
    return false;
}
