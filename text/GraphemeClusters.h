// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the characters a reader sees as one begin and end in UTF-8 text: a letter
// with its accents, an emoji with its skin tone or its family, a flag. The editing
// component steps by code point; the text box keeps its caret on these edges.
#include <QByteArrayView>

namespace graphemes {
// `pos` when a cluster starts there in `text` (the stretch of a line around it,
// byte offsets), else the edge of the cluster holding it in the given direction.
// An invalid byte stands alone, as a replacement character would.
qsizetype edge(QByteArrayView text, qsizetype pos, bool forward);
}
