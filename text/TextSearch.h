// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the first occurrence of a search text, exactly or regardless of
// letter case, directly in a UTF-8 buffer such as the editor's, so a search
// never has to copy the whole document.
#include <QByteArrayView>
#include <bitset>

namespace textsearch {

enum class Compare {
    Binary,   // equal UTF-16 code units (equal bytes in UTF-8)
    Text,     // letters match regardless of case
};

// A hit in a UTF-8 buffer: bytes [start, end). Under Compare::Text the hit can
// be longer or shorter in bytes than the search text (ſ matches s).
struct Match {
    qint64 start = -1;
    qint64 end = -1;
    bool found() const { return start >= 0; }
};

// The same search on UTF-8. Either may hold invalid bytes (a truncated or
// overlong sequence, an encoded surrogate): each is a unit of its own that
// matches nothing but an identical byte.
Match findUtf8(QByteArrayView text, QByteArrayView what, Compare compare);

// The pairs of bytes that can stand either side of a point inside a hit of `what`
// (a point between two characters, or any two bytes under Compare::Binary): a text
// cut at such points (display rows) needs looking across a cut only where its
// bytes either side make one of these pairs.
class Joints
{
public:
    Joints(QByteArrayView what, Compare compare);
    bool contains(uchar before, uchar after) const { return m_pairs[size_t(before) << 8 | after]; }

private:
    std::bitset<0x10000> m_pairs;
};

// The key under which a character is compared in Compare::Text: two characters
// match when their keys are equal. Characters linked by any simple lowercase,
// uppercase, titlecase or case-folding mapping share one key (K, k and the
// Kelvin sign; S, s and ſ; Σ, σ and ς).
char32_t caseKey(char32_t c);

}
