// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The journal of unsaved edits: while a document holds text that is not in its
// file, every edit is appended to a file of its own in the user's state folder,
// so that a process killed, cut off from its display or ended by a signal loses
// nothing that reached the kernel. The next start replays it on the file as it
// was (or on nothing, for an untitled document).
//
// Format: a header (magic, version, length, the document's name, stamp,
// encoding, line end, process id, CRC), then records, each its length, a
// 64-bit position, a 64-bit removed length, the inserted bytes and a CRC. A torn
// or corrupt record ends the journal: what comes before it still replays.
#include "text/TextFile.h"
#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace journal {

struct Header {
    QString path;                      // empty: an untitled document
    std::optional<textfile::Stamp> stamp;   // nullopt: the file did not exist
    textfile::Encoding encoding = textfile::Encoding::Utf8;
    LineEnd lineEnd = LineEnd::Lf;
    qint64 pid = 0;
    bool operator==(const Header &) const = default;
};

struct Edit {
    qint64 at = 0;
    qint64 removed = 0;
    QByteArray inserted;
    bool operator==(const Edit &) const = default;
};

QByteArray encodeHeader(const Header &header);
QByteArray encodeEdit(qint64 at, qint64 removed, QByteArrayView inserted);

struct Contents {
    std::optional<Header> header;      // nullopt: not a journal this program can read
    QList<Edit> edits;                 // the valid records, in order
    bool torn = false;                 // something after them could not be read
};
Contents decode(QByteArrayView bytes);

// Applies `edits` to `text`; stops at the first one that does not fit it and
// returns how many were applied.
qsizetype replay(QByteArray &text, const QList<Edit> &edits);

// $XDG_STATE_HOME/zendral (or ~/.local/state/zendral), made 0700 if missing.
// Empty, with `error` set, when it cannot be made or is not the user's own.
QString folder(QString *error = nullptr);
// `dir` made 0700 if missing (its parent must exist), as above.
QString privateFolder(const QString &dir, QString *error = nullptr);

// Milliseconds on a steady clock; tests hand in their own.
using Clock = std::function<qint64()>;

// Appends edits with write() as they come and syncs the file to the disk at
// most SyncDelay after the first edit not yet synced. Holds an exclusive
// flock while open, so that no other process offers it for recovery.
class Writer
{
public:
    static constexpr qint64 SyncDelay = 2000;
    explicit Writer(Clock clock = {});
    ~Writer();   // closes, keeping the file
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // Creates a new journal (0600) in `dir`; false with error() on failure.
    bool open(const QString &dir, const Header &header);
    bool isOpen() const { return m_fd >= 0; }
    bool append(qint64 at, qint64 removed, QByteArrayView inserted);
    // Milliseconds until the pending sync is due (0: now); -1 when none is pending.
    qint64 syncDueIn() const;
    void syncIfDue();
    void sync();
    void discard();   // closes and deletes the journal
    QString path() const { return m_path; }
    QString error() const { return m_error; }
    int syncCount() const { return m_syncs; }

private:
    bool writeAll(QByteArrayView bytes);

    Clock m_clock;
    int m_fd = -1;
    QString m_path;
    QString m_error;
    std::optional<qint64> m_unsyncedSince;
    int m_syncs = 0;
};

// Syncs every open journal to the disk; touches nothing but file descriptors,
// so it is safe while the process is ending (an atexit hook).
void syncOpenJournals();

// A journal left by a process that no longer holds it, locked for as long as
// this object lives so that no other start offers it too.
class Leftover
{
public:
    Leftover(Leftover &&other) noexcept;
    ~Leftover();
    QString path() const { return m_path; }
    qint64 lastChangedMs() const { return m_mtimeMs; }
    Contents read() const;
    void remove();
    // Renames it aside (".unreadable"); returns the new name, empty on failure.
    QString setAside();

    // The journals in `dir` that no running process holds, oldest first.
    static std::vector<Leftover> find(const QString &dir);

private:
    Leftover(int fd, QString path, qint64 mtimeMs) : m_fd(fd), m_path(std::move(path)), m_mtimeMs(mtimeMs) {}
    int m_fd = -1;
    QString m_path;
    qint64 m_mtimeMs = 0;
};

}
