// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/SearchTarget.h"
#include "platform/Dialogs.h"
#include <QKeyEvent>
#include <QPointer>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace searchtarget {

QString boxText(const QPlainTextEdit *box)
{
    // A line break typed or pasted into the box starts a new paragraph.
    // toPlainText() would also turn no-break spaces into spaces and U+2028 into '\n'.
    return box->document()->toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

bool isEnter(const QKeyEvent *key)
{
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool typeLineBreak(QPlainTextEdit *box, const QKeyEvent *key)
{
    if (!key->matches(QKeySequence::InsertLineSeparator))
        return false;
    box->insertPlainText(QStringLiteral("\n"));
    box->ensureCursorVisible();
    return true;
}

QByteArray toDocument(const QString &boxText, LineEnd eol)
{
    QByteArray bytes = boxText.toUtf8();
    const QByteArray lineEnd = lineEndBytes(eol);
    if (lineEnd != "\n")
        bytes.replace('\n', lineEnd);
    return bytes;
}

void tellAndRefocus(QWidget *dialog, MessageBoxes &messages, const QString &message, QWidget *box)
{
    const QPointer<QWidget> alive(dialog);
    messages.show(dialog, message, MsgButtons::Ok);
    if (!alive)
        return;
    dialog->activateWindow();
    box->setFocus(Qt::OtherFocusReason);
}

textsearch::Match find(EditTarget &target, const QString &boxText, textsearch::Compare compare)
{
    return target.find(toDocument(boxText, target.lineEnd()), compare);
}

}
