// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TextBox.h"
#include "platform/SciLoader.h"
#include "platform/Colors.h"
#include "platform/LongWork.h"
#include "platform/TextBoxAccessible.h"
#include "text/Utf8.h"
#include <QFontDatabase>
#include <QTimer>
#include <future>
#include <mutex>
#include <utility>

namespace {
using Sci = QsciScintillaBase;
constexpr int StrikeIndicator = 8;
constexpr unsigned long Utf16Index = Sci::SC_LINECHARACTERINDEX_UTF16;
// A text from which on building the UTF-16 line index is long work (about 0.1 s here).
constexpr qint64 BigIndex = 16 << 20;
// Pixels kept between the caret and the edge when the view follows it sideways.
constexpr long CaretSlop = 16;
// 64-bit positions, and no style byte kept beside each byte of text: a plain
// text box draws everything in one style.
constexpr long DocumentOptions = Sci::SC_DOCUMENTOPTION_TEXT_LARGE | Sci::SC_DOCUMENTOPTION_STYLES_NONE;

SciLoader *loaderOf(void *p) { return static_cast<SciLoader *>(p); }
}

void TextBox::installAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(TextBoxAccessible::factory); });
}

TextBox::TextBox(QWidget *parent) : QsciScintillaBase(parent)
{
    installAccessibility();
    const long doc = send(SCI_CREATEDOCUMENT, 0, DocumentOptions);
    send(SCI_SETDOCPOINTER, 0, doc);
    send(SCI_RELEASEDOCUMENT, 0, doc);
    send(SCI_SETCODEPAGE, SC_CP_UTF8);
    // Only the "before" notifications: the insert/delete ones make the Qt layer
    // walk the whole text on every edit. SCEN_CHANGE still comes for each change.
    send(SCI_SETMODEVENTMASK, SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE);
    connect(this, &QsciScintillaBase::SCEN_CHANGE, this, [this] {
        Q_EMIT changed();
        if (m_font.strikeOut() && !m_changePending) {
            m_changePending = true;
            QTimer::singleShot(0, this, [this] { m_changePending = false; refillStrike(); });
        }
    });
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char *, int length) { onModified(position, type, length); });
    connect(this, &QsciScintillaBase::SCN_STYLENEEDED, this, &TextBox::styleNeeded);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
        // Comes while painting: the corrections wait until the paint is over.
        if ((updated & (SC_UPDATE_SELECTION | SC_UPDATE_CONTENT)) && !m_uiUpdatePending) {
            m_uiUpdatePending = true;
            QMetaObject::invokeMethod(this, &TextBox::afterUiUpdate, Qt::QueuedConnection);
        }
    });
    bindPlainKeys();
    send(SCI_SETXCARETPOLICY, CARET_SLOP | CARET_STRICT | CARET_EVEN, CaretSlop);
    send(SCI_SETPASTECONVERTENDINGS, 0);
    // A pressed button's moves come to the box anyway (the window system's implicit grab); a grab of its own
    // is refused on Wayland, with a warning on every press.
    send(SCI_SETMOUSEDOWNCAPTURES, 0);
    send(SCI_SETWRAPMODE, SC_WRAP_NONE);
    // The layouts of every row in view are kept: a row of a long line is kilobytes
    // wide, and laying out all of them again on every paint cost 50-100 ms.
    send(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    send(SCI_SETHSCROLLBAR, 1);
    send(SCI_SETVSCROLLBAR, 0);
    send(SCI_SETSCROLLWIDTH, 1);
    send(SCI_SETSCROLLWIDTHTRACKING, 1);
    for (unsigned long m = 0; m < 5; ++m)
        send(SCI_SETMARGINWIDTHN, m, 0);
    send(SCI_SETMARGINLEFT, 0, 2);
    send(SCI_INDICSETSTYLE, StrikeIndicator, INDIC_STRIKE);
    send(SCI_SETINDICATORCURRENT, StrikeIndicator);
    setLineEnd(LineEnd::Lf);

    m_font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    m_font.setPointSizeF(8.25);
    m_back = 0x80000005;
    m_fore = 0x80000008;
    applyStyle();
}

long TextBox::send(unsigned int msg, unsigned long w, long l) const
{
    return SendScintilla(msg, w, l);
}

long TextBox::sendPtr(unsigned int msg, unsigned long w, const void *p) const
{
    return SendScintilla(msg, w, static_cast<const char *>(p));
}

QByteArrayView TextBox::displayBytes() const
{
    const qint64 n = displayLength();
    if (n == 0)
        return {};
    auto *p = reinterpret_cast<const char *>(send(SCI_GETCHARACTERPOINTER));
    return QByteArrayView(p, n);
}

QByteArrayView TextBox::bytes() const
{
    if (m_rows.isEmpty())
        return displayBytes();
    if (m_fileBytes.isNull())
        m_fileBytes = m_rows.strip(displayBytes(), 0);
    return m_fileBytes;
}

qint64 TextBox::displayLength() const { return send(SCI_GETLENGTH); }

qint64 TextBox::byteLength() const { return displayLength() - m_rows.count(); }

qint64 TextBox::widen(int position, qint64 length) const
{
    // The component's notifications carry positions as int, its low 32 bits: of the
    // positions they can stand for, the edit is the one nearest the caret, where
    // the user or a command works (exact in documents up to 4 GiB).
    const qint64 low = qint64(quint32(position)), caret = send(SCI_GETCURRENTPOS);
    const qint64 span = qint64(1) << 32;
    qint64 at = low + qMax<qint64>(0, (caret - low + span / 2) / span) * span;
    while (at > length)
        at -= span;
    return at;
}

void TextBox::onModified(int position, int type, int length)
{
    // The previous edit is complete by the time the next one is announced.
    applyEdits();
    const qint64 at = widen(position, displayLength()), n = qint64(quint32(length));
    m_fileBytes.clear();
    const auto by = type & SC_PERFORMED_UNDO ? DisplayRows::By::Undo
                  : type & SC_PERFORMED_REDO ? DisplayRows::By::Redo : DisplayRows::By::User;
    const bool insertion = type & SC_MOD_BEFOREINSERT;
    // What the file gains or loses: the edit's bytes but its breaks. An edit of
    // breaks alone (rows joined, or joined again by an undo) is no change of the text.
    const qint64 fileAt = m_rows.toFile(at);
    const qint64 fileLength = n - (insertion ? m_rows.breaksToInsert(by, n) : m_rows.breaksIn(at, at + n));
    if (fileLength > 0) {
        m_amidEdit = true;
        Q_EMIT aboutToChange(fileAt, fileLength, insertion);
        m_amidEdit = false;
        if (!insertion)
            Q_EMIT edited(fileAt, fileLength, {});
    }
    if (insertion)
        m_rows.beforeInsert(at, n, by);
    else
        m_rows.beforeDelete(at, n, by);
    if (insertion) {
        m_insertedAt = at;
        m_insertedLength = n;
        // The bytes are in once the edit is complete: announced then, at the latest
        // when the event loop comes round (the component's notice carries no text).
        if (!m_applyQueued) {
            m_applyQueued = true;
            QMetaObject::invokeMethod(this, [this] { m_applyQueued = false; applyEdits(); }, Qt::QueuedConnection);
        }
    } else if (type & SC_MOD_BEFOREDELETE) {
        const auto ch = [this](qint64 p) { return char(send(SCI_GETCHARAT, p)); };
        if ((ch(at - 1) == '\r' && (ch(at) == '\n' || ch(at + n) == '\n')) || (ch(at + n - 1) == '\r' && ch(at + n) == '\n'))
            m_indexStale = true;
        // The length comes in 32 bits: a removal of more than 4 GiB is measured
        // by the text's size once it is done.
        m_removedAt = at;
        m_removedLength = n;
        m_sizeBeforeRemoval = displayLength();
    }
}

void TextBox::applyEdits() const
{
    if (m_removedAt >= 0) {
        const qint64 at = std::exchange(m_removedAt, -1), n = m_sizeBeforeRemoval - displayLength();
        if (n != m_removedLength)
            m_indexStale = true;   // its line end check saw the wrong bytes
        m_nonchars.removed(at, at + n);
    }
    if (m_insertedAt < 0)
        return;
    const qint64 at = m_insertedAt, n = m_insertedLength;
    m_insertedAt = -1;
    if (n == 0)
        return;
    const auto *p = reinterpret_cast<const char *>(send(SCI_GETRANGEPOINTER, at, n));
    m_nonchars.inserted(at, QByteArrayView(p, n));
    if (m_rows.breaksIn(at, at + n) == 0)
        Q_EMIT const_cast<TextBox *>(this)->edited(m_rows.toFile(at), 0, QByteArrayView(p, n));
    else if (const QByteArray text = m_rows.strip(QByteArrayView(p, n), at); !text.isEmpty())
        Q_EMIT const_cast<TextBox *>(this)->edited(m_rows.toFile(at), 0, text);
    // The component's UTF-16 line index goes wrong when an edit joins a CR with
    // an LF or splits such a pair: it is built again on its next use.
    const auto ch = [this](qint64 pos) { return char(send(SCI_GETCHARAT, pos)); };
    if ((ch(at - 1) == '\r' && (ch(at) == '\n' || ch(at + n) == '\n')) || (ch(at + n - 1) == '\r' && ch(at + n) == '\n'))
        m_indexStale = true;
}

void TextBox::afterUiUpdate()
{
    m_uiUpdatePending = false;
    snapSelection();
    keepCaretInView();
}

qint64 TextBox::snapped(qint64 bytePos, bool forward) const
{
    applyEdits();
    const auto [start, end] = m_nonchars.around(bytePos);
    return forward ? end : start;
}

void TextBox::snapSelection()
{
    applyEdits();
    const qint64 caret = send(SCI_GETCURRENTPOS), anchor = send(SCI_GETANCHOR);
    // The component steps into a noncharacter byte by byte and into a cluster (an
    // accented letter, an emoji with its modifiers) code point by code point: the
    // caret goes on to the edge in the direction it moved, the anchor away from
    // the caret; with nothing selected it stays with the caret (a plain Right
    // selected the noncharacter, and the next key typed replaced it).
    const auto edge = [this](qint64 pos, bool forward) { return clusterEdge(snapped(pos, forward), forward); };
    const qint64 c = edge(caret, caret > m_lastCaret);
    const qint64 a = anchor == caret ? c : edge(anchor, anchor > caret);
    if (c != caret || a != anchor)
        send(SCI_SETSEL, a, c);
    m_lastCaret = c;
}

void TextBox::keepCaretInView()
{
    const long caret = send(SCI_GETCURRENTPOS);
    const long x = send(SCI_POINTXFROMPOSITION, 0, caret);
    const long caretWidth = send(SCI_GETCARETWIDTH);
    if (x >= 0 && x + caretWidth + CaretSlop <= viewport()->width())
        return;
    // The component scrolls no further than the widest line it has drawn, which
    // leaves a caret at the end of that line out of sight: widen, then scroll.
    const long needed = x + send(SCI_GETXOFFSET) + caretWidth + CaretSlop;
    if (needed > send(SCI_GETSCROLLWIDTH))
        send(SCI_SETSCROLLWIDTH, (unsigned long)needed);
    send(SCI_SCROLLCARET);
}

void TextBox::releaseIndex() const
{
    if (m_indexed)
        send(SCI_RELEASELINECHARACTERINDEX, Utf16Index);
    m_indexed = false;
    m_indexStale = false;
}

void TextBox::ensureIndex() const
{
    applyEdits();
    if (m_indexStale)
        releaseIndex();
    // Built on first use: keeping it up to date while a big file loads costs
    // more than building it once afterwards, and typing needs none of it.
    if (m_indexed)
        return;
    if (m_indexBuilt.valid()) {
        m_indexBuilt.wait();   // asked again (a screen reader) while it is being built
        return;
    }
    // Amid an edit no other event may run: the index is built there and then.
    if (displayLength() < BigIndex || m_amidEdit) {
        send(SCI_ALLOCATELINECHARACTERINDEX, Utf16Index);
    } else {
        // Seconds on a big text (9 s at 2.5 GB): long work, with the busy cursor.
        // Only the document is touched, never the widget.
        std::promise<void> built;
        m_indexBuilt = built.get_future().share();
        LongWork::run(nullptr, [&](LongWork::Progress &) {
            send(SCI_ALLOCATELINECHARACTERINDEX, Utf16Index);
            built.set_value();
        });
        m_indexBuilt = {};
    }
    m_indexed = true;
}

TextBox::PendingText::~PendingText()
{
    if (m_loader)
        loaderOf(m_loader)->Release();
}

bool TextBox::PendingText::append(QByteArrayView utf8)
{
    m_rowsAllowed = m_rowsAllowed
                    && (!m_rows.isEmpty() || m_size + m_cutter.held() + utf8.size() <= DisplayRows::MostText);
    if (!m_rowsAllowed)
        return finish() && put(utf8, false);
    return m_cutter.feed(utf8, putter()) && sendBatch();
}

bool TextBox::PendingText::finish() { return m_cutter.finish(putter()) && sendBatch(); }

DisplayRows::Cutter::Put TextBox::PendingText::putter()
{
    return [this](QByteArrayView piece, bool breakAfter) { return put(piece, breakAfter); };
}

bool TextBox::PendingText::put(QByteArrayView piece, bool breakAfter)
{
    // Long lines go to the component as rows: a break after each. Rows and breaks go
    // in batches: each call costs the component about as much as a row.
    m_nonchars.inserted(m_size, piece);
    m_size += piece.size();
    if (!breakAfter)
        return sendBatch() && add(piece);
    m_batch.append(piece).append('\n');
    m_rows.appended(m_size);
    ++m_size;
    return m_batch.size() < 64 * 1024 || sendBatch();
}

bool TextBox::PendingText::sendBatch()
{
    const bool sent = add(m_batch);
    m_batch.resize(0);
    return sent;
}

bool TextBox::PendingText::add(QByteArrayView bytes)
{
    return bytes.isEmpty() || loaderOf(m_loader)->AddData(bytes.data(), bytes.size()) == SC_STATUS_OK;
}

std::unique_ptr<TextBox::PendingText> TextBox::newText(qint64 sizeHint) const
{
    // Room for the whole text up front instead of a growing buffer, with its rows'
    // breaks, and a little more: the component grows (copies) its buffer when an
    // insert would fill it, which for a moment needs the text's memory twice.
    const qint64 size = qMax<qint64>(0, sizeHint);
    const bool rows = size <= DisplayRows::MostText;
    const unsigned long room = (unsigned long)(size + (rows ? size / DisplayRows::Row : 0) + 64 * 1024);
    void *loader = reinterpret_cast<void *>(send(SCI_CREATELOADER, room, DocumentOptions));
    return std::unique_ptr<PendingText>(new PendingText(loader, rows));
}

void TextBox::adopt(std::unique_ptr<PendingText> text)
{
    // Whatever the cut still holds back goes in first: never a byte left out.
    if (!text->finish())
        throw std::bad_alloc();
    applyEdits();
    releaseIndex();
    SciLoader *loader = loaderOf(text->m_loader);
    text->m_loader = nullptr;
    const long doc = reinterpret_cast<long>(loader->ConvertToDocument());
    send(SCI_SETDOCPOINTER, 0, doc);   // the box's reference; the old text goes
    send(SCI_RELEASEDOCUMENT, 0, doc);
    m_nonchars = std::move(text->m_nonchars);
    m_rows = std::move(text->m_rows);
    m_fileBytes.clear();
    // What the component keeps per document.
    send(SCI_SETCODEPAGE, SC_CP_UTF8);
    setLineEnd(m_lineEnd);
    refillStrike();
    send(SCI_SETUNDOCOLLECTION, 1);
    send(SCI_EMPTYUNDOBUFFER);
    send(SCI_SETSAVEPOINT);
    // The scroll bar grows to the widest line drawn: a new text starts afresh.
    send(SCI_SETSCROLLWIDTH, 1);
    send(SCI_GOTOPOS, 0);
    m_lastCaret = 0;
    Q_EMIT textReplaced();
}

void TextBox::loadBytes(QByteArrayView utf8)
{
    std::unique_ptr<PendingText> text = newText(utf8.size());
    if (!text->append(utf8))
        throw std::bad_alloc();
    adopt(std::move(text));
}

QString TextBox::Text() const
{
    const QByteArrayView b = bytes();
    return fromUtf8Text(b);
}

void TextBox::setText(const QString &text)
{
    replaceBytes(0, byteLength(), text.toUtf8());
    send(SCI_GOTOPOS, 0);
}

qint64 TextBox::length() const { return toUtf16(byteLength()); }

qint64 TextBox::toUtf16(qint64 bytePos) const
{
    if (m_rows.isEmpty())
        return displayToUtf16(bytePos);
    const qint64 display = m_rows.toDisplay(bytePos);
    return displayToUtf16(display) - m_rows.firstFrom(display);
}

qint64 TextBox::displayToUtf16(qint64 bytePos) const
{
    ensureIndex();
    const long line = send(SCI_LINEFROMPOSITION, bytePos);
    const long lineStart = send(SCI_POSITIONFROMLINE, line);
    return send(SCI_INDEXPOSITIONFROMLINE, line, Utf16Index) + unitsBetween(lineStart, bytePos);
}

qint64 TextBox::unitsBetween(qint64 from, qint64 to) const
{
    // Counted here: the component counts character by character, and takes each
    // byte of a noncharacter for a code unit.
    return utf16Length(range(from, to));
}

QByteArrayView TextBox::range(qint64 from, qint64 to) const
{
    return {reinterpret_cast<const char *>(send(SCI_GETRANGEPOINTER, from, to - from)), to - from};
}

qint64 TextBox::breakUtf16(qint64 i) const
{
    // A break ends its row: it is the last code unit before the next row.
    const long line = send(SCI_LINEFROMPOSITION, m_rows.breakAt(i));
    return send(SCI_INDEXPOSITIONFROMLINE, line + 1, Utf16Index) - 1;
}

QByteArray TextBox::bytesAt(qint64 from, qint64 to) const
{
    // The range pointer moves the component's gap only when it lies inside the
    // range; the whole-buffer pointer would move it to the end of the document.
    return to <= from ? QByteArray() : m_rows.strip(range(from, to), from);
}

qint64 TextBox::toBytePos(qint64 utf16Pos) const
{
    if (utf16Pos <= 0)
        return 0;
    if (utf16Pos >= length())
        return byteLength();
    if (m_rows.isEmpty())
        return utf16ToDisplay(utf16Pos);
    // The breaks before the position, found by their places in the text's code units.
    ensureIndex();
    qint64 lo = 0, hi = m_rows.count();
    while (lo < hi) {
        const qint64 mid = (lo + hi) / 2;
        if (breakUtf16(mid) - mid < utf16Pos)
            lo = mid + 1;
        else
            hi = mid;
    }
    return m_rows.toFile(utf16ToDisplay(utf16Pos + lo));
}

qint64 TextBox::utf16ToDisplay(qint64 utf16Pos) const
{
    ensureIndex();
    const long line = send(SCI_LINEFROMINDEXPOSITION, utf16Pos, Utf16Index);
    const long lineStart = send(SCI_POSITIONFROMLINE, line);
    const qint64 within = utf16Pos - send(SCI_INDEXPOSITIONFROMLINE, line, Utf16Index);
    return lineStart + utf8Prefix(range(lineStart, lineStart + send(SCI_LINELENGTH, line)), within);
}

qint64 TextBox::SelStart() const { return toUtf16(m_rows.toFile(snapped(send(SCI_GETSELECTIONSTART), false))); }

qint64 TextBox::SelLength() const
{
    return toUtf16(m_rows.toFile(snapped(send(SCI_GETSELECTIONEND), true))) - SelStart();
}

void TextBox::setSelStart(qint64 pos)
{
    const qint64 b = pos <= 0 ? 0 : toBytePos(qMin(pos, length()));
    selectBytes(b, b);
}

void TextBox::setSelLength(qint64 len)
{
    const qint64 start = SelStart();
    const qint64 end = qBound<qint64>(start, start + qMax<qint64>(0, len), length());
    selectBytes(toBytePos(start), toBytePos(end));
}

QByteArrayView TextBox::selectedBytes() const
{
    const qint64 from = snapped(send(SCI_GETSELECTIONSTART), false), to = snapped(send(SCI_GETSELECTIONEND), true);
    if (to <= from)
        return {};
    if (m_rows.breaksIn(from, to) == 0)
        return range(from, to);
    m_selectedBytes = m_rows.strip(range(from, to), from);
    return m_selectedBytes;
}

QString TextBox::SelText() const { return fromUtf8Text(selectedBytes()); }

void TextBox::selectBytes(qint64 from, qint64 to)
{
    // A selection starts at the start of a row and ends at the end of one: it holds no break at its edges.
    const qint64 anchor = m_rows.toDisplay(from, from <= to);
    const qint64 caret = from == to ? anchor : m_rows.toDisplay(to, to < from);
    send(SCI_SETSEL, anchor, caret);
}

void TextBox::setSelText(const QString &text)
{
    const qint64 from = snapped(send(SCI_GETSELECTIONSTART), false), to = snapped(send(SCI_GETSELECTIONEND), true);
    replaceBytes(m_rows.toFile(from), m_rows.toFile(to), text.toUtf8());
}

void TextBox::replaceBytes(qint64 from, qint64 to, QByteArrayView utf8)
{
    const qint64 start = m_rows.toDisplay(from, true), end = to <= from ? start : m_rows.toDisplay(to);
    const QByteArray rows = cutForInsertion(utf8);
    const QByteArrayView text = rows.isNull() ? utf8 : QByteArrayView(rows);
    send(SCI_SETTARGETRANGE, start, end);
    // Scintilla aborts on a null text pointer, which an empty view may carry.
    sendPtr(SCI_REPLACETARGET, static_cast<unsigned long>(text.size()), text.isNull() ? "" : text.data());
    m_rows.setInsertBreaks({}, -1);
    applyEdits();
    send(SCI_GOTOPOS, start + text.size());
}

void TextBox::setLineEnd(LineEnd eol)
{
    m_lineEnd = eol;
    send(SCI_SETEOLMODE, eol == LineEnd::CrLf ? SC_EOL_CRLF : eol == LineEnd::Cr ? SC_EOL_CR : SC_EOL_LF);
}

void TextBox::setFontName(const QString &name) { m_font.setFamily(name); applyStyle(); }
void TextBox::setFontSize(double points) { if (points > 0) m_font.setPointSizeF(points); applyStyle(); }
void TextBox::setFontBold(bool on) { m_font.setBold(on); applyStyle(); }
void TextBox::setFontItalic(bool on) { m_font.setItalic(on); applyStyle(); }
void TextBox::setFontStrikethru(bool on) { m_font.setStrikeOut(on); applyStyle(); }
void TextBox::setFontUnderline(bool on) { m_font.setUnderline(on); applyStyle(); }
void TextBox::setBackColor(quint32 c) { m_back = c; applyStyle(); }
void TextBox::setForeColor(quint32 c) { m_fore = c; applyStyle(); }

void TextBox::applyStyle()
{
    const quint32 fore = ole::fromQColor(ole::toQColor(m_fore, palette()));
    const quint32 back = ole::fromQColor(ole::toQColor(m_back, palette()));
    const QByteArray family = m_font.family().toUtf8();
    sendPtr(SCI_STYLESETFONT, STYLE_DEFAULT, family.constData());
    send(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT, long(m_font.pointSizeF() * 100 + 0.5));
    send(SCI_STYLESETBOLD, STYLE_DEFAULT, m_font.bold());
    send(SCI_STYLESETITALIC, STYLE_DEFAULT, m_font.italic());
    send(SCI_STYLESETUNDERLINE, STYLE_DEFAULT, m_font.underline());
    send(SCI_STYLESETFORE, STYLE_DEFAULT, fore);
    send(SCI_STYLESETBACK, STYLE_DEFAULT, back);
    send(SCI_STYLECLEARALL);
    // The caret takes the text colour, or black or white when the text colour is
    // too close to the background to be seen (text and background may be equal).
    send(SCI_SETCARETFORE, caretColor(fore, back));
    // The selection uses the scheme's highlight, so it shows on any chosen colours.
    send(SCI_SETSELFORE, 1, ole::fromQColor(palette().color(QPalette::Active, QPalette::HighlightedText)));
    send(SCI_SETSELBACK, 1, ole::fromQColor(palette().color(QPalette::Active, QPalette::Highlight)));
    send(SCI_INDICSETFORE, StrikeIndicator, fore);
    refillStrike();
}

quint32 TextBox::caretColor(quint32 fore, quint32 back)
{
    const auto channel = [](quint32 c, int shift) { return int((c >> shift) & 0xFF); };
    int distance2 = 0;
    for (int shift : {0, 8, 16}) {
        const int d = channel(fore, shift) - channel(back, shift);
        distance2 += d * d;
    }
    if (distance2 >= 96 * 96)
        return fore;
    const int luma = (299 * channel(back, 0) + 587 * channel(back, 8) + 114 * channel(back, 16)) / 1000;
    return luma >= 128 ? 0x000000u : 0xFFFFFFu;
}

void TextBox::refillStrike()
{
    send(SCI_SETINDICATORCURRENT, StrikeIndicator);
    send(SCI_INDICATORCLEARRANGE, 0, displayLength());
    if (m_font.strikeOut())
        send(SCI_INDICATORFILLRANGE, 0, displayLength());
}

QVariant TextBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // Input methods ask for the text around the caret; answer with the caret's
    // line, not the whole paragraph, which can be the whole document.
    if (query == Qt::ImSurroundingText || query == Qt::ImCursorPosition || query == Qt::ImAnchorPosition) {
        const long caret = send(SCI_GETCURRENTPOS);
        const long line = send(SCI_LINEFROMPOSITION, caret);
        const long start = send(SCI_POSITIONFROMLINE, line);
        const long end = send(SCI_GETLINEENDPOSITION, line);
        if (query == Qt::ImSurroundingText)
            return fromUtf8Text(range(start, end));
        const long pos = query == Qt::ImCursorPosition ? caret : send(SCI_GETANCHOR);
        const long clamped = qBound(start, pos, end);
        return int(send(SCI_COUNTCODEUNITS, start, clamped));
    }
    return QsciScintillaBase::inputMethodQuery(query);
}

QByteArray TextBox::cutForInsertion(QByteArrayView utf8) const
{
    // A text with a long line goes in as rows, its breaks known to the rows for the
    // insertion that brings it; null when it goes in as it is.
    std::vector<qint64> breaks;
    const bool cut = displayLength() + utf8.size() <= DisplayRows::MostText && DisplayRows::hasLongLine(utf8);
    QByteArray rows = cut ? DisplayRows::cut(utf8, breaks) : QByteArray();
    const_cast<DisplayRows &>(m_rows).setInsertBreaks(std::move(breaks), cut ? rows.size() : utf8.size());
    return rows;
}

QByteArray TextBox::fromMimeData(const QMimeData *source, bool &rectangular) const
{
    // A long line dropped or pasted by the component goes in as rows too.
    const QByteArray text = QsciScintillaBase::fromMimeData(source, rectangular);
    const QByteArray rows = rectangular ? QByteArray() : cutForInsertion(text);
    return rows.isNull() ? text : rows;
}

QMimeData *TextBox::toMimeData(const QByteArray &text, bool rectangular) const
{
    // What is dragged or offered as the selection is the text's, never a row's break.
    return QsciScintillaBase::toMimeData(m_rows.isEmpty() ? text : selectedBytes().toByteArray(), rectangular);
}
