// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TextFile.h"
#include "text/InPlaceSave.h"
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace textfile {

namespace {
QString systemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

Result failure(int err) { return {false, systemReason(err), {}}; }

// Owner and group first: changing them clears the set-id bits, which the mode then
// puts back, but only beside the owner or group they were set for.
void keepOwner(int fd, const struct stat &old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
        // Not allowed: the file becomes ours, as any new file would.
    }
}

void keepMode(int fd, const struct stat &old)
{
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

Result notRegular(quint32 mode)
{
    return S_ISDIR(mode) ? failure(EISDIR) : Result{false, QStringLiteral("It is not a regular file."), {}};
}

namespace {
// Collects what comes into one byte array.
class BytesSink final : public ByteSink
{
public:
    QByteArray bytes;
    bool append(QByteArrayView piece) override { bytes += piece; return true; }
    bool restart() override { bytes.clear(); return true; }
};

// Opens a file for reading without ever blocking: a FIFO without a writer cannot
// hold the window, and a regular file that would block (/proc/kmsg) fails instead.
Result openForReading(const QString &path, int &fd, struct stat &st)
{
    fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    if (::fstat(fd, &st) != 0)
        return failure(errno);
    if (!S_ISREG(st.st_mode))
        return notRegular(st.st_mode);
    return {};
}

// Reads to the end: the size is only a hint (files under /proc say 0, some under
// /sys more than they hold). `take` gets each piece; false from it stops.
Result readPieces(int fd, qsizetype chunk, const std::function<bool(QByteArrayView)> &take)
{
    QByteArray buffer;
    try {
        buffer.resize(chunk);
    } catch (const std::bad_alloc &) {
        return failure(ENOMEM);
    }
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), size_t(buffer.size()));
        if (n == 0)
            return {};
        if (n < 0 && errno != EINTR)
            return failure(errno);
        if (n > 0 && !take(QByteArrayView(buffer.constData(), n)))
            return {false, {}, {}};
    }
}
}

Decoded decode(QByteArrayView raw, qsizetype chunk)
{
    BytesSink sink;
    Decoder decoder(sink);
    for (;;) {
        Decoder::Step step = Decoder::Step::More;
        for (qsizetype from = 0; step == Decoder::Step::More && from < raw.size(); from += chunk)
            step = decoder.feed(raw.sliced(from, qMin(chunk, raw.size() - from)));
        if (step == Decoder::Step::More)
            step = decoder.finish();
        if (step != Decoder::Step::Restart)
            break;
    }
    return {std::move(sink.bytes), decoder.encoding(), decoder.lineEnd()};
}

namespace {
// The memory a text read from a file of `size` bytes takes in the editor, with its indexes.
qint64 memoryNeeded(qint64 size)
{
    // The text once, and its line indexes: a quarter more is ample for lines of
    // a few dozen characters; a file of tiny lines can need more, and then the
    // read's own failure to allocate is reported.
    return size + size / 4;
}
}

QByteArray encode(QByteArrayView utf8, const Encoding &encoding, qsizetype chunk, QString *unfit)
{
    BytesSink sink;
    sink.bytes.reserve(utf8.size() + 3);
    textfile::encode(utf8, encoding, sink, chunk, unfit);
    return std::move(sink.bytes);
}

Result read(const QString &path, Decoder &decoder, const ReadOptions &options)
{
    int fd = -1;
    struct stat st;
    Result opened = openForReading(path, fd, st);
    const auto closeFile = qScopeGuard([fd] { if (fd >= 0) ::close(fd); });
    if (!opened.ok)
        return opened;
    const qint64 needed = memoryNeeded(st.st_size);
    if (options.memoryAvailable >= 0 && needed > options.memoryAvailable)
        return {false, QStringLiteral("There is not enough memory for it: it needs about %1 MB, and %2 MB are free.")
                           .arg(needed >> 20).arg(options.memoryAvailable >> 20), {}};
    const qint64 total = st.st_size;
    for (;;) {
        qint64 done = 0;
        Decoder::Step step = Decoder::Step::More;
        const Result r = readPieces(fd, options.chunk, [&](QByteArrayView piece) {
            done += piece.size();
            step = decoder.feed(piece);
            if (options.progress)
                options.progress(done, total);
            return step == Decoder::Step::More;
        });
        if (!r.ok && step != Decoder::Step::Restart)
            return r;
        if (r.ok)
            step = decoder.finish();
        if (step == Decoder::Step::Stop)
            return {false, {}, {}};
        if (step == Decoder::Step::More)
            return {true, {}, stampOf(st)};
        // Not in the encoding detected after all: once more from the start, in another.
        if (::lseek(fd, 0, SEEK_SET) != 0)
            return failure(errno);
    }
}

Result read(const QString &path, QByteArray &bytes)
{
    int fd = -1;
    struct stat st;
    Result r = openForReading(path, fd, st);
    const auto closeFile = qScopeGuard([fd] { if (fd >= 0) ::close(fd); });
    bytes.clear();
    if (!r.ok)
        return r;
    try {
        r = readPieces(fd, DefaultChunk, [&](QByteArrayView piece) { bytes += piece; return true; });
    } catch (const std::bad_alloc &) {
        return failure(ENOMEM);
    }
    r.stamp = stampOf(st);
    return r;
}

namespace {
// The temporary file of a save; a full disk shows as a short write.
class SaveSink final : public ByteSink
{
public:
    SaveSink(QSaveFile &file, qint64 total, const Progress &progress) : m_file(file), m_total(total), m_progress(progress) {}
    bool append(QByteArrayView bytes) override
    {
        for (qint64 done = 0; done < bytes.size();) {
            const qint64 n = m_file.write(bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return false;
            done += n;
        }
        m_written += bytes.size();
        if (m_progress)
            m_progress(qMin(m_written, m_total), m_total);
        return true;
    }
    bool restart() override
    {
        m_written = 0;
        return m_file.seek(0) && m_file.resize(0);
    }

private:
    QSaveFile &m_file;
    qint64 m_total;
    const Progress &m_progress;
    qint64 m_written = 0;
};
}

namespace {
// The rename made the new file the folder's entry; until the folder is on disk, a
// power cut can bring back the old entry, or none.
void syncFolderOf(const QString &path)
{
    const int dir = ::open(QFile::encodeName(QFileInfo(QFileInfo(path).canonicalFilePath()).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);   // the save itself is done; a folder that cannot sync has no better answer
        ::close(dir);
    }
}

// Whether the bytes written reached the disk. A file system that cannot sync says EINVAL or EROFS; QSaveFile's
// commit ignores every failure of its own sync, even one that lost the bytes.
bool synced(int fd)
{
    return ::fdatasync(fd) == 0 || (errno != EIO && errno != ENOSPC && errno != EDQUOT);
}

// Through a temporary file. `retry` is set where writing in place may succeed
// instead: the temporary file could not be made (ENOENT from O_TMPFILE on CIFS,
// EPERM), the attributes not copied, or the rename refused (EXDEV, ETXTBSY,
// EEXIST on shared folders and FUSE). A write that failed is never retried: the disk is full.
Result replace(const QString &path, const struct stat *old, QByteArrayView utf8, const Encoding &encoding,
               const Progress &progress, bool &retry)
{
    QSaveFile file(path);
    retry = old != nullptr;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, file.errorString(), {}};
    if (old) {
        keepOwner(file.handle(), *old);
        const int from = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        const bool copied = from >= 0 && copyAttributes(from, file.handle());
        const int err = errno;
        if (from >= 0)
            ::close(from);
        if (!copied) {
            file.cancelWriting();
            return failure(err);
        }
        keepMode(file.handle(), *old);
    }
    retry = false;
    SaveSink sink(file, utf8.size(), progress);
    QString unfit;
    if (!textfile::encode(utf8, encoding, sink, DefaultChunk, &unfit)) {
        // Part of the text is not on disk (a full disk, a character that does not fit): never commit then.
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, unfit.isEmpty() ? reason : QString(), {}, unfit};
    }
    struct stat st;
    if (::fstat(file.handle(), &st) != 0) {
        const int err = errno;
        file.cancelWriting();
        return failure(err);
    }
    if (!synced(file.handle())) {   // never the old file replaced by one whose bytes may not be on disk
        const int err = errno;
        file.cancelWriting();
        return failure(err);
    }
    if (!file.commit()) {
        retry = old && file.error() == QFileDevice::RenameError;
        return {false, file.errorString(), {}};
    }
    syncFolderOf(path);
    return {true, {}, stampOf(st)};
}
}

Result write(const QString &path, QByteArrayView utf8, const Encoding &encoding, const Progress &progress)
{
    struct stat old;
    const bool exists = ::stat(QFile::encodeName(path).constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return notRegular(old.st_mode);
    SaveDecision how = decideSave(path);
    Result r;
    if (how.path == SavePath::Replace) {
        bool retry = false;
        r = replace(path, exists ? &old : nullptr, utf8, encoding, progress, retry);
        if (!retry) {
            r.saved = how;
            return r;
        }
        how = {SavePath::InPlace, SaveReason::ReplaceFailed};
    }
    // In place the old bytes would be overwritten before a character that does not
    // fit is met: find it first, for the encodings that cannot store every character.
    if (encoding.kind == Encoding::Kind::Windows1252 || encoding.kind == Encoding::Kind::Named) {
        struct Discard : ByteSink {
            bool append(QByteArrayView) override { return true; }
            bool restart() override { return true; }
        } discard;
        QString unfit;
        if (!textfile::encode(utf8, encoding, discard, DefaultChunk, &unfit))
            return {false, {}, {}, unfit, how};
    }
    const auto produce = [&](ByteSink &sink) { return textfile::encode(utf8, encoding, sink); };
    r = writeInPlace(path, utf8.size(), produce, progress);
    r.saved = how;
    return r;
}

Result write(const QString &path, QByteArrayView bytes)
{
    return write(path, bytes, Encoding::Utf8);
}

Stamp stampOf(const struct stat &st)
{
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, quint64(st.st_dev),
            quint64(st.st_ino)};
}

std::optional<Stamp> stampOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

bool changedSince(const QString &path, const Stamp &stamp)
{
    const std::optional<Stamp> now = stampOf(path);
    return now && *now != stamp;
}

}
