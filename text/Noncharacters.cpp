// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Noncharacters.h"
#include <algorithm>
#include <cstring>

namespace {
// Whether any of the eight bytes at p is 0xEF or above: whether any byte of the
// complement is below 0x11 (the "has a byte less than" test on a whole word).
bool holdsLeadByte(const char *p)
{
    quint64 word;
    std::memcpy(&word, p, sizeof word);
    const quint64 inverse = ~word, ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    return ((inverse - ones * 0x11) & ~inverse & highs) != 0;
}
}

int Noncharacters::lengthAt(QByteArrayView text, qsizetype i)
{
    const auto at = [&](qsizetype k) { return k < text.size() ? uchar(text[k]) : 0u; };
    const uchar lead = at(i);
    if (lead == 0xEF) {
        // U+FDD0..U+FDEF and U+FFFE, U+FFFF.
        const uchar b1 = at(i + 1), b2 = at(i + 2);
        if ((b1 == 0xB7 && b2 >= 0x90 && b2 <= 0xAF) || (b1 == 0xBF && (b2 == 0xBE || b2 == 0xBF)))
            return 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        // U+1FFFE .. U+10FFFF: the low 16 bits all ones but the last.
        const uchar b1 = at(i + 1), b2 = at(i + 2), b3 = at(i + 3);
        const bool plane = lead == 0xF0 ? b1 >= 0x9F : lead == 0xF4 ? b1 == 0x8F : true;
        if (plane && (b1 & 0x0F) == 0x0F && b1 <= 0xBF && b2 == 0xBF && (b3 == 0xBE || b3 == 0xBF))
            return 4;
    }
    return 0;
}

void Noncharacters::inserted(qint64 at, QByteArrayView text)
{
    auto it = std::lower_bound(m_starts.begin(), m_starts.end(), at);
    for (auto later = it; later != m_starts.end(); ++later)
        later->start += text.size();
    std::vector<Entry> found;
    const char *p = text.data();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        // Every noncharacter starts with a byte of 0xEF or above: skip the rest fast,
        // eight at a time where none of them is one (most text, ASCII or CJK).
        while (i + 8 <= size && !holdsLeadByte(p + i))
            i += 8;
        if (i >= size)
            break;
        if (uchar(p[i]) < 0xEF)
            continue;
        if (const int n = lengthAt(text, i)) {
            found.push_back({at + i, n});
            i += n - 1;
        }
    }
    if (!found.empty())
        m_starts.insert(it, found.begin(), found.end());
}

void Noncharacters::removed(qint64 from, qint64 to)
{
    auto first = std::lower_bound(m_starts.begin(), m_starts.end(), from);
    auto last = std::lower_bound(first, m_starts.end(), to);
    for (auto later = last; later != m_starts.end(); ++later)
        later->start -= to - from;
    m_starts.erase(first, last);
}

qint64 Noncharacters::countBefore(qint64 bytePos) const
{
    return std::lower_bound(m_starts.begin(), m_starts.end(), bytePos) - m_starts.begin();
}

std::pair<qint64, qint64> Noncharacters::around(qint64 bytePos) const
{
    auto it = std::lower_bound(m_starts.begin(), m_starts.end(), bytePos);
    if (it != m_starts.begin()) {
        --it;
        if (bytePos < it->start + it->length)
            return {it->start, it->start + it->length};
    }
    return {bytePos, bytePos};
}
