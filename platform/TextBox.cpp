#include "platform/TextBox.h"
#include "platform/Colors.h"
#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QTimer>
#include <mutex>

namespace {
constexpr int StrikeIndicator = 8;
constexpr unsigned long Utf16Index = QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16;

// Scintilla's own accessible object walks the text from its start on every caret
// move; a plain editable-text object keeps the box fast on big documents.
QAccessibleInterface *accessibleFactory(const QString &, QObject *object)
{
    if (auto *box = qobject_cast<TextBox *>(object))
        return new QAccessibleWidget(box, QAccessible::EditableText);
    return nullptr;
}
}

void TextBox::installAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(accessibleFactory); });
}

TextBox::TextBox(QWidget *parent) : QsciScintillaBase(parent)
{
    installAccessibility();
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
    send(SCI_SETPASTECONVERTENDINGS, 0);
    send(SCI_SETWRAPMODE, SC_WRAP_NONE);
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

QByteArrayView TextBox::bytes() const
{
    const qint64 n = byteLength();
    if (n == 0)
        return {};
    auto *p = reinterpret_cast<const char *>(send(SCI_GETCHARACTERPOINTER));
    return QByteArrayView(p, n);
}

qint64 TextBox::byteLength() const { return send(SCI_GETLENGTH); }

void TextBox::ensureIndex() const
{
    // Built on first use: keeping it up to date while a big file loads costs
    // more than building it once afterwards, and typing needs none of it.
    if (!m_indexed) {
        send(SCI_ALLOCATELINECHARACTERINDEX, Utf16Index);
        m_indexed = true;
    }
}

void TextBox::loadBytes(QByteArrayView utf8)
{
    if (m_indexed) {
        send(SCI_RELEASELINECHARACTERINDEX, Utf16Index);
        m_indexed = false;
    }
    send(SCI_SETUNDOCOLLECTION, 0);
    send(SCI_CLEARALL);
    // One allocation up front instead of a growing buffer.
    send(SCI_ALLOCATE, static_cast<unsigned long>(utf8.size()) + 4096);
    if (!utf8.isEmpty())
        sendPtr(SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()), utf8.data());
    send(SCI_SETUNDOCOLLECTION, 1);
    send(SCI_EMPTYUNDOBUFFER);
    send(SCI_SETSAVEPOINT);
    send(SCI_GOTOPOS, 0);
}

QString TextBox::Text() const
{
    const QByteArrayView b = bytes();
    return QString::fromUtf8(b.data(), b.size());
}

void TextBox::setText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    send(SCI_SETTARGETRANGE, 0, byteLength());
    sendPtr(SCI_REPLACETARGET, static_cast<unsigned long>(utf8.size()), utf8.constData());
    send(SCI_GOTOPOS, 0);
}

qint64 TextBox::length() const { return toUtf16(byteLength()); }

qint64 TextBox::toUtf16(qint64 bytePos) const
{
    ensureIndex();
    const long line = send(SCI_LINEFROMPOSITION, bytePos);
    const long lineStart = send(SCI_POSITIONFROMLINE, line);
    return send(SCI_INDEXPOSITIONFROMLINE, line, Utf16Index) + send(SCI_COUNTCODEUNITS, lineStart, bytePos);
}

qint64 TextBox::toBytePos(qint64 utf16Pos) const
{
    if (utf16Pos <= 0)
        return 0;
    if (utf16Pos >= length())
        return byteLength();
    ensureIndex();
    const long line = send(SCI_LINEFROMINDEXPOSITION, utf16Pos, Utf16Index);
    const long lineIndex = send(SCI_INDEXPOSITIONFROMLINE, line, Utf16Index);
    const long lineStart = send(SCI_POSITIONFROMLINE, line);
    return send(SCI_POSITIONRELATIVECODEUNITS, lineStart, utf16Pos - lineIndex);
}

qint64 TextBox::SelStart() const { return toUtf16(send(SCI_GETSELECTIONSTART)); }

qint64 TextBox::SelLength() const
{
    return toUtf16(send(SCI_GETSELECTIONEND)) - SelStart();
}

void TextBox::setSelStart(qint64 pos)
{
    const qint64 b = toBytePos(qBound<qint64>(0, pos, length()));
    send(SCI_SETSEL, b, b);
}

void TextBox::setSelLength(qint64 len)
{
    const qint64 start = SelStart();
    const qint64 end = qBound<qint64>(start, start + qMax<qint64>(0, len), length());
    send(SCI_SETSEL, toBytePos(start), toBytePos(end));
}

QString TextBox::SelText() const
{
    const qint64 from = send(SCI_GETSELECTIONSTART), to = send(SCI_GETSELECTIONEND);
    const QByteArrayView b = bytes();
    return QString::fromUtf8(b.data() + from, to - from);
}

void TextBox::setSelText(const QString &text)
{
    replaceBytes(send(SCI_GETSELECTIONSTART), send(SCI_GETSELECTIONEND), text.toUtf8());
}

void TextBox::replaceBytes(qint64 from, qint64 to, QByteArrayView utf8)
{
    send(SCI_SETTARGETRANGE, from, to);
    // Scintilla aborts on a null text pointer, which an empty view may carry.
    sendPtr(SCI_REPLACETARGET, static_cast<unsigned long>(utf8.size()), utf8.isNull() ? "" : utf8.data());
    send(SCI_GOTOPOS, from + utf8.size());
}

void TextBox::setLineEnd(LineEnd eol)
{
    m_lineEnd = eol;
    send(SCI_SETEOLMODE, eol == LineEnd::CrLf ? SC_EOL_CRLF : eol == LineEnd::Cr ? SC_EOL_CR : SC_EOL_LF);
}

QByteArray TextBox::lineEndBytes(LineEnd eol)
{
    switch (eol) {
    case LineEnd::CrLf: return QByteArrayLiteral("\r\n");
    case LineEnd::Cr: return QByteArrayLiteral("\r");
    case LineEnd::Lf: break;
    }
    return QByteArrayLiteral("\n");
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
    send(SCI_INDICATORCLEARRANGE, 0, byteLength());
    if (m_font.strikeOut())
        send(SCI_INDICATORFILLRANGE, 0, byteLength());
}

void TextBox::setReservedShortcuts(const QList<QKeySequence> &keys) { m_reserved = keys; }

bool TextBox::event(QEvent *e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        // Menu shortcuts win over the box; everything else is the box's.
        auto *ke = static_cast<QKeyEvent *>(e);
        if (m_reserved.contains(QKeySequence(ke->keyCombination()))) {
            e->ignore();
            return false;
        }
    }
    return QsciScintillaBase::event(e);
}

void TextBox::keyPressEvent(QKeyEvent *e)
{
    // A reserved key whose menu item is disabled does nothing at all.
    if (m_reserved.contains(QKeySequence(e->keyCombination()))) {
        e->accept();
        return;
    }
    // Alt with a letter that opens no menu types nothing, as in other text boxes.
    if ((e->modifiers() & Qt::AltModifier) && !(e->modifiers() & Qt::ControlModifier) && !e->text().isEmpty()) {
        e->ignore();
        return;
    }
    int code = 0;
    const int key = e->key();
    if ((e->modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        code = key - Qt::Key_A + 1;
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        code = 13;
    else if (key == Qt::Key_Backspace)
        code = 8;
    else if (key == Qt::Key_Escape)
        code = 27;
    else if (key == Qt::Key_Tab)
        code = 9;
    else if (!e->text().isEmpty() && e->text().at(0).unicode() >= 32 && e->text().at(0).unicode() != 127)
        code = e->text().at(0).unicode();
    if (code && onKeyPress)
        onKeyPress(code);
    QsciScintillaBase::keyPressEvent(e);
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
        if (query == Qt::ImSurroundingText) {
            const QByteArrayView b = bytes();
            return QString::fromUtf8(b.data() + start, end - start);
        }
        const long pos = query == Qt::ImCursorPosition ? caret : send(SCI_GETANCHOR);
        const long clamped = qBound(start, pos, end);
        return int(send(SCI_COUNTCODEUNITS, start, clamped));
    }
    return QsciScintillaBase::inputMethodQuery(query);
}
