#include "search/SearchTarget.h"
#include "editor/Form1.h"
#include <QPlainTextEdit>
#include <QTextDocument>

namespace searchtarget {

QString boxText(const QPlainTextEdit *box)
{
    // toPlainText() would also turn no-break spaces into spaces.
    QString text = box->document()->toRawText();
    for (QChar &c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    }
    return text;
}

QByteArray toDocument(const QString &boxText, TextBox::LineEnd eol)
{
    QByteArray bytes = boxText.toUtf8();
    const QByteArray lineEnd = TextBox::lineEndBytes(eol);
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
