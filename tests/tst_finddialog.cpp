// The Find window at work on the editor: first occurrence, case choice, Enter,
// the not-found message, focus, and a closed editor.
#include "search/FindDialog.h"
#include "platform/StatusBar.h"
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include "platform/Dialogs.h"
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
const QString NotFound = QStringLiteral("Sorry Friend,String Not Found");
QString u(const char *utf8) { return QString::fromUtf8(utf8); }
}

class TestFindDialog : public QObject
{
    Q_OBJECT
    EditorFixture f;
    FindDialog *find = nullptr;

    void load(const QByteArray &utf8, TextBox::LineEnd eol = TextBox::LineEnd::Lf)
    {
        f.form->Text1->setLineEnd(eol);
        f.form->Text1->loadBytes(utf8);
    }
    // Types a search text as a user does over the selected initial text.
    void setSearch(const QString &text)
    {
        find->Text1->setPlainText(text);
        find->Text1->moveCursor(QTextCursor::End);
    }
    qint64 selStart() const { return f.form->Text1->SelStart(); }
    qint64 selLength() const { return f.form->Text1->SelLength(); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(f.start());
        find = f.t->windows.showFind();
        QVERIFY(QTest::qWaitForWindowActive(find));
    }
    void cleanup()
    {
        f.finish();
        find = nullptr;
    }

    void hits_data();
    void hits();
    void misses_data();
    void misses();
    void everyPressSelectsTheFirstOccurrence();
    void freshWindowSelectsItsBlankAndFindsOne();
    void enterSearchesFirstThenBreaksTheLine();
    void lineBreakStandsForTheDocumentsLineEnd_data();
    void lineBreakStandsForTheDocumentsLineEnd();
    void focusAfterHitAndAfterMessage();
    void returningFromTheEditorSelectsTheSearchText();
    void closedEditorShowsTheMessage();
    void realMessageBoxLeavesTheSearchTextAlone();
};

void TestFindDialog::hits_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("check");   // 0 unchecked, 1 checked, 2 grayed
    QTest::addColumn<qint64>("selStart");
    QTest::addColumn<qint64>("selLength");

    QTest::newRow("case-blind") << QByteArray("xABCx") << u("abc") << 0 << qint64(1) << qint64(3);
    QTest::newRow("grayed is case-blind") << QByteArray("xABCx") << u("abc") << 2 << qint64(1) << qint64(3);
    QTest::newRow("exact") << QByteArray("ABC abc") << u("abc") << 1 << qint64(4) << qint64(3);
    QTest::newRow("at the very end") << QByteArray("xxabc") << u("ABC") << 0 << qint64(2) << qint64(3);
    QTest::newRow("empty search text") << QByteArray("abc") << QString() << 0 << qint64(0) << qint64(0);
    QTest::newRow("non-ascii case") << u("GRÜSSE GRÜẞE").toUtf8() << u("grüße") << 0 << qint64(7) << qint64(5);
    QTest::newRow("kelvin sign") << u("10 K").toUtf8() << u("k") << 0 << qint64(3) << qint64(1);
    QTest::newRow("after surrogate pairs") << u("😀😀ab").toUtf8() << u("AB") << 0 << qint64(4) << qint64(2);
    QTest::newRow("beyond 32767") << QByteArray(40000, 'x') + "Needle" << u("needle") << 0 << qint64(40000) << qint64(6);
    QTest::newRow("beyond 65535") << QByteArray(70000, 'x') + "Needle" << u("Needle") << 1 << qint64(70000) << qint64(6);
    QTest::newRow("after invalid bytes") << QByteArray("\xff\xfe\xc3(abc") << u("ABC") << 0 << qint64(4) << qint64(3);
    QTest::newRow("no-break space is not a space")
        << u("a\u00a0b a b").toUtf8() << u("a\u00a0b") << 1 << qint64(0) << qint64(3);
}

void TestFindDialog::hits()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, search);
    QFETCH(int, check);
    QFETCH(qint64, selStart);
    QFETCH(qint64, selLength);
    load(document);
    f.form->Saved = true;
    setSearch(search);
    find->Check1->setTristate(check == 2);
    find->Check1->setCheckState(check == 1 ? Qt::Checked : check == 2 ? Qt::PartiallyChecked : Qt::Unchecked);

    find->Command1->click();
    QCOMPARE(f.form->Text1->SelStart(), selStart);
    QCOMPARE(f.form->Text1->SelLength(), selLength);
    QCOMPARE(f.form->Text1->SelText(), QString::fromUtf8(document).mid(selStart, selLength));
    QCOMPARE(f.t->dialogs.messages(), QStringList());
    // Finding changes neither the text nor the document flag.
    QCOMPARE(QByteArray(f.form->Text1->bytes().toByteArray()), document);
    QVERIFY(f.form->Saved);
    QVERIFY(find->isVisible());
}

void TestFindDialog::misses_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("checked");

    QTest::newRow("exact misses other case") << QByteArray("xABCx") << u("abc") << true;
    QTest::newRow("not there") << QByteArray("hello") << u("teh") << false;
    QTest::newRow("empty document") << QByteArray() << u("a") << false;
    QTest::newRow("empty document, empty search") << QByteArray() << QString() << false;
    QTest::newRow("longer than the document") << QByteArray("ab") << u("abc") << false;
}

void TestFindDialog::misses()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, search);
    QFETCH(bool, checked);
    load(document);
    f.form->Text1->setSelStart(1);
    setSearch(search);
    find->Check1->setChecked(checked);

    f.t->dialogs.answer(MsgAnswer::Ok);
    find->Command1->click();
    QCOMPARE(f.t->dialogs.messages(), QStringList{NotFound});
    QCOMPARE(f.t->dialogs.shown().constFirst().title, QStringLiteral("Zendral"));
    QCOMPARE(f.t->dialogs.shown().constFirst().buttons, MsgButtons::Ok);
    // Nothing in the editor moved.
    QCOMPARE(selStart(), qMin<qint64>(1, document.size()));
    QCOMPARE(selLength(), 0);
}

void TestFindDialog::everyPressSelectsTheFirstOccurrence()
{
    load("one two one two one");
    setSearch(u("ONE"));
    for (int press = 0; press < 3; ++press) {
        find->Command1->click();
        QCOMPARE(selStart(), 0);
        QCOMPARE(selLength(), 3);
        // Moving the caret on does not move the search on.
        f.form->Text1->setSelStart(10);
    }
}

void TestFindDialog::freshWindowSelectsItsBlankAndFindsOne()
{
    // Form_Activate has selected the initial blank, so typing replaces it.
    QCOMPARE(find->Text1->toPlainText(), u(" "));
    QTRY_COMPARE(find->Text1->textCursor().selectedText(), u(" "));
    QCOMPARE(QApplication::focusWidget(), find->Text1);
    QVERIFY(!find->Check1->isChecked());

    load("ab cd ef");
    find->Command1->click();
    QCOMPARE(selStart(), 2);
    QCOMPARE(selLength(), 1);
}

void TestFindDialog::enterSearchesFirstThenBreaksTheLine()
{
    load("abc\nxabc");
    setSearch(u("abc"));
    // The search runs with the text as it was before the key ...
    QTest::keyClick(find->Text1, Qt::Key_Return);
    QCOMPARE(selStart(), 0);
    QCOMPARE(selLength(), 3);
    // ... which then adds a line break to the search text.
    QCOMPARE(find->Text1->toPlainText(), u("abc\n"));

    // The next search looks for the text ending a line.
    load("abc xabc\nabc");
    find->Command1->click();
    QCOMPARE(selStart(), 5);
    QCOMPARE(selLength(), 4);

    // Enter on the keypad does the same.
    load("zz abc\n");
    QTest::keyClick(find->Text1, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(selStart(), 3);
    QCOMPARE(selLength(), 4);
}

void TestFindDialog::lineBreakStandsForTheDocumentsLineEnd_data()
{
    QTest::addColumn<int>("eol");
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<qint64>("length");
    QTest::newRow("CR LF") << int(TextBox::LineEnd::CrLf) << QByteArray("xx one\r\ntwo") << qint64(8);
    QTest::newRow("LF") << int(TextBox::LineEnd::Lf) << QByteArray("xx one\ntwo") << qint64(7);
    QTest::newRow("CR") << int(TextBox::LineEnd::Cr) << QByteArray("xx one\rtwo") << qint64(7);
}

void TestFindDialog::lineBreakStandsForTheDocumentsLineEnd()
{
    QFETCH(int, eol);
    QFETCH(QByteArray, document);
    QFETCH(qint64, length);
    load(document, TextBox::LineEnd(eol));
    setSearch(u("ONE\ntwo"));
    find->Command1->click();
    QCOMPARE(selStart(), 3);
    QCOMPARE(selLength(), length);
    QCOMPARE(f.form->Text1->SelText(), QString::fromUtf8(document.mid(3)));
}

void TestFindDialog::focusAfterHitAndAfterMessage()
{
    load("abc");
    setSearch(u("b"));
    f.form->statusbar->raise();
    find->Command1->click();
    QTRY_COMPARE(QApplication::activeWindow(), f.form);
    QTRY_COMPARE(QApplication::focusWidget(), f.form->Text1);
    // The editing area is brought to the front of its window's controls.
    QCOMPARE(f.form->Text1->parentWidget()->children().last(), f.form->Text1);

    // After the message the focus is back in the search box, its text and
    // selection as they were.
    f.t->windows.showFind();
    QTRY_COMPARE(QApplication::activeWindow(), find);
    setSearch(u("zzz"));
    QTextCursor cursor = find->Text1->textCursor();
    cursor.setPosition(1);
    find->Text1->setTextCursor(cursor);
    f.t->dialogs.answer(MsgAnswer::Ok);
    find->Command1->click();
    QCOMPARE(f.t->dialogs.messages(), QStringList{NotFound});
    QTRY_COMPARE(QApplication::focusWidget(), find->Text1);
    QCOMPARE(find->Text1->toPlainText(), u("zzz"));
    QCOMPARE(find->Text1->textCursor().position(), 1);
    QVERIFY(!find->Text1->textCursor().hasSelection());
}

void TestFindDialog::returningFromTheEditorSelectsTheSearchText()
{
    setSearch(u("word"));
    QVERIFY(!find->Text1->textCursor().hasSelection());
    f.form->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), f.form);
    find->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), find);
    QTRY_COMPARE(find->Text1->textCursor().selectedText(), u("word"));
    QCOMPARE(QApplication::focusWidget(), find->Text1);
}

void TestFindDialog::closedEditorShowsTheMessage()
{
    load("abc");
    f.form->Saved = true;
    f.form->close();
    QTRY_VERIFY(!f.t->windows.form1());
    f.form = nullptr;
    QVERIFY(find);

    setSearch(u("abc"));
    f.t->dialogs.answer(MsgAnswer::Ok);
    find->Command1->click();
    f.t->dialogs.answer(MsgAnswer::Ok);
    QTest::keyClick(find->Text1, Qt::Key_Return);
    QCOMPARE(f.t->dialogs.messages(), QStringList({NotFound, NotFound}));
}

void TestFindDialog::realMessageBoxLeavesTheSearchTextAlone()
{
    // Coming back from a real message box is no activation of the window:
    // the search text keeps its caret instead of being selected again.
    QtDialogs real;
    Services services{real, f.t->dialogs, f.t->clipboard, f.t->lockKeys, f.t->registry, f.t->launcher};
    Windows windows(services);
    windows.onExit = [] {};
    FindDialog *own = windows.showFind();
    QVERIFY(QTest::qWaitForWindowActive(own));
    own->Text1->setPlainText(u("zzz"));
    QTextCursor cursor = own->Text1->textCursor();
    cursor.setPosition(1);
    own->Text1->setTextCursor(cursor);

    QString shown;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            shown = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->text();
            box->accept();
        }
    });
    closer.start(20);
    testsupport::allowModalDialogs(true);
    own->Command1->click();   // no editor in this registry: not found
    testsupport::allowModalDialogs(false);
    QCOMPARE(shown, NotFound);
    QTRY_COMPARE(QApplication::activeWindow(), own);
    QTest::qWait(50);
    QCOMPARE(QApplication::focusWidget(), own->Text1);
    QVERIFY(!own->Text1->textCursor().hasSelection());
    QCOMPARE(own->Text1->textCursor().position(), 1);
}

ZENDRAL_TEST_MAIN(TestFindDialog)
#include "tst_finddialog.moc"
