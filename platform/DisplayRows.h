// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Long lines shown to the component as rows. The component lays out a whole line
// after every change, which on a line of megabytes takes seconds; so a line longer
// than a row is given to it cut by line feeds that are not the file's ("breaks").
// This keeps where they are, in the component's positions ("display" positions),
// maps those to the file's byte positions and back, and keeps each undo action's
// breaks beside the component's undo history, so that undo and redo put breaks
// back as breaks and never as the user's line feeds.
#include <QByteArray>
#include <QByteArrayView>
#include <functional>
#include <vector>

class DisplayRows
{
public:
    // A line may be as long as LongestWhole and stay whole (the component lays out 4 KiB
    // in about 3 ms here); a longer one is cut into rows as long as a short line, since
    // every row in view is laid out whole when the view moves far (Find's hit, End). A
    // cut waits up to Slack bytes for a space, a comma or an ideograph.
    static constexpr qint64 LongestWhole = 4096;
    static constexpr qint64 Row = 80;
    static constexpr qint64 Slack = 16;
    // A text with rows is copied whole when asked for its bytes (a save): a bigger one
    // keeps its long lines whole, slow to edit but never short of memory for that copy.
    static constexpr qint64 MostText = qint64(512) << 20;

    bool isEmpty() const { return m_at.empty(); }
    qint64 count() const { return qint64(m_at.size()); }

    bool isBreak(qint64 display) const;
    // Breaks in display positions [from, to).
    qint64 breaksIn(qint64 from, qint64 to) const;
    // A display position's place in the file; a position on a break is its row's end.
    qint64 toFile(qint64 display) const;
    // A file position in the display; where a break stands, the row's end, or with
    // `nextRow` the next row's start.
    qint64 toDisplay(qint64 file, bool nextRow = false) const;
    // The display position of break `i`, and the index of the first break at or after `display`.
    qint64 breakAt(qint64 i) const { return m_at[size_t(i)]; }
    qint64 firstFrom(qint64 display) const;
    // The display bytes `text`, which start at display position `at`, without breaks;
    // or put in `out`, which keeps its memory from one use to the next.
    QByteArray strip(QByteArrayView text, qint64 at) const
    {
        QByteArray out;
        strip(text, at, out);
        return out;
    }
    void strip(QByteArrayView text, qint64 at, QByteArray &out) const;

    // The component's edits as it announces them, before they are made, with the
    // performer its notice names. An insertion the box makes itself carries its
    // breaks (setInsertBreaks); undo and redo take theirs from the history.
    enum class By { User, Undo, Redo };
    void beforeInsert(qint64 at, qint64 length, By by);
    void beforeDelete(qint64 at, qint64 length, By by);
    // The breaks of the box's next insertion of `length` bytes (one of another length has none).
    void setInsertBreaks(std::vector<qint64> relative, qint64 length)
    {
        m_pending = std::move(relative);
        m_pendingLength = length;
    }
    qint64 breaksToInsert(By by, qint64 length) const;

    // Cuts a text into rows as it streams in. A line's first LongestWhole bytes are held
    // back until it ends (and stays whole) or goes on (and its rows start at its start).
    class Cutter
    {
    public:
        // Gets the text in pieces, in order, each with whether a break follows it; false stops.
        using Put = std::function<bool(QByteArrayView piece, bool breakAfter)>;
        // Any pieces of whole characters give the rows of the whole text.
        bool feed(QByteArrayView text, const Put &put);
        bool finish(const Put &put);   // the bytes held back, at the text's end
        qint64 held() const { return m_head.size(); }

    private:
        // Puts the next piece of a long line from `from` on, up to its next break or its end.
        bool cutRows(QByteArrayView text, qsizetype &from, const Put &put);
        QByteArray m_head;   // the current line's first bytes, while it may stay whole
        bool m_long = false;
        qint64 m_row = 0;   // bytes in the row so far
        char m_last = '\n';
    };
    // `utf8` as rows, the breaks' positions within it added to `relative`.
    static QByteArray cut(QByteArrayView utf8, std::vector<qint64> &relative);
    static bool hasLongLine(QByteArrayView utf8);

    // Tells the rows a break was put at display position `at` while loading (in order).
    void appended(qint64 at) { m_at.push_back(at); }

private:
    void shift(size_t from, qint64 by);
    // The breaks an insertion brings: the box's own, or those its undo action kept.
    const std::vector<qint64> *insertionBreaks(By by, qint64 length) const;
    // One of the component's undo actions done (its breaks kept), undone or redone.
    void step(By by, std::vector<qint64> breaks);
    std::vector<qint64> m_at;   // display positions of the breaks, ascending
    // Per undo action of the component, the breaks in its text, relative to its start.
    std::vector<std::vector<qint64>> m_actions;
    size_t m_current = 0;   // actions before this one are done, the rest undone
    std::vector<qint64> m_pending;
    qint64 m_pendingLength = -1;
};
