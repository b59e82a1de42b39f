// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TextFile.h"
#include "text/Utf8.h"
#include <QFile>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool decodeUtf16(QByteArrayView body, QStringConverter::Encoding enc, QByteArray &utf8)
{
    if (body.size() % 2)
        return false;
    // The file's own mark is already gone: a U+FEFF that follows it is text.
    QStringDecoder decoder(enc, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(body);
    // The decoder lets lone surrogates through, and UTF-8 cannot hold them.
    if (decoder.hasError() || hasLoneSurrogate(text))
        return false;
    utf8 = text.toUtf8();
    return true;
}

QString systemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

Result failure(int err) { return {false, systemReason(err), {}}; }

Result notRegular(mode_t mode)
{
    return S_ISDIR(mode) ? failure(EISDIR) : Result{false, QStringLiteral("It is not a regular file."), {}};
}

Stamp stampOf(const struct stat &st)
{
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, quint64(st.st_dev),
            quint64(st.st_ino)};
}

// Owner and group first: changing them clears the set-id bits, which the mode then
// puts back, but only beside the owner or group they were set for.
void keepOwnerAndMode(int fd, const struct stat &old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
        // Not allowed: the file becomes ours, as any new file would.
    }
    mode_t mode = old.st_mode & 07777;
    struct stat now;
    const bool known = ::fstat(fd, &now) == 0;
    if (!known || now.st_uid != old.st_uid)
        mode &= ~mode_t(S_ISUID);
    if (!known || now.st_gid != old.st_gid)
        mode &= ~mode_t(S_ISGID);
    if (::fchmod(fd, mode) != 0) {
        // The temporary file keeps the permissions the save file gave it.
    }
}
}

LineEnd firstLineEnd(QByteArrayView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n')
            return LineEnd::Lf;
        if (text[i] == '\r')
            return i + 1 < text.size() && text[i + 1] == '\n' ? LineEnd::CrLf : LineEnd::Cr;
    }
    return LineEnd::Lf;
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
        return QByteArray(le ? "\xFF\xFE" : "\xFE\xFF") + QByteArray(encoder.encode(fromUtf8Text(utf8)));
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
    // Non-blocking, so that a FIFO without a writer cannot hold the window; kept for
    // the reads too, so that a regular file that would block (/proc/kmsg) fails instead.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return failure(errno);
    if (!S_ISREG(st.st_mode))
        return notRegular(st.st_mode);
    // The size is only a hint: files under /proc say 0, some under /sys more than they hold.
    qsizetype done = 0;
    try {
        bytes.resize(qMax<qint64>(st.st_size + 1, 4096));
        for (;;) {
            if (done == bytes.size())
                bytes.resize(bytes.size() * 2);
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n == 0)
                break;
            if (n > 0)
                done += n;
            else if (errno != EINTR)
                return failure(errno);
        }
    } catch (const std::bad_alloc &) {
        return failure(ENOMEM);
    }
    bytes.resize(done);
    return {true, {}, stampOf(st)};
}

Result write(const QString &path, QByteArrayView bytes)
{
    struct stat old;
    const bool exists = ::stat(QFile::encodeName(path).constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return notRegular(old.st_mode);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, file.errorString(), {}};
    if (exists)
        keepOwnerAndMode(file.handle(), old);
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            // Part of the text is not on disk (a full disk): never commit then.
            const QString reason = file.errorString();
            file.cancelWriting();
            return {false, reason, {}};
        }
        done += n;
    }
    struct stat written;
    if (::fstat(file.handle(), &written) != 0) {
        const int err = errno;
        file.cancelWriting();
        return failure(err);
    }
    if (!file.commit())
        return {false, file.errorString(), {}};
    return {true, {}, stampOf(written)};
}

bool changedSince(const QString &path, const Stamp &stamp)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && stampOf(st) != stamp;
}

}
