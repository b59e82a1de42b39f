// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text file format: read whole, write whole, nothing added or stripped.
// The editor's buffer holds UTF-8; a file keeps the encoding it was read in.
// Errors in this layer come back as values (a Result with the system's
// reason); nothing here throws but for memory, which reading reports as a failure.
#include "text/LineEnd.h"
#include <QByteArray>
#include <QString>

namespace textfile {

enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252 };

struct Decoded {
    QByteArray utf8;                 // the text for the buffer, without a byte-order mark
    Encoding encoding = Encoding::Utf8;
    LineEnd lineEnd = LineEnd::Lf;
};

// Any bytes decode: invalid UTF-8 is read as Windows-1252, byte for byte.
Decoded decode(QByteArray raw);
// The bytes to write for `utf8` in `encoding`; a Windows-1252 document whose text
// no longer fits that code page is written as UTF-8 and `encoding` says so.
QByteArray encode(const QByteArray &utf8, Encoding &encoding);
// The first line end of the text; LF when it has none.
LineEnd firstLineEnd(QByteArrayView text);

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
};

// Reads a whole file to its end; refuses at once, without blocking, anything
// that is not a regular file (a FIFO, a device, a folder).
Result read(const QString &path, QByteArray &bytes);
// Writes through a temporary file in the same folder and replaces the old file
// only after every byte was written. An existing file keeps its mode bits and,
// where the process may set them, its owner and group; one that is not a
// regular file is refused and left alone.
Result write(const QString &path, QByteArrayView bytes);
// True when `path` exists and is no longer the file `stamp` describes.
bool changedSince(const QString &path, const Stamp &stamp);

}
