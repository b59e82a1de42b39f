// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TextCodec.h"
#include "text/Utf8.h"

namespace textfile {

namespace {
// Windows-1252 0x80..0x9F; the five undefined bytes map to the C1 controls.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t cp1252ToUnicode(uchar b) { return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b); }

int unicodeToCp1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c)
            return 0x80 + i;
    return -1;
}

QByteArray fromCp1252(QByteArrayView raw)
{
    QByteArray out;
    out.reserve(raw.size() + raw.size() / 4);
    for (char ch : raw) {
        const uchar b = uchar(ch);
        if (b < 0x80) {
            out.append(ch);
            continue;
        }
        const char16_t u = cp1252ToUnicode(b);
        if (u < 0x800) {
            out.append(char(0xC0 | (u >> 6)));
        } else {
            out.append(char(0xE0 | (u >> 12)));
            out.append(char(0x80 | ((u >> 6) & 0x3F)));
        }
        out.append(char(0x80 | (u & 0x3F)));
    }
    return out;
}

// False when some character has no Windows-1252 byte.
bool toCp1252(QByteArrayView utf8, QByteArray &out)
{
    out.clear();
    out.reserve(utf8.size());
    const QString text = fromUtf8Text(utf8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const int b = c < 0x80 ? int(c) : unicodeToCp1252(c);
        if (b < 0)
            return false;
        out.append(char(b));
    }
    return true;
}

bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

// Bytes of the UTF-8 sequence a byte starts; 1 for anything that cannot start one.
qsizetype sequenceLength(uchar lead)
{
    return lead >= 0xF0 && lead <= 0xF7 ? 4 : lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xC0 && lead < 0xE0 ? 2 : 1;
}

// Where the last whole character of `bytes` ends (an incomplete one is left over).
qsizetype wholeCharacters(QByteArrayView bytes)
{
    for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const uchar b = uchar(bytes[bytes.size() - back]);
        if ((b & 0xC0) != 0x80)
            return sequenceLength(b) > back ? bytes.size() - back : bytes.size();
    }
    return bytes.size();
}

// A character boundary near `pos`, never before `from` unless at it.
qsizetype boundaryNear(QByteArrayView utf8, qsizetype from, qsizetype pos)
{
    qsizetype end = pos;
    while (end > from && end < utf8.size() && (uchar(utf8[end]) & 0xC0) == 0x80)
        --end;
    if (end == from)
        for (end = pos; end < utf8.size() && (uchar(utf8[end]) & 0xC0) == 0x80;)
            ++end;
    return end;
}
}

Decoder::Step Decoder::take(QByteArrayView bytes, bool atEnd)
{
    if (!m_decided) {
        // The mark decides the encoding: wait for three bytes (or the end).
        if (!m_head.isEmpty() || bytes.size() < 3) {
            const qsizetype n = qMin(3 - m_head.size(), bytes.size());
            m_head += bytes.first(n);
            bytes = bytes.sliced(n);
            if (m_head.size() < 3 && !atEnd)
                return Step::More;
        }
        const QByteArray head = std::exchange(m_head, {});
        const qsizetype mark = decide(head.isEmpty() ? bytes : QByteArrayView(head));
        if (head.isEmpty()) {
            bytes = bytes.sliced(mark);
        } else if (const Step s = body(QByteArrayView(head).sliced(mark), false); s != Step::More) {
            return s;
        }
    }
    return body(bytes, atEnd);
}

qsizetype Decoder::decide(QByteArrayView first)
{
    m_decided = true;
    if (first.startsWith("\xEF\xBB\xBF")) {
        m_encoding = Encoding::Utf8Bom;
        return 3;
    }
    const bool le = first.startsWith("\xFF\xFE");
    if (le || first.startsWith("\xFE\xFF")) {
        m_encoding = le ? Encoding::Utf16LE : Encoding::Utf16BE;
        // The file's own mark is skipped here: a U+FEFF that follows it is text.
        m_utf16 = QStringDecoder(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                                 QStringConverter::Flag::ConvertInitialBom);
        return 2;
    }
    m_encoding = Encoding::Utf8;
    return 0;
}

Decoder::Step Decoder::body(QByteArrayView bytes, bool atEnd)
{
    switch (m_encoding) {
    case Encoding::Utf8:
    case Encoding::Utf8Bom:
        return utf8(bytes, atEnd);
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        return utf16(bytes, atEnd);
    case Encoding::Windows1252:
        break;
    }
    return bytes.isEmpty() || give(fromCp1252(bytes)) ? Step::More : Step::Stop;
}

Decoder::Step Decoder::utf8(QByteArrayView bytes, bool atEnd)
{
    if (!m_carry.isEmpty()) {
        // Complete the character the last piece ended in.
        const qsizetype length = sequenceLength(uchar(m_carry[0]));
        const qsizetype n = qMin(length - m_carry.size(), bytes.size());
        m_carry += bytes.first(n);
        bytes = bytes.sliced(n);
        if (m_carry.size() < length && !atEnd)
            return Step::More;
        if (!QByteArrayView(m_carry).isValidUtf8())
            return fallBack();
        if (!give(std::exchange(m_carry, {})))
            return Step::Stop;
    }
    const qsizetype whole = atEnd ? bytes.size() : wholeCharacters(bytes);
    const QByteArrayView text = bytes.first(whole);
    if (!text.isValidUtf8())
        return fallBack();
    if (!text.isEmpty() && !give(text))
        return Step::Stop;
    m_carry = bytes.sliced(whole).toByteArray();
    return Step::More;
}

Decoder::Step Decoder::utf16(QByteArrayView bytes, bool atEnd)
{
    m_utf16Bytes += bytes.size();
    QString text = std::exchange(m_highSurrogate, {}) + m_utf16.decode(bytes);
    // A pair may straddle two pieces.
    if (!atEnd && !text.isEmpty() && text.back().isHighSurrogate()) {
        m_highSurrogate = text.back();
        text.chop(1);
    }
    // The decoder lets lone surrogates through, and UTF-8 cannot hold them.
    if (m_utf16.hasError() || hasLoneSurrogate(text) || (atEnd && m_utf16Bytes % 2))
        return fallBack();
    return text.isEmpty() || give(text.toUtf8()) ? Step::More : Step::Stop;
}

Decoder::Step Decoder::fallBack()
{
    if (!m_sink.restart())
        return Step::Stop;
    m_encoding = Encoding::Windows1252;
    m_carry.clear();
    m_lineEnd.reset();
    m_pendingCr = false;
    return Step::Restart;
}

bool Decoder::give(QByteArrayView utf8)
{
    // The first line end decides the document's; the text after it is not looked at.
    for (qsizetype i = 0; !m_lineEnd && i < utf8.size(); ++i) {
        if (m_pendingCr)
            m_lineEnd = utf8[i] == '\n' ? LineEnd::CrLf : LineEnd::Cr;
        else if (utf8[i] == '\n')
            m_lineEnd = LineEnd::Lf;
        m_pendingCr = utf8[i] == '\r';
    }
    return m_sink.append(utf8);
}

bool encode(QByteArrayView utf8, Encoding &encoding, ByteSink &out, qsizetype chunk)
{
    const auto pieces = [&](auto &&convert) {
        for (qsizetype from = 0; from < utf8.size();) {
            const qsizetype to = boundaryNear(utf8, from, qMin(utf8.size(), from + chunk));
            if (!convert(utf8.sliced(from, to - from)))
                return false;
            from = to;
        }
        return true;
    };
    const auto plain = [&](QByteArrayView piece) { return out.append(piece); };
    switch (encoding) {
    case Encoding::Utf8:
        return pieces(plain);
    case Encoding::Utf8Bom:
        return out.append("\xEF\xBB\xBF") && pieces(plain);
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const bool le = encoding == Encoding::Utf16LE;
        QStringEncoder encoder(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return out.append(le ? "\xFF\xFE" : "\xFE\xFF")
            && pieces([&](QByteArrayView piece) { return out.append(QByteArray(encoder.encode(fromUtf8Text(piece)))); });
    }
    case Encoding::Windows1252: {
        QByteArray bytes;
        bool fits = true;
        const bool done = pieces([&](QByteArrayView piece) { return (fits = toCp1252(piece, bytes)) && out.append(bytes); });
        if (done || fits)
            return done;
        break;
    }
    }
    if (!out.restart())
        return false;
    encoding = Encoding::Utf8;
    return pieces(plain);
}

}
