// SPDX-License-Identifier: GPL-3.0-or-later
// Finding in a text shown as rows: the rows' breaks are not the text's. A search for a
// text without a line feed runs in the component's buffer as it is, where no hit can
// hold a break, and then looks across only the breaks a hit could run across. Anything
// else is searched without the breaks, a window at a time, never as a second whole copy.
#include "platform/TextBox.h"
#include <memory>

namespace {
// A hit is at most 3 bytes per byte sought (K and the 3-byte Kelvin sign are one letter).
qint64 reachOf(const QByteArray &what) { return 3 * what.size() + 3; }
}

// A hit that runs across the break(s) at file position `at`, if the first hit near them does: an earlier
// one is found in place, or across an earlier break, and comes first anyway.
textsearch::Match TextBox::findAcross(QByteArrayView display, qint64 at, const QByteArray &what,
                                      textsearch::Compare compare) const
{
    const qint64 reach = reachOf(what), from = qMax<qint64>(0, at - reach), start = m_rows.toDisplay(from, true);
    const qint64 end = m_rows.toDisplay(qMin(display.size() - m_rows.count(), at + reach));
    const textsearch::Match hit = textsearch::findUtf8(m_rows.strip(display.sliced(start, end - start), start),
                                                       what, compare);
    if (!hit.found() || from + hit.start >= at || from + hit.end <= at)
        return {};
    return {from + hit.start, from + hit.end};
}

std::function<textsearch::Match()> TextBox::finder(const QByteArray &what, textsearch::Compare compare,
                                                   qint64 window) const
{
    if (m_rows.isEmpty() || !m_fileBytes.isNull())
        return [text = bytes(), what, compare] { return textsearch::findUtf8(text, what, compare); };
    // Reads only memory from here on: the search may run on another thread while the window paints.
    if (!what.isEmpty() && !what.contains('\n')) {
        auto joints = std::make_shared<const textsearch::Joints>(what, compare);
        return [this, display = displayBytes(), what, compare, window, joints]() -> textsearch::Match {
            const qint64 reach = reachOf(what), size = display.size(), n = m_rows.count();
            const auto *d = reinterpret_cast<const uchar *>(display.data());
            textsearch::Match hit;
            // A window at a time, its breaks looked at while its bytes are in the cache. It ends with
            // the window of the first hit in place: a hit across a later break that started before
            // that one would hold all its characters and more, and hits have equally many.
            for (qint64 from = 0, i = 0; from < size && !hit.found(); from += window) {
                const qint64 to = qMin(size, from + window);
                const textsearch::Match h =
                    textsearch::findUtf8(display.sliced(from, qMin(size, to + reach) - from), what, compare);
                if (h.found() && from + h.start < to) {   // a later start is the next window's first
                    const qint64 at = m_rows.toFile(from + h.start);
                    hit = {at, at + h.end - h.start};
                }
                for (const qint64 stop = m_rows.firstFrom(to); i < stop; ++i) {
                    qint64 p = m_rows.breakAt(i);
                    // Most breaks: bytes either side that no hit can hold side by side.
                    if (p == 0 || p + 1 >= size || (!joints->contains(d[p - 1], d[p + 1]) && d[p + 1] != '\n'))
                        continue;
                    const qint64 first = p, at = p - i;   // the break's file position
                    for (; i + 1 < n && m_rows.breakAt(i + 1) == p + 1; ++p)   // breaks side by side
                        ++i;
                    if (p + 1 >= size || !joints->contains(d[first - 1], d[p + 1]))
                        continue;
                    // The first break with a hit across it has the earliest such hit.
                    const textsearch::Match across = findAcross(display, at, what, compare);
                    if (across.found())
                        return hit.found() && hit.start < across.start ? hit : across;
                }
            }
            return hit;
        };
    }
    return [this, display = displayBytes(), n = byteLength(), what, compare, window]() -> textsearch::Match {
        // Each window reaches as far on as a hit can, so a hit that starts in it ends in it.
        const qint64 reach = reachOf(what);
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
