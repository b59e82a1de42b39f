// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text file format: read and written in pieces, nothing added or stripped.
// The editor's buffer holds UTF-8; a file keeps the encoding it was read in.
// Errors in this layer come back as values (a Result with the system's
// reason); nothing here throws but for memory, which reading reports as a failure.
#include "text/SavePolicy.h"
#include "text/TextCodec.h"
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

struct stat;

namespace textfile {

struct Decoded {
    QByteArray utf8;                 // the text for the buffer, without a byte-order mark
    Encoding encoding = Encoding::Utf8;
    LineEnd lineEnd = LineEnd::Lf;
};

// Whole texts in memory, through the same pieces a file goes through.
Decoded decode(QByteArrayView raw, qsizetype chunk = DefaultChunk);
QByteArray encode(QByteArrayView utf8, const Encoding &encoding, qsizetype chunk = DefaultChunk,
                  QString *unfit = nullptr);

// What a file was when it was read or written: another program's change or
// replacement shows as a different stamp.
struct Stamp {
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const Stamp &) const = default;
};

struct Result {
    bool ok = true;
    QString error;                   // the system's reason, when !ok
    Stamp stamp;                     // the file as read or written, when ok
    QString unfit;                   // a character the encoding cannot store, when that stopped a write
    SaveDecision saved;              // how a write went about it
};

// Told how far a read or write has come.
using Progress = std::function<void(qint64 done, qint64 total)>;

struct ReadOptions {
    // The piece read at a time is held beside the text as it loads: small, so a
    // file's load takes little more than its text's memory.
    qsizetype chunk = qsizetype(256) << 10;
    // Memory free for the text; a file that cannot fit is refused before it is read. Negative: unknown.
    qint64 memoryAvailable = -1;
    Progress progress;
};

// Reads a file to its end through `decoder`, piece by piece; refuses at once, without
// blocking, anything that is not a regular file (a FIFO, a device, a folder). A read
// that the decoder's sink stopped fails with an empty reason.
Result read(const QString &path, Decoder &decoder, const ReadOptions &options = {});
// The raw bytes of a file, as above.
Result read(const QString &path, QByteArray &bytes);
// Writes through a temporary file in the same folder and replaces the old file
// only after every byte was written, the new file given the old one's owner, group,
// mode bits and extended attributes; or, where that would make it another file
// (decideSave), writes over the old file in place. One that is not a regular file
// is refused and left alone. A text `encoding` cannot store is not written: the
// result names the first character that does not fit.
Result write(const QString &path, QByteArrayView utf8, const Encoding &encoding, const Progress &progress = {});
Result write(const QString &path, QByteArrayView bytes);   // the bytes as they are
// The file `path` is now; nullopt when there is none.
std::optional<Stamp> stampOf(const QString &path);
Stamp stampOf(const struct stat &st);
// The failure for a path that is not a regular file (`mode` from stat).
Result notRegular(quint32 mode);
// True when `path` exists and is no longer the file `stamp` describes.
bool changedSince(const QString &path, const Stamp &stamp);

}
