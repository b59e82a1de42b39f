// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The old bytes of a file written in place, kept aside until the write is over, with a
// record of which save they belong to: a crash, a kill or a power cut in the middle of
// the write leaves both, and the next start can put the old bytes back.
#include "text/TextFile.h"
#include <vector>

namespace textfile {

// Which save a copy belongs to: the file (its full name, device and inode) as it was
// before, the size it was being given and the process that was saving it.
struct SaveRecord {
    QString path;
    Stamp before;
    qint64 newSize = 0;
    qint64 pid = 0;
};

// The user's state folder, or where that cannot be had, a folder of the user's own in the
// temporary folder; empty, with `error` set, when neither is the user's own.
QString keptCopyFolder(QString *error = nullptr);

// Copies the first `size` bytes of `from` over the start of `to`; false with errno set.
bool copyBytes(int from, int to, qint64 size, const std::function<void(qint64)> &copied);
// Writes `size` kept bytes back over `file` from its first byte, cuts it there and
// syncs it: the same file, the old text. False with errno set.
bool putBackBytes(int file, int copy, qint64 size, const std::function<void(qint64)> &copied);

// The copy for one save, locked until this object goes so that no start offers it
// meanwhile. make() returns once the copy, then its record, are on the disk.
class KeptCopy
{
public:
    KeptCopy() = default;
    ~KeptCopy();
    KeptCopy(const KeptCopy &) = delete;
    KeptCopy &operator=(const KeptCopy &) = delete;
    bool make(int file, const SaveRecord &record, const std::function<void(qint64)> &copied);
    void remove();   // the write is over and whole
    QString path() const { return m_path; }
    QString error() const { return m_error; }
    int fd() const { return m_fd; }

private:
    QString m_path, m_error;
    int m_fd = -1;
};

// A copy whose save never ended: its process died before it could put the old bytes
// back or remove them. Locked while this object lives, so that one start offers it.
class InterruptedSave
{
public:
    enum class State {
        Unchanged,   // the file still holds the old bytes: nothing was written yet
        Torn,        // the same file, holding something else: part of the new bytes, or all
        Elsewhere,   // removed, or another file under that name
    };
    InterruptedSave(InterruptedSave &&other) noexcept;
    ~InterruptedSave();
    // Those in `dir` no running process holds; a record whose copy is gone is dropped.
    static std::vector<InterruptedSave> find(const QString &dir);

    const SaveRecord &record() const { return m_record; }
    QString copyPath() const { return m_copy; }
    State state() const;
    // Writes the old bytes back in place and removes copy and record; the file's new stamp.
    Result putBack(const Progress &progress = {});
    void forget();   // the record goes, the copy stays: never offered again
    void remove();

private:
    InterruptedSave(int fd, QString copy, SaveRecord record)
        : m_fd(fd), m_copy(std::move(copy)), m_record(std::move(record)) {}
    int m_fd = -1;
    QString m_copy;
    SaveRecord m_record;
};

}
