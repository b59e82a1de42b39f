// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file format's encodings, piece by piece: a file of any size goes through
// without a second copy of it in memory. Pieces may split anything (a byte-order
// mark, a character, a CR LF pair); the result is as if the whole came at once.
#include "text/LineEnd.h"
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <optional>

namespace textfile {

enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252 };

constexpr qsizetype DefaultChunk = qsizetype(4) << 20;

// Where decoded or encoded bytes go.
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    virtual bool append(QByteArrayView bytes) = 0;   // false stops the work (no memory, no room)
    virtual bool restart() = 0;                      // forget everything appended so far
};

// File bytes to the editor's UTF-8. Any bytes decode: a file that is not valid
// UTF-8 (or UTF-16 after its mark) is read as Windows-1252, byte for byte.
class Decoder
{
public:
    explicit Decoder(ByteSink &sink) : m_sink(sink) {}
    enum class Step { More, Restart, Stop };
    // Restart: the text is Windows-1252 after all; the sink was restarted and the
    // file must be fed again from its first byte. It comes at most once.
    Step feed(QByteArrayView bytes) { return take(bytes, false); }
    Step finish() { return take({}, true); }
    Encoding encoding() const { return m_encoding; }
    LineEnd lineEnd() const { return m_lineEnd.value_or(m_pendingCr ? LineEnd::Cr : LineEnd::Lf); }

private:
    Step take(QByteArrayView bytes, bool atEnd);
    qsizetype decide(QByteArrayView first);   // the mark's length
    Step body(QByteArrayView bytes, bool atEnd);
    Step utf8(QByteArrayView bytes, bool atEnd);
    Step utf16(QByteArrayView bytes, bool atEnd);
    Step fallBack();
    bool give(QByteArrayView utf8);

    ByteSink &m_sink;
    Encoding m_encoding = Encoding::Utf8;
    bool m_decided = false;
    QByteArray m_head;      // the first bytes, until the mark is known
    QByteArray m_carry;     // an incomplete character at the end of the last piece
    QStringDecoder m_utf16;
    QString m_highSurrogate;
    qint64 m_utf16Bytes = 0;
    std::optional<LineEnd> m_lineEnd;
    bool m_pendingCr = false;
};

// The editor's UTF-8 to file bytes in `encoding`, mark included. A Windows-1252
// text that no longer fits that code page restarts the sink and is written as
// UTF-8, and `encoding` says so.
bool encode(QByteArrayView utf8, Encoding &encoding, ByteSink &out, qsizetype chunk = DefaultChunk);

}
