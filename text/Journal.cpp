// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Journal.h"
#include <QDateTime>
#include <QDir>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace journal {

namespace {
constexpr char Magic[8] = {'Z', 'E', 'N', 'D', 'J', 'R', 'N', 'L'};
constexpr quint32 Version = 1;
constexpr char Suffix[] = ".journal";
// A record longer than this is corruption, not an edit (a 2.5 GB paste still fits).
constexpr quint64 MaxRecord = quint64(1) << 40;

quint32 crc(QByteArrayView bytes)
{
    uLong c = crc32(0, nullptr, 0);
    for (qsizetype done = 0; done < bytes.size();) {   // zlib takes 32-bit lengths
        const uInt n = uInt(std::min<qsizetype>(bytes.size() - done, 1 << 30));
        c = crc32(c, reinterpret_cast<const Bytef *>(bytes.data() + done), n);
        done += n;
    }
    return quint32(c);
}

template<class T> void put(QByteArray &out, T value)
{
    const T le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&le), sizeof le);
}

// Reads little-endian values from a view, failing once it runs out.
struct Cursor {
    QByteArrayView bytes;
    qsizetype at = 0;
    bool ok = true;
    template<class T> T get()
    {
        T v{};
        if (!ok || bytes.size() - at < qsizetype(sizeof v)) {
            ok = false;
            return v;
        }
        std::memcpy(&v, bytes.data() + at, sizeof v);
        at += sizeof v;
        return qFromLittleEndian(v);
    }
    QByteArrayView take(quint64 n)
    {
        if (!ok || quint64(bytes.size() - at) < n) {
            ok = false;
            return {};
        }
        const QByteArrayView v = bytes.sliced(at, qsizetype(n));
        at += qsizetype(n);
        return v;
    }
};

QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// Journals open in this process, for the exit-time sync.
constexpr int MaxOpen = 8;
int g_open[MaxOpen] = {-1, -1, -1, -1, -1, -1, -1, -1};

void track(int fd, int replacing)
{
    for (int &slot : g_open)
        if (slot == replacing) {
            slot = fd;
            return;
        }
}
}

QByteArray encodeHeader(const Header &h)
{
    QByteArray body;
    put<quint8>(body, h.stamp.has_value());
    const textfile::Stamp s = h.stamp.value_or(textfile::Stamp{});
    put<qint64>(body, s.size);
    put<qint64>(body, s.mtimeNs);
    put<quint64>(body, s.device);
    put<quint64>(body, s.inode);
    put<quint8>(body, quint8(h.encoding.kind));
    put<quint8>(body, h.encoding.mark);
    put<quint32>(body, quint32(h.encoding.name.size()));
    body += h.encoding.name;
    put<quint8>(body, quint8(h.lineEnd));
    put<qint64>(body, h.pid);
    const QByteArray path = h.path.toUtf8();
    put<quint32>(body, quint32(path.size()));
    body += path;
    QByteArray out(Magic, sizeof Magic);
    put<quint32>(out, Version);
    put<quint32>(out, quint32(body.size()));
    out += body;
    put<quint32>(out, crc(out));
    return out;
}

QByteArray encodeEdit(qint64 at, qint64 removed, QByteArrayView inserted)
{
    QByteArray out;
    out.reserve(32 + inserted.size());
    put<quint64>(out, quint64(16 + inserted.size()));
    put<qint64>(out, at);
    put<qint64>(out, removed);
    out.append(inserted.data(), inserted.size());
    put<quint32>(out, crc(out));
    return out;
}

Contents decode(QByteArrayView bytes)
{
    Contents c;
    Cursor in{bytes};
    const QByteArrayView magic = in.take(sizeof Magic);
    const quint32 version = in.get<quint32>();
    const quint32 length = in.get<quint32>();
    const QByteArrayView body = in.take(length);
    const qsizetype headerEnd = in.at;
    const quint32 sum = in.get<quint32>();
    if (!in.ok || magic != QByteArrayView(Magic, sizeof Magic) || version != Version
        || sum != crc(bytes.first(headerEnd))) {
        c.torn = true;
        return c;
    }
    Cursor h{body};
    Header header;
    const bool hasStamp = h.get<quint8>();
    textfile::Stamp s;
    s.size = h.get<qint64>();
    s.mtimeNs = h.get<qint64>();
    s.device = h.get<quint64>();
    s.inode = h.get<quint64>();
    if (hasStamp)
        header.stamp = s;
    const quint8 kind = h.get<quint8>(), mark = h.get<quint8>();
    const QByteArray name = h.take(h.get<quint32>()).toByteArray();
    const quint8 lineEnd = h.get<quint8>();
    header.pid = h.get<qint64>();
    header.path = QString::fromUtf8(h.take(h.get<quint32>()));
    if (!h.ok || kind > quint8(textfile::Encoding::Kind::Named) || mark > 1 || lineEnd > quint8(LineEnd::Cr)) {
        c.torn = true;
        return c;
    }
    header.encoding = {textfile::Encoding::Kind(kind), mark == 1, name};
    header.lineEnd = LineEnd(lineEnd);
    c.header = header;
    while (in.at < bytes.size()) {
        const qsizetype start = in.at;
        const quint64 n = in.get<quint64>();
        if (!in.ok || n < 16 || n > MaxRecord) {
            c.torn = true;
            break;
        }
        const QByteArrayView record = in.take(n);
        const quint32 sum = in.get<quint32>();
        if (!in.ok || sum != crc(bytes.sliced(start, in.at - start - 4))) {
            c.torn = true;
            break;
        }
        Cursor r{record};
        Edit e;
        e.at = r.get<qint64>();
        e.removed = r.get<qint64>();
        e.inserted = r.take(n - 16).toByteArray();
        c.edits << e;
    }
    return c;
}

qsizetype replay(QByteArray &text, const QList<Edit> &edits)
{
    qsizetype applied = 0;
    for (const Edit &e : edits) {
        if (e.at < 0 || e.removed < 0 || e.at > text.size() || e.removed > text.size() - e.at)
            break;
        text.replace(e.at, e.removed, e.inserted);
        ++applied;
    }
    return applied;
}

QString folder(QString *error)
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QLatin1String("/.local/state");
    QDir().mkpath(base);
    return privateFolder(base + QLatin1String("/zendral"), error);
}

QString privateFolder(const QString &dir, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(dir, why);
        return QString();
    };
    const QByteArray native = QFile::encodeName(dir);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return fail(systemError(errno));
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        return fail(systemError(errno));
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return fail(QStringLiteral("not a folder of this user's own"));
    // Whatever the umask made it: nobody else reads the user's unsaved text.
    if ((st.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        return fail(systemError(errno));
    return dir;
}

Writer::Writer(Clock clock) : m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] {
            return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now().time_since_epoch()).count());
        };
}

Writer::~Writer()
{
    if (m_fd >= 0) {
        track(-1, m_fd);
        ::close(m_fd);
    }
}

bool Writer::open(const QString &dir, const Header &header)
{
    if (m_fd >= 0)
        discard();
    m_error.clear();
    // Named by when it started, so that names sort oldest first.
    const QString name = QStringLiteral("%1-%2%3")
                             .arg(QDateTime::currentMSecsSinceEpoch(), 15, 10, QLatin1Char('0'))
                             .arg(header.pid)
                             .arg(QLatin1String(Suffix));
    m_path = dir + QLatin1Char('/') + name;
    const QByteArray native = QFile::encodeName(m_path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_error = systemError(errno);
        return false;
    }
    m_fd = fd;
    track(fd, -1);
    if (::fchmod(fd, 0600) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || !writeAll(encodeHeader(header))) {
        if (m_error.isEmpty())
            m_error = systemError(errno);
        const QString why = m_error;
        discard();
        m_error = why;
        return false;
    }
    return true;
}

bool Writer::writeAll(QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = systemError(n < 0 ? errno : ENOSPC);
            return false;
        }
        done += n;
    }
    if (!m_unsyncedSince)
        m_unsyncedSince = m_clock();
    return true;
}

bool Writer::append(qint64 at, qint64 removed, QByteArrayView inserted)
{
    return m_fd >= 0 && writeAll(encodeEdit(at, removed, inserted));
}

qint64 Writer::syncDueIn() const
{
    if (m_fd < 0 || !m_unsyncedSince)
        return -1;
    return std::max<qint64>(0, *m_unsyncedSince + SyncDelay - m_clock());
}

void Writer::syncIfDue()
{
    if (syncDueIn() == 0)
        sync();
}

void Writer::sync()
{
    if (m_fd < 0 || !m_unsyncedSince)
        return;
    ::fdatasync(m_fd);
    m_unsyncedSince.reset();
    ++m_syncs;
}

void Writer::discard()
{
    if (m_fd < 0)
        return;
    ::unlink(QFile::encodeName(m_path).constData());
    track(-1, m_fd);
    ::close(m_fd);
    m_fd = -1;
    m_unsyncedSince.reset();
}

void syncOpenJournals()
{
    for (const int fd : g_open)
        if (fd >= 0)
            ::fdatasync(fd);
}

Leftover::Leftover(Leftover &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)), m_mtimeMs(other.m_mtimeMs)
{
}

Leftover::~Leftover()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

Contents Leftover::read() const
{
    QByteArray bytes;
    if (!textfile::read(m_path, bytes).ok)
        return {};
    return decode(bytes);
}

void Leftover::remove()
{
    ::unlink(QFile::encodeName(m_path).constData());
}

QString Leftover::setAside()
{
    const QString aside = m_path + QLatin1String(".unreadable");
    return ::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(aside).constData()) == 0 ? aside
                                                                                                     : QString();
}

std::vector<Leftover> Leftover::find(const QString &dir)
{
    std::vector<Leftover> found;
    const QStringList names = QDir(dir).entryList({QStringLiteral("*") + QLatin1String(Suffix)}, QDir::Files,
                                                  QDir::Name);
    for (const QString &name : names) {
        const QString path = dir + QLatin1Char('/') + name;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        struct stat st {};
        // A running process holds its own; a journal cannot be another user's.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &st) != 0 || st.st_uid != ::getuid()) {
            ::close(fd);
            continue;
        }
        found.push_back(Leftover(fd, path, qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000));
    }
    return found;
}

}
