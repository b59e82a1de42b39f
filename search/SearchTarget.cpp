#include "search/SearchTarget.h"
#include "editor/Form1.h"
#include <QKeyEvent>
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

textsearch::Match find(const TextBox &box, const QString &boxText, textsearch::Compare compare)
{
    return textsearch::findUtf8(box.bytes(), toDocument(boxText, box.lineEnd()), compare);
}

void select(TextBox &box, const textsearch::Match &match)
{
    const qint64 start = box.toUtf16(match.start);
    box.setSelStart(start);
    box.setSelLength(box.toUtf16(match.end) - start);
}

void focusEditor(Form1 &form)
{
    form.raise();
    form.activateWindow();
    form.Text1->setFocus(Qt::OtherFocusReason);
}

}
