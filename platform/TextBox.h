// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The editor's text box: a byte-exact, fast editing area over Scintilla.
// Positions in its public interface are 0-based UTF-16 code units, exactly as
// if the text were a QString; the buffer itself holds UTF-8.
#include "platform/DisplayRows.h"
#include "text/LineEnd.h"
#include "text/Noncharacters.h"
#include "text/TextSearch.h"
#include <Qsci/qsciscintillabase.h>
#include <QByteArray>
#include <QString>
#include <functional>
#include <future>
#include <memory>

class TextBox : public QsciScintillaBase
{
    Q_OBJECT
public:

    explicit TextBox(QWidget *parent = nullptr);

    // Whole buffer as UTF-8 bytes without copying; valid until the next change.
    QByteArrayView bytes() const;
    qint64 byteLength() const;
    bool isEmpty() const { return byteLength() == 0; }
    // Replaces the whole text without an undo step; the caret goes to the start.
    // Like every text given to the box, valid UTF-8: the file format's decoder makes it so.
    void loadBytes(QByteArrayView utf8);

    // A whole new text, made and built away from the box (on any one thread: making
    // one creates a document and touches nothing of the box) while the box shows
    // its own; adopt() puts it in the box, and dropping it leaves the box as it was.
    class PendingText
    {
    public:
        ~PendingText();
        bool append(QByteArrayView utf8);   // false when memory ran out
        bool finish();                      // the last bytes, held back for rows; false likewise

    private:
        friend class TextBox;
        PendingText(void *loader, bool rows) : m_loader(loader), m_rowsAllowed(rows) {}
        void *m_loader;
        Noncharacters m_nonchars;
        qint64 m_size = 0;   // in the component, breaks included
        DisplayRows m_rows;
        DisplayRows::Cutter m_cutter;
        QByteArray m_batch;   // rows and breaks on their way to the component
        bool m_rowsAllowed;
        DisplayRows::Cutter::Put putter();
        bool put(QByteArrayView piece, bool breakAfter);
        bool sendBatch();
        bool add(QByteArrayView bytes);   // to the component
    };
    std::unique_ptr<PendingText> newText(qint64 sizeHint) const;
    void adopt(std::unique_ptr<PendingText> text);

    QString Text() const;
    void setText(const QString &text);
    qint64 length() const;                 // UTF-16 code units
    qint64 SelStart() const;
    void setSelStart(qint64 pos);          // collapses the selection
    qint64 SelLength() const;
    void setSelLength(qint64 len);         // extends from SelStart
    QString SelText() const;
    QByteArrayView selectedBytes() const;   // valid until the next change
    // Selects bytes [from, to), the caret at `to`. By bytes, a big text needs no
    // UTF-16 line index, which it builds slowly (9 s at 2.5 GB).
    void selectBytes(qint64 from, qint64 to);
    void selectAll() { selectBytes(0, byteLength()); }
    void setSelText(const QString &text);  // caret ends after the inserted text
    // Replaces bytes [from, to) and leaves the caret after the new text.
    void replaceBytes(qint64 from, qint64 to, QByteArrayView utf8);

    qint64 toUtf16(qint64 bytePos) const;
    qint64 toBytePos(qint64 utf16Pos) const;
    // The component's position of a byte of the text, and back: they differ where a
    // long line is shown as rows. Where a row ends, `nextRow` picks the next one's start.
    qint64 toDisplay(qint64 bytePos, bool nextRow = false) const { return m_rows.toDisplay(bytePos, nextRow); }
    qint64 fromDisplay(qint64 display) const { return m_rows.toFile(display); }
    // The text's bytes between two of the component's positions.
    QByteArray bytesAt(qint64 from, qint64 to) const;
    // A search for the first hit of `what` (valid UTF-8) in the text as it is now, in byte positions, to run
    // on any thread while the text stays unchanged; rows are searched `window` bytes at a time.
    std::function<textsearch::Match()> finder(const QByteArray &what, textsearch::Compare compare,
                                              qint64 window = 256 << 10) const;   // TextBoxFind.cpp

    LineEnd lineEnd() const { return m_lineEnd; }
    void setLineEnd(LineEnd eol);

    QString FontName() const { return m_font.family(); }
    double FontSize() const { return m_font.pointSizeF(); }
    bool FontBold() const { return m_font.bold(); }
    bool FontItalic() const { return m_font.italic(); }
    bool FontStrikethru() const { return m_font.strikeOut(); }
    bool FontUnderline() const { return m_font.underline(); }
    void setFontName(const QString &name);
    void setFontSize(double points);
    void setFontBold(bool on);
    void setFontItalic(bool on);
    void setFontStrikethru(bool on);
    void setFontUnderline(bool on);

    quint32 BackColor() const { return m_back; }   // 0x00BBGGRR
    quint32 ForeColor() const { return m_fore; }
    void setBackColor(quint32 ole);
    void setForeColor(quint32 ole);
    // The caret's colour for text `fore` on `back` (both 0x00BBGGRR): one that shows.
    static quint32 caretColor(quint32 fore, quint32 back);

    // Keys the box must leave to the window's menu shortcuts.
    void setReservedShortcuts(const QList<QKeySequence> &keys);

    static void installAccessibility();

Q_SIGNALS:
    void changed();   // after any change of the text, whatever made it
    void textReplaced();   // a whole new text was put in (a load, not an edit)
    // Before bytes [at, at + length) are inserted or removed, the text still as it was.
    void aboutToChange(qint64 at, qint64 length, bool insertion);
    // Each edit as a record, in order: bytes [at, at + removed) went, or `inserted` came at `at`.
    void edited(qint64 at, qint64 removed, QByteArrayView inserted);

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;   // TextBoxDrop.cpp
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    QMimeData *toMimeData(const QByteArray &text, bool rectangular) const override;
    QByteArray fromMimeData(const QMimeData *source, bool &rectangular) const override;

private:
    void bindPlainKeys();
    bool isPlainKey(const QKeyEvent *e) const;
    bool deleteWholeCharacters(const QKeyEvent *e);
    void onModified(int position, int type, int length);
    void applyEdits() const;
    qint64 widen(int position, qint64 length) const;
    void releaseIndex() const;
    void afterUiUpdate();
    void snapSelection();
    void keepCaretInView();
    qint64 snapped(qint64 bytePos, bool forward) const;
    qint64 clusterEdge(qint64 bytePos, bool forward) const;
    void endUndoStep();
    qint64 unitsBetween(qint64 from, qint64 to) const;
    qint64 displayLength() const;
    QByteArrayView displayBytes() const;
    textsearch::Match findAcross(QByteArrayView display, qint64 at, const QByteArray &what,
                                 textsearch::Compare compare) const;   // TextBoxFind.cpp
    qint64 displayToUtf16(qint64 display) const;
    qint64 utf16ToDisplay(qint64 utf16Pos) const;
    qint64 breakUtf16(qint64 i) const;
    qint64 rowOfLine(qint64 i, bool last) const;   // TextBoxRows.cpp
    qint64 rowsLineStart(qint64 display) const;
    qint64 rowsLineEnd(qint64 display) const;
    bool moveOverBreaks(QKeyEvent *e);
    QByteArrayView range(qint64 from, qint64 to) const;   // valid until the next change
    QByteArray cutForInsertion(QByteArrayView utf8) const;
    void applyStyle();
    void styleNeeded(int position);
    void refillStrike();
    void ensureIndex() const;
    long send(unsigned int msg, unsigned long w = 0, long l = 0) const;
    long sendPtr(unsigned int msg, unsigned long w, const void *p) const;

    QFont m_font;
    quint32 m_back = 0;
    quint32 m_fore = 0;
    LineEnd m_lineEnd = LineEnd::Lf;
    QList<QKeySequence> m_reserved;
    bool m_changePending = false;
    mutable bool m_indexed = false;   // the UTF-16 line index is allocated
    mutable bool m_indexStale = false;   // an edit joined or split a CR LF pair
    mutable std::shared_future<void> m_indexBuilt;   // valid while a big one is being built
    bool m_amidEdit = false;   // the component is announcing an edit
    // Bytes inserted by the last edit, looked at once the edit is complete.
    mutable qint64 m_insertedAt = -1, m_insertedLength = 0;
    // Bytes being removed by the last edit, and the text's size before it.
    mutable qint64 m_removedAt = -1, m_removedLength = 0, m_sizeBeforeRemoval = 0;
    bool m_applyQueued = false;
    mutable Noncharacters m_nonchars;
    DisplayRows m_rows;
    mutable QByteArray m_fileBytes;   // the text without breaks, made when asked for (null: not yet)
    mutable QByteArray m_selectedBytes;
    bool m_uiUpdatePending = false;
    qint64 m_lastCaret = 0;
};
