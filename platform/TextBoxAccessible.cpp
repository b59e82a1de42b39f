// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TextBoxAccessible.h"
#include "platform/StatusBar.h"
#include "platform/TextBox.h"
#include "text/Utf8.h"
#include <QTextBoundaryFinder>
#include <algorithm>
#include <climits>

namespace {
using Sci = QsciScintillaBase;
// Bytes on either side of an offset that character, word and sentence
// boundaries look at: enough for any line a person reads; on a longer line an
// item is cut at this distance instead of costing time with the line's length.
constexpr qint64 Reach = 8192;

int clampInt(qint64 v) { return int(std::clamp<qint64>(v, 0, INT_MAX)); }
qint64 clamp(qint64 v, qint64 length) { return std::clamp<qint64>(v, 0, length); }

QTextBoundaryFinder::BoundaryType finderType(QAccessible::TextBoundaryType t)
{
    switch (t) {
    case QAccessible::WordBoundary: return QTextBoundaryFinder::Word;
    case QAccessible::SentenceBoundary: return QTextBoundaryFinder::Sentence;
    default: return QTextBoundaryFinder::Grapheme;
    }
}
}

TextBoxAccessible::TextBoxAccessible(TextBox *box) : QAccessibleWidget(box, QAccessible::EditableText)
{
    QObject::connect(box, &TextBox::aboutToChange, &m_context,
                     [this](qint64 at, qint64 length, bool insertion) { aboutToChange(at, length, insertion); });
    QObject::connect(box, &TextBox::textReplaced, &m_context, [this] {
        if (QAccessible::isActive())
            replacedWhole();
    });
    QObject::connect(box, &Sci::SCN_UPDATEUI, &m_context, [this](int) {
        // Comes while painting: the report waits until the box has settled.
        if (QAccessible::isActive())
            scheduleFlush();
    });
}

TextBoxAccessible::~TextBoxAccessible() = default;

QAccessibleInterface *TextBoxAccessible::factory(const QString &, QObject *object)
{
    // The component's own accessible object walks the text from its start on
    // every caret move and edit; this one answers through the position map.
    if (auto *box = qobject_cast<TextBox *>(object))
        return new TextBoxAccessible(box);
    if (auto *bar = qobject_cast<StatusBar *>(object))
        return new QAccessibleWidget(bar, QAccessible::StatusBar);
    // A window made of a plain widget would read as a filler: it is a window.
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && widget->isWindow() && object->metaObject()->superClass() == &QWidget::staticMetaObject)
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

TextBox *TextBoxAccessible::box() const { return static_cast<TextBox *>(widget()); }

void *TextBoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TextBoxAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

QString TextBoxAccessible::text(QAccessible::Text t) const { return QAccessibleWidget::text(t); }

void TextBoxAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    const qint64 start = box()->SelStart(), length = box()->SelLength();
    if (selectionIndex == 0 && length > 0) {
        *startOffset = clampInt(start);
        *endOffset = clampInt(start + length);
    }
}

int TextBoxAccessible::selectionCount() const { return box()->SelLength() > 0 ? 1 : 0; }

void TextBoxAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void TextBoxAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->SendScintilla(Sci::SCI_SETEMPTYSELECTION, box()->SendScintilla(Sci::SCI_GETCURRENTPOS));
}

void TextBoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    const qint64 length = box()->length();
    box()->selectBytes(box()->toBytePos(clamp(startOffset, length)), box()->toBytePos(clamp(endOffset, length)));
}

int TextBoxAccessible::cursorPosition() const
{
    const qint64 start = box()->SelStart();
    const bool caretAtEnd = box()->SendScintilla(Sci::SCI_GETCURRENTPOS) > box()->SendScintilla(Sci::SCI_GETANCHOR);
    return clampInt(caretAtEnd ? start + box()->SelLength() : start);
}

void TextBoxAccessible::setCursorPosition(int position) { box()->setSelStart(position); }

QString TextBoxAccessible::decoded(qint64 from, qint64 to) const
{
    if (to <= from)
        return QString();
    return fromUtf8Text(box()->bytesAt(from, to));
}

qint64 TextBoxAccessible::display(qint64 offset, bool nextRow) const
{
    return box()->toDisplay(box()->toBytePos(offset), nextRow);
}

qint64 TextBoxAccessible::fromDisplay(qint64 position) const { return box()->toUtf16(box()->fromDisplay(position)); }

QString TextBoxAccessible::textOf(Span s) const
{
    return s.end <= s.start ? QString() : decoded(display(s.start, true), display(s.end));
}

QString TextBoxAccessible::text(int startOffset, int endOffset) const
{
    const qint64 length = box()->length();
    const qint64 end = endOffset < 0 ? length : qMin<qint64>(endOffset, length);
    return textOf({qMax(0, startOffset), end});
}

int TextBoxAccessible::characterCount() const { return clampInt(box()->length()); }

TextBoxAccessible::Span TextBoxAccessible::lineItem(qint64 offset, Side side) const
{
    const auto sci = [this](unsigned int msg, unsigned long w = 0) { return box()->SendScintilla(msg, w); };
    const long line = sci(Sci::SCI_LINEFROMPOSITION, display(offset));
    const long target = line + (side == Side::Before ? -1 : side == Side::After ? 1 : 0);
    if (target < 0)
        return {0, 0};
    if (target >= sci(Sci::SCI_GETLINECOUNT)) {
        const qint64 length = box()->length();
        return {length, length};
    }
    // A line runs to the start of the next one: its line end belongs to it.
    return {fromDisplay(sci(Sci::SCI_POSITIONFROMLINE, target)), fromDisplay(sci(Sci::SCI_POSITIONFROMLINE, target + 1))};
}

TextBoxAccessible::Span TextBoxAccessible::item(qint64 offset, QAccessible::TextBoundaryType type, Side side) const
{
    // Items are the spans between consecutive boundaries of Unicode text
    // segmentation. Every kind breaks after a line end, so the item at an offset
    // and its neighbours lie within its line and the lines on either side.
    const auto sci = [this](unsigned int msg, unsigned long w = 0) { return box()->SendScintilla(msg, w); };
    const qint64 at = display(offset), bytes = sci(Sci::SCI_GETLENGTH);
    const long line = sci(Sci::SCI_LINEFROMPOSITION, at);
    qint64 from = qMax<qint64>(sci(Sci::SCI_POSITIONFROMLINE, qMax(0L, line - 1)), at - Reach);
    qint64 to = qMin<qint64>(sci(Sci::SCI_POSITIONFROMLINE, qMin(line + 2, sci(Sci::SCI_GETLINECOUNT))), at + Reach);
    const auto inside = [&](qint64 p) { return p > 0 && p < bytes && (sci(Sci::SCI_GETCHARAT, p) & 0xC0) == 0x80; };
    for (int i = 0; i < 3 && inside(from); ++i)
        --from;
    for (int i = 0; i < 3 && inside(to); ++i)
        ++to;
    const qint64 base = fromDisplay(from);
    const QString window = decoded(from, to);
    const qsizetype rel = std::clamp<qsizetype>(offset - base, 0, window.size()), end = window.size();

    QTextBoundaryFinder finder(finderType(type), window);
    const auto next = [&](qsizetype pos) {
        finder.setPosition(pos);
        const qsizetype n = finder.toNextBoundary();
        return n < 0 ? end : n;
    };
    const auto previous = [&](qsizetype pos) {
        finder.setPosition(pos);
        return qMax<qsizetype>(0, finder.toPreviousBoundary());
    };
    finder.setPosition(rel);
    const qsizetype start = rel == end || finder.isAtBoundary() ? rel : previous(rel);
    Span s{0, 0};
    switch (side) {
    case Side::Before: s = {start == 0 ? 0 : previous(start), start}; break;
    case Side::At: s = {start, start == end ? end : next(start)}; break;
    case Side::After: {
        const qsizetype first = start == end ? end : next(start);
        s = {first, first == end ? end : next(first)};
        break;
    }
    }
    return {base + s.start, base + s.end};
}

QString TextBoxAccessible::boundaryText(int offset, QAccessible::TextBoundaryType type, Side side, int *startOffset,
                                        int *endOffset) const
{
    const qint64 length = box()->length();
    const qint64 o = offset == -2 ? cursorPosition() : offset == -1 ? length : offset;
    if (o < 0 || o > length) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    // Paragraphs are lines here; so is the whole text, asked for by position.
    const bool byLine = type != QAccessible::CharBoundary && type != QAccessible::WordBoundary
        && type != QAccessible::SentenceBoundary;
    const Span s = byLine ? lineItem(o, side) : item(o, type, side);
    *startOffset = clampInt(s.start);
    *endOffset = clampInt(s.end);
    return textOf({*startOffset, *endOffset});
}

QString TextBoxAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                                            int *endOffset) const
{
    return boundaryText(offset, type, Side::Before, startOffset, endOffset);
}

QString TextBoxAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset, int *endOffset) const
{
    return boundaryText(offset, type, Side::At, startOffset, endOffset);
}

QString TextBoxAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                                           int *endOffset) const
{
    return boundaryText(offset, type, Side::After, startOffset, endOffset);
}

QRect TextBoxAccessible::characterRect(int offset) const
{
    if (offset < 0 || offset > box()->length())
        return QRect();
    const auto sci = [this](unsigned int msg, unsigned long w = 0, long l = 0) { return box()->SendScintilla(msg, w, l); };
    const long at = long(display(offset, true));
    const long line = sci(Sci::SCI_LINEFROMPOSITION, at), after = sci(Sci::SCI_POSITIONAFTER, at);
    const long x = sci(Sci::SCI_POINTXFROMPOSITION, 0, at), y = sci(Sci::SCI_POINTYFROMPOSITION, 0, at);
    long width = after > at && sci(Sci::SCI_LINEFROMPOSITION, after) == line ? sci(Sci::SCI_POINTXFROMPOSITION, 0, after) - x : 0;
    if (width <= 0)   // a line end or the end of the text: as wide as a blank
        width = box()->SendScintilla(Sci::SCI_TEXTWIDTH, Sci::STYLE_DEFAULT, " ");
    const QPoint topLeft = box()->viewport()->mapToGlobal(QPoint(int(x), int(y)));
    return QRect(topLeft, QSize(int(width), int(sci(Sci::SCI_TEXTHEIGHT, line))));
}

int TextBoxAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint p = box()->viewport()->mapFromGlobal(point);
    if (p.x() < 0 || p.y() < 0)
        return -1;
    const long at = box()->SendScintilla(Sci::SCI_POSITIONFROMPOINTCLOSE, (unsigned long)p.x(), long(p.y()));
    return at < 0 ? -1 : clampInt(fromDisplay(at));
}

void TextBoxAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    // The start is the end of the range that must show if not all of it can.
    box()->SendScintilla(Sci::SCI_SCROLLRANGE, display(qMax(startIndex, endIndex)), long(display(startIndex, true)));
}

QString TextBoxAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // One font for the whole text.
    const int count = characterCount();
    if (offset < 0 || offset > count) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    *startOffset = 0;
    *endOffset = count;
    return QStringLiteral("font-family:%1;font-size:%2pt;font-weight:%3;")
        .arg(box()->FontName())
        .arg(box()->FontSize())
        .arg(box()->FontBold() ? 700 : 400);
}

void TextBoxAccessible::deleteText(int startOffset, int endOffset) { replaceText(startOffset, endOffset, QString()); }

void TextBoxAccessible::insertText(int offset, const QString &text) { replaceText(offset, offset, text); }

void TextBoxAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    const qint64 length = box()->length();
    const qint64 a = clamp(startOffset, length), b = clamp(endOffset, length);
    box()->replaceBytes(box()->toBytePos(qMin(a, b)), box()->toBytePos(qMax(a, b)), text.toUtf8());
}
