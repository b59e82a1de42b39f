// The main window: start-up, the save prompt and its callers, the document
// flag, the window registry, resizing, menus and status bar.
#include "calc/CalcWindow.h"
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include "platform/StatusBar.h"
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTime>

using Holds = FakeClipboard::Holds;
Q_DECLARE_METATYPE(FakeClipboard::Holds)
Q_DECLARE_METATYPE(MsgAnswer)

class TestForm1 : public QObject
{
    Q_OBJECT
    EditorFixture f;
    QTemporaryDir dir;

private Q_SLOTS:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.finish(); }

    void startupClipboardRule_data();
    void startupClipboardRule();
    void definitionAtStart();
    void menusAsDefined();
    void typingAndEveryEditClearSaved_data();
    void typingAndEveryEditClearSaved();
    void promptAnswersAndTheirCallers_data();
    void promptAnswersAndTheirCallers();
    void windowsExistOnceAndComeBackAfresh();
    void processEndsWithTheLastWindow();
    void resizeFitsTheBoxAndNeverGoesNegative();
    void statusBarPanels();
};

void TestForm1::startupClipboardRule_data()
{
    QTest::addColumn<FakeClipboard::Holds>("clipboard");
    QTest::addColumn<bool>("pasteEnabled");
    QTest::addColumn<bool>("saved");
    QTest::newRow("empty") << Holds::Nothing << false << true;
    QTest::newRow("image only") << Holds::ImageOnly << false << true;
    QTest::newRow("text") << Holds::Text << true << false;
}

void TestForm1::startupClipboardRule()
{
    QFETCH(FakeClipboard::Holds, clipboard);
    QFETCH(bool, pasteEnabled);
    QFETCH(bool, saved);
    f.finish();
    QVERIFY(f.start(clipboard));
    QCOMPARE(f.form->mnueditpaste->isEnabled(), pasteEnabled);
    QCOMPARE(f.form->Saved, saved);
    f.settle();
    QCOMPARE(f.form->mnueditpaste->isEnabled(), pasteEnabled);
    // Text on the clipboard at start makes the first Exit ask; otherwise Exit ends at once.
    if (!saved)
        f.t->dialogs.answer(MsgAnswer::No);
    f.form->mnufileexit->trigger();
    QCOMPARE(f.t->dialogs.messages(), saved ? QStringList() : QStringList{QStringLiteral("Do You Want to Save File ?")});
    QCOMPARE(f.t->exits, 1);
}

void TestForm1::definitionAtStart()
{
    Form1 *form = f.form;
    QCOMPARE(form->windowTitle(), QStringLiteral("Zendral"));
    QCOMPARE(form->ScaleWidth(), 7275);
    QCOMPARE(form->ScaleHeight(), 6315);
    QCOMPARE(form->windowIcon().pixmap(48, 48).size(), QSize(48, 48));
    QCOMPARE(form->Text1->FontSize(), 12.0);
    QVERIFY(form->cdb->CancelError);
    QCOMPARE(form->cdb->Filter, QStringLiteral("Text file(*.txt)|*.txt"));
    QCOMPARE(form->cdb->FontSize, 12.0);
    QCOMPARE(form->Timer1->interval(), 1);
    QCOMPARE(QApplication::focusWidget(), form->Text1);
}

void TestForm1::menusAsDefined()
{
    // Each menu as the user sees it: caption, tab, shortcut; the About command sits on the bar itself.
    QStringList seen;
    for (QAction *bar : f.form->menuBar()->actions()) {
        seen << bar->text();
        for (QAction *a : bar->menu() ? bar->menu()->actions() : QList<QAction *>{})
            seen << (a->isSeparator() ? QStringLiteral("-") : a->text() + QLatin1Char('\t') + a->shortcut().toString());
    }
    QCOMPARE(seen.join(QLatin1Char('|')),
             QStringLiteral("&File|&New\tCtrl+N|&Open\tF3|-|&Save\tF2|Save &As\tF4|-|E&xit\t|"
                            "&Edit|&Cut\tCtrl+X|Copy\tCtrl+C|&Paste\tCtrl+V|-|Select All\tCtrl+A|Font\tF6|"
                            "&Search|Find\tCtrl+F|Replace\tCtrl+R|&Tools|Calculator\tF5|Back Ground\t|Text Color\t|About"));
}

void TestForm1::typingAndEveryEditClearSaved_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("caret");
    QTest::newRow("typing") << int(Qt::Key_X) << 0 << 0;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << 0 << 3;
    QTest::newRow("delete") << int(Qt::Key_Delete) << 0 << 0;
    QTest::newRow("undo") << int(Qt::Key_Z) << int(Qt::ControlModifier) << 0;
}

void TestForm1::typingAndEveryEditClearSaved()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, caret);
    f.form->Text1->setText(QStringLiteral("abc"));
    f.form->Saved = true;
    f.form->Text1->setSelStart(caret);
    QTest::keyClick(f.form->Text1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(!f.form->Saved);
}

void TestForm1::promptAnswersAndTheirCallers_data()
{
    QTest::addColumn<QString>("caller");
    QTest::addColumn<QString>("script");     // No, Cancel, Yes, YesCancel (dialog), YesFail (write)
    QTest::addColumn<bool>("goesOn");
    for (const char *caller : {"exit", "close", "new", "open"}) {
        QTest::addRow("%s, No", caller) << caller << "No" << true;
        QTest::addRow("%s, Cancel", caller) << caller << "Cancel" << false;
        QTest::addRow("%s, Yes", caller) << caller << "Yes" << true;
        QTest::addRow("%s, Yes then cancelled dialog", caller) << caller << "YesCancel" << false;
        QTest::addRow("%s, Yes then failed write", caller) << caller << "YesFail" << false;
    }
}

void TestForm1::promptAnswersAndTheirCallers()
{
    QFETCH(QString, caller);
    QFETCH(QString, script);
    QFETCH(bool, goesOn);
    ScriptedDialogs &d = f.t->dialogs;
    f.type(QStringLiteral("typed"));
    QVERIFY(!f.form->Saved);
    const QString target = dir.filePath(QStringLiteral("saved %1.txt").arg(QTest::currentDataTag()));

    d.answer(script == "No" ? MsgAnswer::No : script == "Cancel" ? MsgAnswer::Cancel : MsgAnswer::Yes);
    if (script == "YesCancel")
        d.cancelFile();
    if (script == "Yes" || script == "YesFail")
        d.chooseFile(script == "Yes" ? target : dir.filePath(QStringLiteral("no such folder/x.txt")));
    if (script == "YesFail")
        d.answer(MsgAnswer::Ok);   // the failure is reported
    if (caller == "open" && goesOn)
        d.cancelFile();            // the Open dialog that follows

    QPointer<Form1> form = f.form;
    if (caller == "exit")
        form->mnufileexit->trigger();
    else if (caller == "close")
        form->close();
    else if (caller == "new")
        form->mnufilenew->trigger();
    else
        form->mnufileopen->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const auto &question = d.shown().first();
    QCOMPARE(question.text + question.title, QStringLiteral("Do You Want to Save File ?Zendral"));
    QCOMPARE(question.buttons, MsgButtons::YesNoCancel);
    if (script == "YesFail")
        QVERIFY(d.messages().value(1).contains(QStringLiteral("no such folder/x.txt")));
    if (caller == "exit")
        QCOMPARE(f.t->exits, goesOn ? 1 : 0);
    if (caller == "close")
        QCOMPARE(form.isNull(), goesOn);
    if (caller == "open")
        QCOMPARE(d.shown().last().kind == ScriptedDialogs::Kind::Open, goesOn);
    if (!form)
        return;
    // The text is kept unless the answer was No or New went on; it counts as saved only when written or discarded.
    QCOMPARE(form->Text1->Text(), script == "No" || (caller == "new" && goesOn) ? QString() : QStringLiteral("typed"));
    QCOMPARE(form->Saved, goesOn);
    QFile written(target);
    QCOMPARE(written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray("none"), script == "Yes" ? "typed" : "none");
}

void TestForm1::windowsExistOnceAndComeBackAfresh()
{
    WindowRegistry &w = f.t->windows;
    f.form->mnuoptcalc->trigger();
    QPointer<CalcWindow> first = w.calc();
    f.form->mnuoptcalc->trigger();
    QCOMPARE(w.calc(), first.data());
    QVERIFY(first->isVisible() && !first->parentWidget());
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull() && !w.calc());
    f.form->mnuoptcalc->trigger();
    QVERIFY(w.calc());
    f.form->mnuabout->trigger();
    QVERIFY(w.about());
}

void TestForm1::processEndsWithTheLastWindow()
{
    WindowRegistry &w = f.t->windows;
    f.form->mnuoptcalc->trigger();
    QPointer<CalcWindow> calc = w.calc();
    QVERIFY(f.form->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w.form1());
    QCOMPARE(f.t->exits, 0);
    calc->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_COMPARE(f.t->exits, 1);
}

void TestForm1::resizeFitsTheBoxAndNeverGoesNegative()
{
    f.form->Text1->setText(QStringLiteral("kept"));
    f.form->resize(600, 500);
    QTRY_COMPARE(f.form->Text1->width() * 15, f.form->ScaleWidth());
    QCOMPARE(f.form->Text1->geometry().topLeft(), QPoint(0, 0));
    QCOMPARE(f.form->Text1->height() * 15, f.form->ScaleHeight() - 345);   // 350 twips, rounded to whole pixels
    const StatusBar *bar = f.form->statusbar;
    QCOMPARE(bar->geometry(), QRect(0, f.form->centralWidget()->height() - 25, f.form->centralWidget()->width(), 25));
    // Shorter than the status bar's band: the box gets no height, the text stays.
    f.form->centralWidget()->resize(200, 10);
    f.form->Form_Resize();
    QCOMPARE(f.form->Text1->height(), 0);
    QCOMPARE(f.form->Text1->Text(), QStringLiteral("kept"));
}

void TestForm1::statusBarPanels()
{
    StatusBar *bar = f.form->statusbar;
    QStringList panels;
    for (int i = 1; i <= 3; ++i)
        panels << bar->panel(i)->objectName() + QLatin1Char('=') + bar->panel(i)->text();
    QCOMPARE(panels, (QStringList{"text= ", "caps=CAPS", "numlock=NUM"}));
    const QString clock = bar->panel(QStringLiteral("time"))->text();
    QVERIFY2(QTime::fromString(clock, StatusBar::shortTimeFormat()).isValid() && !clock.contains(QLatin1String(":00:")), qPrintable(clock));
    // Unknown lock state shows dimmed; a known state follows the key.
    QVERIFY(!bar->panel(QStringLiteral("caps"))->isEnabled());
    f.t->lockKeys.caps = true;
    f.t->lockKeys.num = false;
    QTest::keyClick(f.form->Text1, Qt::Key_CapsLock);
    QVERIFY(bar->panel(QStringLiteral("caps"))->isEnabled() && !bar->panel(QStringLiteral("numlock"))->isEnabled());
    // The spare width goes to the first panel.
    const int text = bar->panel(1)->width(), time = bar->panel(4)->width();
    f.form->resize(f.form->width() + 100, f.form->height());
    QTRY_COMPARE(bar->panel(1)->width(), text + 100);
    QCOMPARE(bar->panel(4)->width(), time);
}

ZENDRAL_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
