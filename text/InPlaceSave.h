// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing over an existing file: the same file (inode, owner, mode, links,
// attributes) with new bytes. It cannot be atomic, so the old bytes are copied
// aside first; a write that fails puts them back and says so, and one that cannot
// (or a crash) leaves the copy where the message or the README says.
#include "text/TextFile.h"

namespace textfile {

// Writes what `produce` puts into its sink over `path` from the first byte, cuts the
// file to that length and flushes it to disk. `total` is what `produce` will write.
Result writeInPlace(const QString &path, qint64 total, const std::function<bool(ByteSink &)> &produce,
                    const Progress &progress);

}
