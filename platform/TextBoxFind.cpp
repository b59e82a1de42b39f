// SPDX-License-Identifier: GPL-3.0-or-later
// Finding in a text shown as rows: the rows' breaks are not the text's, so the text
// is searched without them, a window at a time, never as a second whole copy.
#include "platform/TextBox.h"

std::function<textsearch::Match()> TextBox::finder(const QByteArray &what, textsearch::Compare compare,
                                                   qint64 window) const
{
    if (m_rows.isEmpty() || !m_fileBytes.isNull())
        return [text = bytes(), what, compare] { return textsearch::findUtf8(text, what, compare); };
    // Reads only memory from here on: the search may run on another thread while the window paints.
    return [this, display = displayBytes(), n = byteLength(), what, compare, window]() -> textsearch::Match {
        // A hit is at most 3 bytes per byte sought (K and the 3-byte Kelvin sign are one
        // letter): each window reaches that far on, so a hit that starts in it ends in it.
        const qint64 reach = 3 * what.size() + 3;
        QByteArray part;
        for (qint64 from = 0; from < n;) {
            const qint64 end = qMin(n, from + window), start = m_rows.toDisplay(from, true);
            // Into the same memory each time, warm in the cache.
            m_rows.strip(display.sliced(start, m_rows.toDisplay(qMin(n, end + reach)) - start), start, part);
            const textsearch::Match hit = textsearch::findUtf8(part, what, compare);
            if (hit.found() && from + hit.start < end)   // a later start is the next window's first
                return {from + hit.start, from + hit.end};
            // The next window may start inside a character: its bytes there are
            // no character of their own and match nothing valid.
            from = end;
        }
        return {};
    };
}
