// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which encoding a file's bytes are in. Only an encoding that gives back the
// very same bytes is ever chosen, so whatever the guess, Save writes the file
// as it was; Windows-1252, which takes any bytes, is the last resort.
#include "text/Encoding.h"
#include <QByteArrayView>
#include <QList>

namespace textfile {

// How much of a file the detector sees: its first 256 KiB.
constexpr qsizetype DetectSample = qsizetype(256) << 10;

// The encoding of `sample`, a file's first bytes (all of them when `whole`), in this
// order: `preferred` (the user's choice), a byte-order mark, UTF-16 whose NULs say
// so, UTF-8, the statistical detector's guess, the user's language's code page,
// Windows-1252. Encodings in `tried` already failed further on and are skipped.
Encoding detect(QByteArrayView sample, bool whole, const QList<Encoding> &tried = {},
                const std::optional<Encoding> &preferred = {});

// Whether `sample` read in `encoding` gives back the same bytes; an incomplete
// character at its end is allowed unless it is `whole`.
bool fits(const Encoding &encoding, QByteArrayView sample, bool whole);

// The legacy code page of the user's language ("WINDOWS-1251" for Russian), or
// Windows-1252.
Encoding localeCodePage();

}
