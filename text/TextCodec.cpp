// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TextCodec.h"
#include "text/Detect.h"
#include "text/Utf8.h"
#include <cstring>

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

// False at the first character that has no Windows-1252 byte, which goes to `unfit`.
bool toCp1252(QByteArrayView utf8, QByteArray &out, QString &unfit)
{
    out.clear();
    out.reserve(utf8.size());
    const QString text = fromUtf8Text(utf8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const int b = c < 0x80 ? int(c) : unicodeToCp1252(c);
        if (b < 0) {
            unfit = text.mid(i, text[i].isHighSurrogate() ? 2 : 1);
            return false;
        }
        out.append(char(b));
    }
    return true;
}

// `text` in a named encoding; false at the first character it cannot store, which goes to `unfit`. The encoder
// and `check`, which reads its bytes back, keep a stateful encoding's state (ISO-2022-JP's) from piece to piece.
bool toNamed(const QString &text, QStringEncoder &encoder, QStringDecoder &check, QByteArray &out,
             const QByteArray &name, QString &unfit)
{
    out = encoder.encode(text);
    // Converters put a substitute for what they cannot store; reading it back shows it.
    if (!encoder.hasError() && QString(check.decode(out)) == text)
        return true;
    // Which character: blocks first, then the characters of the first block that fails.
    const auto fitsAlone = [&](const QString &part) {
        QStringEncoder alone(name.constData());
        QStringDecoder back(name.constData(), QStringConverter::Flag::ConvertInitialBom);
        const QByteArray bytes = alone.encode(part);
        return !alone.hasError() && QString(back.decode(bytes)) == part;
    };
    for (qsizetype block = 256, i = 0; i < text.size();) {
        qsizetype n = qMin(block, text.size() - i);
        if (i + n < text.size() && text[i + n - 1].isHighSurrogate())
            ++n;
        if (!fitsAlone(text.mid(i, n))) {
            if (n == 1 || (n == 2 && text[i].isHighSurrogate())) {
                unfit = text.mid(i, n);
                break;
            }
            block = 1;
            continue;
        }
        i += n;
    }
    if (unfit.isEmpty())   // no part fails alone: name the first character
        unfit = text.left(!text.isEmpty() && text[0].isHighSurrogate() ? 2 : 1);
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

QStringConverter::Encoding utf16Of(const Encoding &encoding)
{
    return encoding.kind == Encoding::Kind::Utf16LE ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
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
    if (m_decided)
        return body(bytes, atEnd);
    // The detector sees the first DetectSample bytes, or the whole of a shorter file.
    if (m_head.isEmpty() && bytes.size() >= DetectSample) {
        decide(bytes.first(DetectSample), false);
        return body(bytes.sliced(m_encoding.markBytes().size()), atEnd);
    }
    const qsizetype n = qMin(DetectSample - m_head.size(), bytes.size());
    m_head += bytes.first(n);
    bytes = bytes.sliced(n);
    if (m_head.size() < DetectSample && !atEnd)
        return Step::More;
    const QByteArray head = std::exchange(m_head, {});
    decide(head, atEnd);
    const Step s = body(QByteArrayView(head).sliced(m_encoding.markBytes().size()), atEnd);
    return s != Step::More || atEnd ? s : body(bytes, false);
}

void Decoder::decide(QByteArrayView sample, bool whole)
{
    m_decided = true;
    begin(detect(sample, whole, {}, m_preferred));
}

void Decoder::begin(const Encoding &encoding)
{
    m_encoding = encoding;
    switch (encoding.kind) {
    case Encoding::Kind::Utf16LE:
    case Encoding::Kind::Utf16BE:
        // The file's own mark is skipped before: a U+FEFF that follows it is text.
        m_decoder = QStringDecoder(utf16Of(encoding), QStringConverter::Flag::ConvertInitialBom);
        break;
    case Encoding::Kind::Named:
        m_decoder = QStringDecoder(encoding.name.constData(), QStringConverter::Flag::ConvertInitialBom);
        m_encoder = QStringEncoder(encoding.name.constData());
        break;
    case Encoding::Kind::Utf8:
    case Encoding::Kind::Windows1252:
        break;
    }
}

Decoder::Step Decoder::body(QByteArrayView bytes, bool atEnd)
{
    switch (m_encoding.kind) {
    case Encoding::Kind::Utf8:
        return utf8(bytes, atEnd);
    case Encoding::Kind::Utf16LE:
    case Encoding::Kind::Utf16BE:
        return utf16(bytes, atEnd);
    case Encoding::Kind::Named:
        return named(bytes, atEnd);
    case Encoding::Kind::Windows1252:
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
            return fallBack(bytes);
        if (!give(std::exchange(m_carry, {})))
            return Step::Stop;
    }
    const qsizetype whole = atEnd ? bytes.size() : wholeCharacters(bytes);
    const QByteArrayView text = bytes.first(whole);
    if (!text.isValidUtf8())
        return fallBack(bytes);
    if (!text.isEmpty() && !give(text))
        return Step::Stop;
    m_carry = bytes.sliced(whole).toByteArray();
    return Step::More;
}

Decoder::Step Decoder::utf16(QByteArrayView bytes, bool atEnd)
{
    m_utf16Bytes += bytes.size();
    QString text = std::exchange(m_highSurrogate, {}) + m_decoder.decode(bytes);
    // A pair may straddle two pieces.
    if (!atEnd && !text.isEmpty() && text.back().isHighSurrogate()) {
        m_highSurrogate = text.back();
        text.chop(1);
    }
    if (m_decoder.hasError() || hasLoneSurrogate(text) || (atEnd && m_utf16Bytes % 2))
        return fallBack(bytes);
    return text.isEmpty() || give(text.toUtf8()) ? Step::More : Step::Stop;
}

Decoder::Step Decoder::named(QByteArrayView bytes, bool atEnd)
{
    QString text = std::exchange(m_highSurrogate, {}) + m_decoder.decode(bytes);
    if (!atEnd && !text.isEmpty() && text.back().isHighSurrogate()) {
        m_highSurrogate = text.back();
        text.chop(1);
    }
    // The text holds only while it encodes back to the very bytes it came from; the
    // decoder may hold back the start of a character cut off at the end of the piece.
    m_unmatched += bytes;
    const QByteArray back = m_encoder.encode(text);
    if (m_decoder.hasError() || m_encoder.hasError() || hasLoneSurrogate(text) || !m_unmatched.startsWith(back)
        || (atEnd && m_unmatched.size() != back.size()))
        return fallBack(bytes);
    m_unmatched.remove(0, back.size());
    return text.isEmpty() || give(text.toUtf8()) ? Step::More : Step::Stop;
}

Decoder::Step Decoder::fallBack(QByteArrayView where)
{
    if (!m_sink.restart())
        return Step::Stop;
    // Never a mark now: the file does not start where `where` does. The detector
    // looks from the start of the line where the piece leaves ASCII: no character is cut there.
    m_failed << m_encoding << Encoding::Utf8 << Encoding::Utf8Bom << Encoding::Utf16LE << Encoding::Utf16BE;
    const auto beyondAscii = std::find_if(where.begin(), where.end(), [](char c) { return uchar(c) >= 0x80; });
    where = where.sliced(where.first(beyondAscii - where.begin()).lastIndexOf('\n') + 1);
    const QByteArrayView sample = where.first(qMin(where.size(), DetectSample));
    begin(m_failed.size() > 5 ? Encoding::Windows1252 : detect(sample, false, m_failed));
    m_carry.clear();
    m_unmatched.clear();
    m_highSurrogate.clear();
    m_utf16Bytes = 0;
    m_lineEnd.reset();
    m_pendingCr = false;
    return Step::Restart;
}

bool Decoder::give(QByteArrayView utf8)
{
    // The first line end decides the document's; the text after it is not looked at.
    // A text of one long line has none: memchr reads it many times faster than a loop.
    if (!m_lineEnd && !utf8.isEmpty()) {
        const char *p = utf8.data(), *end = p + utf8.size();
        const auto lf = static_cast<const char *>(std::memchr(p, '\n', size_t(utf8.size())));
        const auto cr = m_pendingCr ? p - 1
                                    : static_cast<const char *>(std::memchr(p, '\r', size_t((lf ? lf : end) - p)));
        if (cr && cr + 1 == end)
            m_pendingCr = true;
        else if (cr)
            m_lineEnd = cr[1] == '\n' ? LineEnd::CrLf : LineEnd::Cr;
        else if (lf)
            m_lineEnd = LineEnd::Lf;
    }
    return m_sink.append(utf8);
}

bool encode(QByteArrayView utf8, const Encoding &encoding, ByteSink &out, qsizetype chunk, QString *unfit)
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
    if (!out.append(encoding.markBytes()))
        return false;
    QString missing;
    const auto report = [&] {
        if (unfit)
            *unfit = missing;
        return false;
    };
    switch (encoding.kind) {
    case Encoding::Kind::Utf8:
        return pieces([&](QByteArrayView piece) { return out.append(piece); });
    case Encoding::Kind::Utf16LE:
    case Encoding::Kind::Utf16BE: {
        QStringEncoder encoder(utf16Of(encoding));
        return pieces([&](QByteArrayView piece) {
            return out.append(QByteArray(encoder.encode(fromUtf8Text(piece))));
        });
    }
    case Encoding::Kind::Windows1252: {
        QByteArray bytes;
        return pieces([&](QByteArrayView piece) {
            return (toCp1252(piece, bytes, missing) || report()) && out.append(bytes);
        });
    }
    case Encoding::Kind::Named:
        break;
    }
    QStringEncoder encoder(encoding.name.constData());
    QStringDecoder check(encoding.name.constData(), QStringConverter::Flag::ConvertInitialBom);
    QByteArray bytes;
    return pieces([&](QByteArrayView piece) {
        return (toNamed(fromUtf8Text(piece), encoder, check, bytes, encoding.name, missing) || report())
               && out.append(bytes);
    });
}

}
