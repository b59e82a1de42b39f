// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/InPlaceSave.h"
#include "text/KeptCopy.h"
#include <QFileInfo>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace textfile {

namespace {
QString systemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

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
    const SaveRecord record{QFileInfo(path).absoluteFilePath(), stampOf(st), total, ::getpid()};
    if (!kept.make(fd, record, copied)) {
        const QString where = kept.path().isEmpty() ? QString() : QStringLiteral(" in \"%1\"").arg(kept.path());
        return {false, QStringLiteral("%1\nIts old text could not be kept aside%2 first.").arg(kept.error(), where),
                {}};
    }
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
    if (putBackBytes(fd, kept.fd(), old, [](qint64) {})) {
        // Its time too, where the system lets us: the open document then sees no change by another program.
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(fd, times);
        kept.remove();
        return {false, QStringLiteral("%1\nThe file was put back as it was.").arg(systemReason(err)), {}};
    }
    return {false, QStringLiteral("%1\nIts old text is kept in \"%2\".").arg(systemReason(err), kept.path()), {}};
}

}
