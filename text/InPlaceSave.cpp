// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/InPlaceSave.h"
#include "text/SavePolicy.h"
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace textfile {

namespace {
QString systemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// Copies the first `size` bytes of `from` over the start of `to`; false with errno set.
bool copyBytes(int from, int to, qint64 size, const std::function<void(qint64)> &copied)
{
    if (::lseek(to, 0, SEEK_SET) != 0)
        return false;
    off_t offset = 0;
    while (offset < size) {
        const ssize_t n = ::sendfile(to, from, &offset, size_t(qMin<qint64>(size - offset, DefaultChunk)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;   // shorter than it said: another program cut it meanwhile
            return false;
        }
        copied(offset);
    }
    return true;
}

// The old bytes in a file of their own (0600), on disk before the first new byte is written.
class KeptCopy
{
public:
    ~KeptCopy()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool make(int file, qint64 size, const QString &name, const std::function<void(qint64)> &copied)
    {
        QString folder = keptCopyFolder();
        if (!QDir().mkpath(folder) || ::chmod(QFile::encodeName(folder).constData(), 0700) != 0)
            folder = QDir::tempPath();
        for (int n = 0; fd < 0 && n < 100; ++n) {
            path = QStringLiteral("%1/%2.%3-%4.before-save").arg(folder, name).arg(::getpid()).arg(n);
            fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd < 0 && errno != EEXIST)
                return false;
        }
        if (fd < 0)
            return false;
        if (copyBytes(file, fd, size, copied) && ::fdatasync(fd) == 0)
            return true;
        const int err = errno;
        remove();
        errno = err;
        return false;
    }
    void remove() { ::unlink(QFile::encodeName(path).constData()); }

    QString path;
    int fd = -1;
};

// The file itself, from its first byte; a full disk shows as a failed write.
class InPlaceSink final : public ByteSink
{
public:
    InPlaceSink(int fd, const std::function<void(qint64)> &wrote) : m_fd(fd), m_wrote(wrote) {}
    bool append(QByteArrayView bytes) override
    {
        for (qint64 done = 0; done < bytes.size();) {
            const ssize_t n = ::write(m_fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = n < 0 ? errno : EIO;
                return false;
            }
            done += n;
        }
        written += bytes.size();
        m_wrote(written);
        return true;
    }
    bool restart() override
    {
        written = 0;
        error = errno = 0;
        if (::lseek(m_fd, 0, SEEK_SET) == 0)
            return true;
        error = errno;
        return false;
    }
    qint64 written = 0;
    int error = 0;

private:
    int m_fd;
    const std::function<void(qint64)> &m_wrote;
};
}

Result writeInPlace(const QString &path, qint64 total, const std::function<bool(ByteSink &)> &produce,
                    const Progress &progress)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const auto closeFile = qScopeGuard([fd] { if (fd >= 0) ::close(fd); });
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {false, systemReason(errno), {}};
    if (!S_ISREG(st.st_mode))   // replaced by something else since Save looked at it
        return notRegular(st.st_mode);
    // Progress counts the copy of the old bytes, then the new ones.
    const qint64 old = st.st_size, all = old + total;
    const std::function<void(qint64)> copied = [&](qint64 done) { if (progress) progress(done, all); };
    const std::function<void(qint64)> wrote = [&](qint64 done) {
        if (progress)
            progress(old + qMin(done, total), all);
    };
    KeptCopy kept;
    if (!kept.make(fd, old, QFileInfo(path).fileName(), copied))
        return {false, QStringLiteral("%1\nIts old text could not be kept aside in \"%2\" first.")
                           .arg(systemReason(errno), kept.path), {}};
    InPlaceSink sink(fd, wrote);
    int err = 0;
    if (!sink.restart() || !produce(sink))
        err = sink.error ? sink.error : EIO;
    else if (::ftruncate(fd, sink.written) != 0 || ::fdatasync(fd) != 0)
        err = errno;
    if (err == 0) {
        kept.remove();
        return {true, {}, stampOf(path).value_or(Stamp{})};
    }
    // Cut first: the old length then fits in what the file already holds on a full disk.
    if (::ftruncate(fd, old) == 0 && copyBytes(kept.fd, fd, old, [](qint64) {}) && ::fdatasync(fd) == 0) {
        kept.remove();
        return {false, QStringLiteral("%1\nThe file was put back as it was.").arg(systemReason(err)), {}};
    }
    return {false, QStringLiteral("%1\nIts old text is kept in \"%2\".").arg(systemReason(err), kept.path), {}};
}

}
