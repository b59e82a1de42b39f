// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/KeptCopy.h"
#include "text/Journal.h"
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace textfile {

namespace {
constexpr char RecordSuffix[] = ".record";

QString recordOf(const QString &copy) { return copy + QLatin1String(RecordSuffix); }
void unlinkPath(const QString &path) { ::unlink(QFile::encodeName(path).constData()); }

// A small text a person can read too; 64-bit numbers as strings, which JSON numbers cannot hold.
QByteArray encode(const SaveRecord &r)
{
    const auto n = [](auto v) { return QString::number(v); };
    return QJsonDocument(QJsonObject{{"path", r.path}, {"size", n(r.before.size)}, {"mtimeNs", n(r.before.mtimeNs)},
                                     {"device", n(r.before.device)}, {"inode", n(r.before.inode)},
                                     {"newSize", n(r.newSize)}, {"pid", n(r.pid)}})
        .toJson();
}

std::optional<SaveRecord> decode(const QByteArray &bytes)
{
    const QJsonObject o = QJsonDocument::fromJson(bytes).object();
    bool ok = !o.value("path").toString().isEmpty(), each = true;
    const auto n = [&](const char *key) {
        const qint64 v = o.value(key).toString().toLongLong(&each);
        ok = ok && each;
        return v;
    };
    const auto u = [&](const char *key) {
        const quint64 v = o.value(key).toString().toULongLong(&each);
        ok = ok && each;
        return v;
    };
    const Stamp before{n("size"), n("mtimeNs"), u("device"), u("inode")};
    const SaveRecord r{o.value("path").toString(), before, n("newSize"), n("pid")};
    return ok ? std::optional(r) : std::nullopt;
}

bool writeSynced(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return ::fdatasync(fd) == 0;
}

// New names in a folder survive a power cut once the folder itself is synced.
bool syncFolder(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

bool sameBytes(int a, int b, qint64 size)
{
    QByteArray x(qMin<qint64>(size, DefaultChunk), '\0'), y(x.size(), '\0');
    for (qint64 at = 0; at < size;) {
        const qsizetype want = qsizetype(qMin<qint64>(size - at, x.size()));
        if (::pread(a, x.data(), size_t(want), at) != want || ::pread(b, y.data(), size_t(want), at) != want
            || std::memcmp(x.constData(), y.constData(), size_t(want)) != 0)
            return false;
        at += want;
    }
    return true;
}
}

QString keptCopyFolder(QString *error)
{
    const QString state = journal::folder(error);
    if (!state.isEmpty())
        return state;
    return journal::privateFolder(QStringLiteral("%1/zendral-%2").arg(QDir::tempPath()).arg(::getuid()), error);
}

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

bool putBackBytes(int file, int copy, qint64 size, const std::function<void(qint64)> &copied)
{
    // Cut first: the old length then fits in what the file already holds on a full disk.
    return ::ftruncate(file, size) == 0 && copyBytes(copy, file, size, copied) && ::fdatasync(file) == 0;
}

KeptCopy::~KeptCopy()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool KeptCopy::make(int file, const SaveRecord &record, const std::function<void(qint64)> &copied)
{
    const QString folder = keptCopyFolder(&m_error);
    if (folder.isEmpty())
        return false;
    const QString name = QFileInfo(record.path).fileName();
    for (int n = 0; m_fd < 0 && n < 100; ++n) {
        m_path = QStringLiteral("%1/%2.%3-%4.before-save").arg(folder, name).arg(::getpid()).arg(n);
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    // The record comes last: one that exists speaks for a whole copy on the disk.
    int recordFd = -1;
    if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0 && copyBytes(file, m_fd, record.before.size, copied)
        && ::fdatasync(m_fd) == 0) {
        recordFd = ::open(QFile::encodeName(recordOf(m_path)).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        const bool written = recordFd >= 0 && writeSynced(recordFd, encode(record)) && syncFolder(folder);
        const int err = errno;
        if (recordFd >= 0)
            ::close(recordFd);
        errno = err;
        if (written)
            return true;
    }
    m_error = QString::fromLocal8Bit(std::strerror(errno));
    if (m_fd >= 0)
        remove();
    return false;
}

void KeptCopy::remove()
{
    // The copy first: a record left alone by a crash here is dropped at the next start.
    unlinkPath(m_path);
    unlinkPath(recordOf(m_path));
}

InterruptedSave::InterruptedSave(InterruptedSave &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_copy(std::move(other.m_copy)), m_record(std::move(other.m_record))
{
}

InterruptedSave::~InterruptedSave()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::vector<InterruptedSave> InterruptedSave::find(const QString &dir)
{
    std::vector<InterruptedSave> found;
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.before-save") + QLatin1String(RecordSuffix)},
                                                  QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QString record = dir + QLatin1Char('/') + name;
        const QString copy = record.chopped(int(std::strlen(RecordSuffix)));
        const int fd = ::open(QFile::encodeName(copy).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0 && errno == ENOENT)
            unlinkPath(record);   // its save ended well, but for this
        struct stat st {};
        // A running save holds its copy; a copy cannot be another user's.
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &st) != 0 || st.st_uid != ::getuid()) {
            if (fd >= 0)
                ::close(fd);
            continue;
        }
        QFile file(record);
        const std::optional<SaveRecord> r = file.open(QIODevice::ReadOnly) ? decode(file.read(1 << 20)) : std::nullopt;
        if (r)
            found.push_back(InterruptedSave(fd, copy, *r));
        else
            ::close(fd);   // not a record this program can read: left as it is
    }
    return found;
}

InterruptedSave::State InterruptedSave::state() const
{
    const Stamp &b = m_record.before;
    const std::optional<Stamp> now = stampOf(m_record.path);
    if (!now || now->device != b.device || now->inode != b.inode)
        return State::Elsewhere;
    const int fd = ::open(QFile::encodeName(m_record.path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const bool unchanged = fd >= 0 && now->size == b.size && sameBytes(fd, m_fd, b.size);
    if (fd >= 0)
        ::close(fd);
    return unchanged ? State::Unchanged : State::Torn;
}

Result InterruptedSave::putBack(const Progress &progress)
{
    const Stamp &b = m_record.before;
    const int fd = ::open(QFile::encodeName(m_record.path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        return {false, QString::fromLocal8Bit(std::strerror(err)), {}};
    }
    // Checked on what was opened: another file renamed over it meanwhile is left alone.
    const bool same = S_ISREG(st.st_mode) && quint64(st.st_dev) == b.device && quint64(st.st_ino) == b.inode;
    const bool ok = same && putBackBytes(fd, m_fd, b.size, [&](qint64 done) { if (progress) progress(done, b.size); });
    const QString why =
        same ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("another file has its name");
    if (ok)
        ::fstat(fd, &st);
    ::close(fd);
    if (!ok)
        return {false, why, {}};
    remove();
    return {true, {}, stampOf(st)};
}

void InterruptedSave::forget() { unlinkPath(recordOf(m_copy)); }

void InterruptedSave::remove()
{
    unlinkPath(m_copy);
    unlinkPath(recordOf(m_copy));
}

}
