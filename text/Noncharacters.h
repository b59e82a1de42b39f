// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the Unicode noncharacters (U+FDD0..U+FDEF, U+xFFFE, U+xFFFF) stand in a
// UTF-8 buffer. The editing component takes their bytes for invalid ones and
// steps through them byte by byte; the text box uses this list to keep carets,
// deletions and UTF-16 positions on whole characters.
#include <QByteArrayView>
#include <utility>
#include <vector>

class Noncharacters
{
public:
    // The byte length of the noncharacter starting at text[i], or 0.
    static int lengthAt(QByteArrayView text, qsizetype i);

    bool isEmpty() const { return m_starts.empty(); }
    void clear() { m_starts.clear(); }
    // Bytes [at, at + n) were inserted: later entries move; new ones are found in `inserted`.
    void inserted(qint64 at, QByteArrayView inserted);
    // Bytes [from, to) are removed.
    void removed(qint64 from, qint64 to);

    // How many noncharacters start before `bytePos`.
    qint64 countBefore(qint64 bytePos) const;
    qint64 count() const { return qint64(m_starts.size()); }
    // The byte range [start, end) of the noncharacter that holds `bytePos`
    // strictly inside it; empty (start == end == bytePos) when none does.
    std::pair<qint64, qint64> around(qint64 bytePos) const;

private:
    struct Entry {
        qint64 start;
        int length;
        bool operator<(qint64 pos) const { return start < pos; }
    };
    std::vector<Entry> m_starts;   // sorted by start
};
