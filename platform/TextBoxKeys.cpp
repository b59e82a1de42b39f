// SPDX-License-Identifier: GPL-3.0-or-later
// The text box's keys: the plain editing keys of this desktop, the menu's
// shortcuts left to the menu, and deletions that never split a character.
#include "platform/TextBox.h"
#include <QKeyEvent>
#include <algorithm>

namespace {
using Sci = QsciScintillaBase;

// The editing keys of a plain text box on this desktop, and nothing else: the
// component's programmer bindings (change case, duplicate or swap lines, zoom,
// overtype …) are dropped. The menu's shortcuts never reach the box.
struct Binding {
    int key;
    Qt::KeyboardModifiers modifiers;
    int sciKey;
    int command;
};
constexpr Qt::KeyboardModifiers None = Qt::NoModifier, Shift = Qt::ShiftModifier, Ctrl = Qt::ControlModifier,
                                CtrlShift = Qt::ControlModifier | Qt::ShiftModifier;
const Binding PlainKeys[] = {
    {Qt::Key_Left, None, Sci::SCK_LEFT, Sci::SCI_CHARLEFT},
    {Qt::Key_Left, Shift, Sci::SCK_LEFT, Sci::SCI_CHARLEFTEXTEND},
    {Qt::Key_Left, Ctrl, Sci::SCK_LEFT, Sci::SCI_WORDLEFT},
    {Qt::Key_Left, CtrlShift, Sci::SCK_LEFT, Sci::SCI_WORDLEFTEXTEND},
    {Qt::Key_Right, None, Sci::SCK_RIGHT, Sci::SCI_CHARRIGHT},
    {Qt::Key_Right, Shift, Sci::SCK_RIGHT, Sci::SCI_CHARRIGHTEXTEND},
    {Qt::Key_Right, Ctrl, Sci::SCK_RIGHT, Sci::SCI_WORDRIGHT},
    {Qt::Key_Right, CtrlShift, Sci::SCK_RIGHT, Sci::SCI_WORDRIGHTEXTEND},
    {Qt::Key_Up, None, Sci::SCK_UP, Sci::SCI_LINEUP},
    {Qt::Key_Up, Shift, Sci::SCK_UP, Sci::SCI_LINEUPEXTEND},
    {Qt::Key_Down, None, Sci::SCK_DOWN, Sci::SCI_LINEDOWN},
    {Qt::Key_Down, Shift, Sci::SCK_DOWN, Sci::SCI_LINEDOWNEXTEND},
    {Qt::Key_Home, None, Sci::SCK_HOME, Sci::SCI_HOME},
    {Qt::Key_Home, Shift, Sci::SCK_HOME, Sci::SCI_HOMEEXTEND},
    {Qt::Key_Home, Ctrl, Sci::SCK_HOME, Sci::SCI_DOCUMENTSTART},
    {Qt::Key_Home, CtrlShift, Sci::SCK_HOME, Sci::SCI_DOCUMENTSTARTEXTEND},
    {Qt::Key_End, None, Sci::SCK_END, Sci::SCI_LINEEND},
    {Qt::Key_End, Shift, Sci::SCK_END, Sci::SCI_LINEENDEXTEND},
    {Qt::Key_End, Ctrl, Sci::SCK_END, Sci::SCI_DOCUMENTEND},
    {Qt::Key_End, CtrlShift, Sci::SCK_END, Sci::SCI_DOCUMENTENDEXTEND},
    {Qt::Key_PageUp, None, Sci::SCK_PRIOR, Sci::SCI_PAGEUP},
    {Qt::Key_PageUp, Shift, Sci::SCK_PRIOR, Sci::SCI_PAGEUPEXTEND},
    {Qt::Key_PageDown, None, Sci::SCK_NEXT, Sci::SCI_PAGEDOWN},
    {Qt::Key_PageDown, Shift, Sci::SCK_NEXT, Sci::SCI_PAGEDOWNEXTEND},
    {Qt::Key_Backspace, None, Sci::SCK_BACK, Sci::SCI_DELETEBACK},
    {Qt::Key_Backspace, Shift, Sci::SCK_BACK, Sci::SCI_DELETEBACK},
    {Qt::Key_Backspace, Ctrl, Sci::SCK_BACK, Sci::SCI_DELWORDLEFT},
    {Qt::Key_Delete, None, Sci::SCK_DELETE, Sci::SCI_CLEAR},
    {Qt::Key_Delete, Ctrl, Sci::SCK_DELETE, Sci::SCI_DELWORDRIGHT},
    {Qt::Key_Return, None, Sci::SCK_RETURN, Sci::SCI_NEWLINE},
    {Qt::Key_Return, Shift, Sci::SCK_RETURN, Sci::SCI_NEWLINE},
    {Qt::Key_Enter, None, Sci::SCK_RETURN, Sci::SCI_NEWLINE},
    {Qt::Key_Enter, Shift, Sci::SCK_RETURN, Sci::SCI_NEWLINE},
    {Qt::Key_Tab, None, Sci::SCK_TAB, Sci::SCI_TAB},
    {Qt::Key_Z, Ctrl, 'Z', Sci::SCI_UNDO},
    {Qt::Key_Z, CtrlShift, 'Z', Sci::SCI_REDO},
    {Qt::Key_Y, Ctrl, 'Y', Sci::SCI_REDO},
};

// Text a key brings that a text box types but the component drops: it takes a key's text only when the first
// unit is printable, so a character outside the BMP (a surrogate pair), a joiner or a private-use character
// would be lost without a sign. Control characters stay keys.
bool droppedByComponent(const QString &text)
{
    return !text.isEmpty() && !text.at(0).isPrint() && text.isValidUtf16()
        && std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}
}

void TextBox::bindPlainKeys()
{
    send(SCI_CLEARALLCMDKEYS);
    for (const Binding &b : PlainKeys) {
        const int mods = (b.modifiers & Qt::ShiftModifier ? SCMOD_SHIFT : 0) | (b.modifiers & Qt::ControlModifier ? SCMOD_CTRL : 0);
        send(SCI_ASSIGNCMDKEY, (unsigned long)(b.sciKey + (mods << 16)), b.command);
    }
}

bool TextBox::isPlainKey(const QKeyEvent *e) const
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    return std::any_of(std::begin(PlainKeys), std::end(PlainKeys),
                       [&](const Binding &b) { return b.key == e->key() && b.modifiers == mods; });
}

bool TextBox::deleteWholeCharacters(const QKeyEvent *e)
{
    applyEdits();
    const bool back = e->key() == Qt::Key_Backspace;
    const bool word = e->modifiers() & Qt::ControlModifier;
    // Backspace takes the last code point of a cluster, as this desktop's boxes do:
    // only a noncharacter needs care then.
    if (back && !word && m_nonchars.isEmpty())
        return false;
    snapSelection();
    if (!send(SCI_GETSELECTIONEMPTY))
        return false;   // a selection is deleted whole, and it is on character edges
    const qint64 caret = send(SCI_GETCURRENTPOS);
    // The component finds how far the key reaches; a reach into a noncharacter
    // takes the whole character, a reach forward into a cluster the whole cluster.
    send(word ? (back ? SCI_WORDLEFTEXTEND : SCI_WORDRIGHTEXTEND) : (back ? SCI_CHARLEFTEXTEND : SCI_CHARRIGHTEXTEND));
    const qint64 reach = send(SCI_GETCURRENTPOS);
    const qint64 end = back ? snapped(reach, false) : clusterEdge(snapped(reach, true), true);
    if (end == reach) {
        send(SCI_SETSEL, caret, caret);
        return false;
    }
    send(SCI_SETSEL, caret, end);
    sendPtr(SCI_REPLACESEL, 0, "");
    return true;
}

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
    const bool taken = QsciScintillaBase::event(e);
    applyEdits();   // what a key or an input method inserted is announced at once
    return taken;
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
    const bool control = e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    // Other Ctrl combinations are no editing keys here: the component would type
    // their character (Ctrl+1, Ctrl+;) or run a binding of its own.
    if (control && !isPlainKey(e)) {
        e->ignore();
        return;
    }
    static const int moves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down,
                                Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
    if (std::find(std::begin(moves), std::end(moves), e->key()) != std::end(moves))
        endUndoStep();
    if (moveOverBreaks(e)) {
        e->accept();
        return;
    }
    if ((e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete) && deleteWholeCharacters(e)) {
        e->accept();
        return;
    }
    snapSelection();
    if (droppedByComponent(e->text())) {
        // Typed as the component types: over the selection, one undo step.
        send(SCI_BEGINUNDOACTION);
        const QByteArray utf8 = e->text().toUtf8();
        sendPtr(SCI_REPLACESEL, 0, utf8.constData());
        send(SCI_ENDUNDOACTION);
        e->accept();
        return;
    }
    QsciScintillaBase::keyPressEvent(e);
}

void TextBox::setReservedShortcuts(const QList<QKeySequence> &keys) { m_reserved = keys; }
