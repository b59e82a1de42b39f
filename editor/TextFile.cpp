#include "editor/TextFile.h"
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>
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

// False when some character has no Windows-1252 byte.
bool toCp1252(QByteArrayView utf8, QByteArray &out)
{
    out.clear();
    out.reserve(utf8.size());
    const QString text = QString::fromUtf8(utf8);
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

bool decodeUtf16(QByteArrayView body, QStringConverter::Encoding enc, QByteArray &utf8)
{
    if (body.size() % 2)
        return false;
    QStringDecoder decoder(enc, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(body);
    // The decoder lets lone surrogates through, and UTF-8 cannot hold them.
    if (decoder.hasError() || hasLoneSurrogate(text))
        return false;
    utf8 = text.toUtf8();
    return true;
}

QString systemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }
}

TextBox::LineEnd firstLineEnd(QByteArrayView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n')
            return TextBox::LineEnd::Lf;
        if (text[i] == '\r')
            return i + 1 < text.size() && text[i + 1] == '\n' ? TextBox::LineEnd::CrLf : TextBox::LineEnd::Cr;
    }
    return TextBox::LineEnd::Lf;
}

Decoded decode(QByteArray raw)
{
    Decoded d;
    const QByteArrayView view(raw);
    if (view.startsWith("\xEF\xBB\xBF") && view.sliced(3).isValidUtf8()) {
        d.encoding = Encoding::Utf8Bom;
        d.utf8 = raw.sliced(3);
    } else if (view.startsWith("\xFF\xFE") && decodeUtf16(view.sliced(2), QStringConverter::Utf16LE, d.utf8)) {
        d.encoding = Encoding::Utf16LE;
    } else if (view.startsWith("\xFE\xFF") && decodeUtf16(view.sliced(2), QStringConverter::Utf16BE, d.utf8)) {
        d.encoding = Encoding::Utf16BE;
    } else if (view.isValidUtf8()) {
        d.encoding = Encoding::Utf8;
        d.utf8 = std::move(raw);
    } else {
        d.encoding = Encoding::Windows1252;
        d.utf8 = fromCp1252(view);
    }
    d.lineEnd = firstLineEnd(d.utf8);
    return d;
}

QByteArray encode(const QByteArray &utf8, Encoding &encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return utf8;
    case Encoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + utf8;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const bool le = encoding == Encoding::Utf16LE;
        QStringEncoder encoder(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return QByteArray(le ? "\xFF\xFE" : "\xFE\xFF") + QByteArray(encoder.encode(QString::fromUtf8(utf8)));
    }
    case Encoding::Windows1252: {
        QByteArray out;
        if (toCp1252(utf8, out))
            return out;
        encoding = Encoding::Utf8;
        return utf8;
    }
    }
    return utf8;
}

Result read(const QString &path, QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.isDir())
        return {false, systemReason(EISDIR)};
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return {false, errno ? systemReason(errno) : file.errorString()};
    const qint64 size = file.size();
    bytes.resize(size);
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.read(bytes.data() + done, size - done);
        if (n <= 0)
            return {false, n < 0 ? file.errorString() : QStringLiteral("The file ended before its end.")};
        done += n;
    }
    return {};
}

Result write(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, errno ? systemReason(errno) : file.errorString()};
    const QFileInfo existing(path);
    if (existing.exists())
        file.setPermissions(existing.permissions());
    qint64 done = 0;
    while (done < bytes.size()) {
        // A short count can come without an error (a full disk): never commit then.
        errno = 0;
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            const QString reason = errno ? systemReason(errno) : file.errorString();
            file.cancelWriting();
            return {false, reason.isEmpty() ? systemReason(ENOSPC) : reason};
        }
        done += n;
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {};
}

}
