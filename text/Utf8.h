// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// UTF-8 bytes as a QString, every character kept: QString::fromUtf8 drops a
// U+FEFF that starts the bytes, which in a text is a character like any other.
#include <QByteArrayView>
#include <QStringDecoder>
#include <QtAlgorithms>
#include <cstring>

inline QString fromUtf8Text(QByteArrayView utf8)
{
    return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom)
        .decode(utf8);
}

// UTF-16 decoders let unpaired surrogates through, and UTF-8 cannot hold them.
inline bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

// UTF-16 units of the characters whose first byte is among eight bytes of valid UTF-8.
inline int utf16UnitsStartingIn(const char *eight)
{
    constexpr quint64 High = 0x8080808080808080u;
    quint64 w;
    std::memcpy(&w, eight, 8);
    // Continuation bytes are 10xxxxxx; a lead of four bytes (two units) is 11110xxx.
    const quint64 continuation = w & ~(w << 1) & High;
    const quint64 fourBytes = w & (w << 1) & (w << 2) & (w << 3) & High;
    return 8 - qPopulationCount(continuation) + qPopulationCount(fourBytes);
}

// The UTF-16 length of valid UTF-8: a unit per character, two past U+FFFF. Eight
// bytes at a time: a caret's position on a line of megabytes is asked at each move.
inline qint64 utf16Length(QByteArrayView utf8)
{
    const char *p = utf8.data();
    const qsizetype n = utf8.size();
    qint64 units = 0;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8)
        units += utf16UnitsStartingIn(p + i);
    for (; i < n; ++i) {
        const auto b = static_cast<unsigned char>(p[i]);
        units += int((b & 0xC0) != 0x80) + int(b >= 0xF0);
    }
    return units;
}

// How many bytes of valid UTF-8 hold its first `units` UTF-16 units; a position
// between the two halves of a surrogate pair stays before the pair.
inline qsizetype utf8Prefix(QByteArrayView utf8, qint64 units)
{
    const char *p = utf8.data();
    const qsizetype n = utf8.size();
    qsizetype i = 0;
    // Whole steps of eight bytes while the position lies beyond them (a step may
    // end inside a character: its other bytes are passed over below).
    for (int u = 0; i + 8 <= n && (u = utf16UnitsStartingIn(p + i)) < units; i += 8)
        units -= u;
    for (; i < n; ++i) {
        const auto b = static_cast<unsigned char>(p[i]);
        if ((b & 0xC0) == 0x80)
            continue;
        units -= b >= 0xF0 ? 2 : 1;
        if (units < 0)
            break;
    }
    return i;
}
