// The Replace window at work on the editor: one replacement per press from the
// start, its messages, Enter in either box, focus, line ends, the document flag
// and a closed editor.
#include "search/ReplaceDialog.h"
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
const QString EnterText = QStringLiteral("Please Enter Text To Find And Replace");
QString u(const char *utf8) { return QString::fromUtf8(utf8); }
}

class TestReplaceDialog : public QObject
{
    Q_OBJECT
    EditorFixture f;
    ReplaceDialog *replace = nullptr;

    void load(const QByteArray &utf8, TextBox::LineEnd eol = TextBox::LineEnd::Lf)
    {
        f.form->Text1->setLineEnd(eol);
        f.form->Text1->loadBytes(utf8);
    }
    static void type(QPlainTextEdit *box, const QString &text)
    {
        box->setPlainText(text);
        box->moveCursor(QTextCursor::End);
    }
    void set(const QString &what, const QString &with)
    {
        type(replace->Text1, what);
        type(replace->Text2, with);
    }
    QByteArray document() const { return f.form->Text1->bytes().toByteArray(); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(f.start());
        replace = f.t->windows.showReplace();
        QVERIFY(QTest::qWaitForWindowActive(replace));
    }
    void cleanup()
    {
        f.finish();
        replace = nullptr;
    }

    void onePress_data();
    void onePress();
    void pressesReplaceWhatRemainsThenMessage();
    void replacementContainingTheSearchTextGrows();
    void freshWindowReplacesByOneBlank();
    void emptySearchTextAsks();
    void enterInEitherBoxReplacesThenBreaksTheLine_data();
    void enterInEitherBoxReplacesThenBreaksTheLine();
    void lineBreaksAreTheDocumentsLineEnds();
    void focusAfterReplacementAndAfterMessages();
    void replacingMakesTheTextUnsaved();
    void closedEditorShowsTheMessage();
};

void TestReplaceDialog::onePress_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("with");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<qint64>("caret");

    QTest::newRow("case never matters") << QByteArray("xABCx") << u("abc") << u("Q") << QByteArray("xQx") << qint64(2);
    QTest::newRow("first of several") << QByteArray("a-a-a") << u("A") << u("bb") << QByteArray("bb-a-a") << qint64(2);
    QTest::newRow("empty replacement deletes") << QByteArray("one two") << u("one ") << QString() << QByteArray("two") << qint64(0);
    QTest::newRow("at the very end") << QByteArray("xyzEND") << u("end") << u("!") << QByteArray("xyz!") << qint64(4);
    QTest::newRow("whole document") << QByteArray("abc") << u("ABC") << u("z") << QByteArray("z") << qint64(1);
    QTest::newRow("non-ascii letters")
        << u("Øre ÆBLE").toUtf8() << u("æble") << u("pære") << u("Øre pære").toUtf8() << qint64(8);
    QTest::newRow("long s, longer in UTF-8") << u("Maſs").toUtf8() << u("SS") << u("ß") << u("Maß").toUtf8() << qint64(3);
    QTest::newRow("after surrogate pairs") << u("😀😀ab").toUtf8() << u("B") << u("😀") << u("😀😀a😀").toUtf8() << qint64(7);
    QTest::newRow("beyond 65535") << QByteArray(70000, 'x') + "Needle!" << u("needle") << u("pin")
                                  << QByteArray(70000, 'x') + "pin!" << qint64(70003);
}

void TestReplaceDialog::onePress()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, what);
    QFETCH(QString, with);
    QFETCH(QByteArray, after);
    QFETCH(qint64, caret);
    load(before);
    set(what, with);
    replace->Command1->click();
    QCOMPARE(document(), after);
    // The caret stands right after the replacement, nothing selected.
    QCOMPARE(f.form->Text1->SelStart(), caret);
    QCOMPARE(f.form->Text1->SelLength(), 0);
    QCOMPARE(f.t->dialogs.messages(), QStringList());
    QVERIFY(replace->isVisible());
}

void TestReplaceDialog::pressesReplaceWhatRemainsThenMessage()
{
    load("cat, Cat and CAT");
    set(u("cat"), u("dog"));
    for (const char *expected : {"dog, Cat and CAT", "dog, dog and CAT", "dog, dog and dog"}) {
        replace->Command1->click();
        QCOMPARE(document(), QByteArray(expected));
    }
    f.t->dialogs.answer(MsgAnswer::Ok);
    replace->Command1->click();
    QCOMPARE(f.t->dialogs.messages(), QStringList{u("Cannot Find cat")});
    QCOMPARE(document(), QByteArray("dog, dog and dog"));
}

void TestReplaceDialog::replacementContainingTheSearchTextGrows()
{
    load("xa ya");
    set(u("a"), u("aa"));
    for (const char *expected : {"xaa ya", "xaaa ya", "xaaaa ya"}) {
        replace->Command1->click();
        QCOMPARE(document(), QByteArray(expected));
        QCOMPARE(f.form->Text1->SelStart(), 3);
    }
}

void TestReplaceDialog::freshWindowReplacesByOneBlank()
{
    // Form_Load emptied the search box; the replacement box keeps its blank.
    QCOMPARE(replace->Text1->toPlainText(), QString());
    QCOMPARE(replace->Text2->toPlainText(), u(" "));
    QCOMPARE(QApplication::focusWidget(), replace->Text1);
    load("a-b-c");
    type(replace->Text1, u("-"));
    replace->Command1->click();
    QCOMPARE(document(), QByteArray("a b-c"));
}

void TestReplaceDialog::emptySearchTextAsks()
{
    load("abc");
    f.form->Saved = true;
    f.t->dialogs.answer(MsgAnswer::Ok);
    replace->Command1->click();
    QCOMPARE(f.t->dialogs.messages(), QStringList{EnterText});
    QCOMPARE(f.t->dialogs.shown().constFirst().title, QStringLiteral("Zendral"));
    QCOMPARE(f.t->dialogs.shown().constFirst().buttons, MsgButtons::Ok);
    QCOMPARE(document(), QByteArray("abc"));
    QVERIFY(f.form->Saved);
}

void TestReplaceDialog::enterInEitherBoxReplacesThenBreaksTheLine_data()
{
    QTest::addColumn<bool>("inSecondBox");
    QTest::addColumn<QByteArray>("secondDocument");
    QTest::addColumn<QByteArray>("secondResult");
    QTest::newRow("Text1") << false << QByteArray("xa\nAb") << QByteArray("x1Ab");
    QTest::newRow("Text2") << true << QByteArray("1b\nAb") << QByteArray("1b\n1\nb");
}

void TestReplaceDialog::enterInEitherBoxReplacesThenBreaksTheLine()
{
    QFETCH(bool, inSecondBox);
    QFETCH(QByteArray, secondDocument);
    QFETCH(QByteArray, secondResult);
    load("ab\nAb");
    set(u("a"), u("1"));
    QPlainTextEdit *box = inSecondBox ? replace->Text2 : replace->Text1;
    // The replacement runs with both texts as they were before the key ...
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(document(), QByteArray("1b\nAb"));
    // ... which then adds a line break to the box it was typed in.
    QCOMPARE(box->toPlainText(), inSecondBox ? u("1\n") : u("a\n"));

    // The next press looks for, or inserts, the text with the line break.
    load(secondDocument);
    replace->Command1->click();
    QCOMPARE(document(), secondResult);
}

void TestReplaceDialog::lineBreaksAreTheDocumentsLineEnds()
{
    load("one\r\ntwo\r\n", TextBox::LineEnd::CrLf);
    set(u("E\nT"), u("X\nY"));
    replace->Command1->click();
    QCOMPARE(document(), QByteArray("onX\r\nYwo\r\n"));
    QCOMPARE(f.form->Text1->SelStart(), 6);

    // A lone LF in a CR LF document is not its line end.
    load("one\ntwo", TextBox::LineEnd::CrLf);
    f.t->dialogs.answer(MsgAnswer::Ok);
    replace->Command1->click();
    QCOMPARE(f.t->dialogs.messages(), QStringList{u("Cannot Find E\nT")});
}

void TestReplaceDialog::focusAfterReplacementAndAfterMessages()
{
    load("abc");
    set(u("b"), u("B"));
    replace->Command1->click();
    QTRY_COMPARE(QApplication::activeWindow(), f.form);
    QTRY_COMPARE(QApplication::focusWidget(), f.form->Text1);

    for (const QString &what : {QString(), u("teh")}) {
        f.t->windows.showReplace();
        QTRY_COMPARE(QApplication::activeWindow(), replace);
        replace->Text2->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), replace->Text2);
        type(replace->Text1, what);
        f.t->dialogs.answer(MsgAnswer::Ok);
        replace->Command1->click();
        QTRY_COMPARE(QApplication::focusWidget(), replace->Text1);
    }
    QCOMPARE(f.t->dialogs.messages(), QStringList({EnterText, u("Cannot Find teh")}));
    QCOMPARE(document(), QByteArray("aBc"));
}

void TestReplaceDialog::replacingMakesTheTextUnsaved()
{
    // A change that Exit would not ask about could be lost.
    load("some text");
    f.form->Saved = true;
    set(u("some"), u("more"));
    replace->Command1->click();
    QCOMPARE(document(), QByteArray("more text"));
    QVERIFY(!f.form->Saved);
    f.t->dialogs.answer(MsgAnswer::Cancel);
    f.form->mnufileexit->trigger();
    QCOMPARE(f.t->dialogs.messages(), QStringList{u("Do You Want to Save File ?")});
}

void TestReplaceDialog::closedEditorShowsTheMessage()
{
    load("abc");
    f.form->Saved = true;
    f.form->close();
    QTRY_VERIFY(!f.t->windows.form1());
    f.form = nullptr;

    set(u("abc"), u("x"));
    f.t->dialogs.answer(MsgAnswer::Ok);
    replace->Command1->click();
    f.t->dialogs.answer(MsgAnswer::Ok);
    QTest::keyClick(replace->Text2, Qt::Key_Return);
    QCOMPARE(f.t->dialogs.messages(), QStringList({u("Cannot Find abc"), u("Cannot Find abc")}));
}

ZENDRAL_TEST_MAIN(TestReplaceDialog)
#include "tst_replacedialog.moc"
