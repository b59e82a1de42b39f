// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file format's encodings, piece by piece: a file of any size goes through
// without a second copy of it in memory. Pieces may split anything (a byte-order
// mark, a character, a CR LF pair); the result is as if the whole came at once.
#include "text/Encoding.h"
#include "text/LineEnd.h"
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QList>
#include <optional>

namespace textfile {

constexpr qsizetype DefaultChunk = qsizetype(4) << 20;

// Where decoded or encoded bytes go.
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    virtual bool append(QByteArrayView bytes) = 0;   // false stops the work (no memory, no room)
    virtual bool restart() = 0;                      // forget everything appended so far
};

// File bytes to the editor's UTF-8. Any bytes decode: the encoding is the one the
// detector finds in the first bytes (see Detect.h), and a file that turns out not
// to be in it further on is read again from its start in another, in the end in
// Windows-1252, byte for byte.
class Decoder
{
public:
    // `preferred`: the user's choice, taken when the file's bytes come back from it.
    explicit Decoder(ByteSink &sink, std::optional<Encoding> preferred = {})
        : m_sink(sink), m_preferred(std::move(preferred)) {}
    enum class Step { More, Restart, Stop };
    // Restart: the text is in another encoding after all; the sink was restarted and
    // the file must be fed again from its first byte. It comes at most twice.
    Step feed(QByteArrayView bytes) { return take(bytes, false); }
    Step finish() { return take({}, true); }
    Encoding encoding() const { return m_encoding; }
    LineEnd lineEnd() const { return m_lineEnd.value_or(m_pendingCr ? LineEnd::Cr : LineEnd::Lf); }

private:
    Step take(QByteArrayView bytes, bool atEnd);
    void decide(QByteArrayView sample, bool whole);
    void begin(const Encoding &encoding);
    Step body(QByteArrayView bytes, bool atEnd);
    Step utf8(QByteArrayView bytes, bool atEnd);
    Step utf16(QByteArrayView bytes, bool atEnd);
    Step named(QByteArrayView bytes, bool atEnd);
    Step fallBack(QByteArrayView where);
    bool give(QByteArrayView utf8);

    ByteSink &m_sink;
    std::optional<Encoding> m_preferred;
    Encoding m_encoding;
    QList<Encoding> m_failed;   // encodings the file turned out not to be in
    bool m_decided = false;
    QByteArray m_head;          // the first bytes, until the detector has seen enough
    QByteArray m_carry;         // an incomplete character at the end of the last piece
    QStringDecoder m_decoder;   // UTF-16 and named encodings
    QStringEncoder m_encoder;   // encodes a named encoding's text back, to compare
    QByteArray m_unmatched;     // bytes read that the text has not been encoded back to yet
    QString m_highSurrogate;
    qint64 m_utf16Bytes = 0;
    std::optional<LineEnd> m_lineEnd;
    bool m_pendingCr = false;
};

// The editor's UTF-8 to file bytes in `encoding`, mark included. False when the
// sink stopped, or at the first character `encoding` cannot store, which then is
// in `unfit` (nothing after it is written).
bool encode(QByteArrayView utf8, const Encoding &encoding, ByteSink &out, qsizetype chunk = DefaultChunk,
            QString *unfit = nullptr);

}
