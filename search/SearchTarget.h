// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the Find and Replace dialogs share: reading their entry boxes and
// searching the editor's text.
#include "search/EditTarget.h"
#include "text/TextSearch.h"
#include <QString>

class MessageBoxes;
class QKeyEvent;
class QWidget;
class QPlainTextEdit;

namespace searchtarget {

// The text of an entry box, its line breaks as '\n' (no other character is
// changed: a U+2028 pasted into the box stays, and matches only itself).
QString boxText(const QPlainTextEdit *box);

// Enter typed into an entry box (also with Shift or from the keypad), which
// runs the dialog's command before the box takes it.
bool isEnter(const QKeyEvent *key);
// Puts the line break of a Shift+Enter into `box` as Enter does, and says
// whether it did: the box would otherwise store it as U+2028.
bool typeLineBreak(QPlainTextEdit *box, const QKeyEvent *key);

// The bytes that `boxText` stands for in a document with the line end `eol`:
// a line break typed into a box is a line break of the document.
QByteArray toDocument(const QString &boxText, LineEnd eol);

// Tells the user why a press did nothing, then gives the dialog back the
// focus in `box` (unless the dialog closed meanwhile).
void tellAndRefocus(QWidget *dialog, MessageBoxes &messages, const QString &message, QWidget *box);

// The first occurrence of `boxText` in the editor's text, as bytes of it.
textsearch::Match find(EditTarget &target, const QString &boxText, textsearch::Compare compare);

}
