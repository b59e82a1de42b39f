// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: start-up, the menu bar's keys, the end of the process, resizing and the status bar.
#include "calc/CalcWindow.h"
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include "platform/StatusBar.h"
#include <QMenuBar>
#include <QTime>

class TestForm1 : public QObject
{
    Q_OBJECT
    EditorFixture f;

private Q_SLOTS:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.finish(); }

    // Centred on the screen (give or take the frame), the focus in the box. Text on the clipboard at start enables
    // Paste (an image only does not); the new document is saved all the same: Exit ends at once.
    void startsAsDefined()
    {
        for (const bool text : {false, true}) {
            const auto row = qScopeGuard([text] { if (QTest::currentTestFailed()) qWarning("text: %d", text); });
            f.finish();
            QVERIFY(f.start(text ? FakeClipboard::Holds::Text : FakeClipboard::Holds::ImageOnly));
            Form1 *form = f.form;
            QCOMPARE(std::tuple(form->Text1->FontSize(), form->cdb->CancelError, form->cdb->FontSize,
                                form->Timer1->interval(), QApplication::focusWidget()),
                     std::tuple(12.0, true, 12.0, 1, static_cast<QWidget *>(form->Text1)));
            const QPoint centre = form->frameGeometry().center() - form->screen()->availableGeometry().center();
            QVERIFY(centre.manhattanLength() <= 8);
            QCOMPARE(std::tuple(form->mnueditpaste->isEnabled(), form->Saved), std::tuple(text, true));
            f.settle();
            QCOMPARE(form->mnueditpaste->isEnabled(), text);
            form->mnufileexit->trigger();
            QCOMPARE(std::tuple(f.t->dialogs.messages(), f.t->exits), std::tuple(QStringList(), 1));
        }
    }

    // F10 opens the first menu; a lone Alt puts the keys on the bar, its first title marked.
    void menuBarKeys()
    {
        QMenuBar *bar = f.form->menuBar();
        const auto file = [bar] { return bar->grab(bar->actionGeometry(bar->actions().value(0))).toImage(); };
        const QImage unmarked = file();
        QTest::keyClick(f.form->Text1, Qt::Key_F10);
        QTRY_VERIFY(bar->actions().value(0)->menu()->isVisible());
        bar->actions().value(0)->menu()->close();
        QTRY_COMPARE(QApplication::focusWidget(), f.form->Text1);
        QTest::keyPress(f.form->Text1, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(f.form->Text1, Qt::Key_Alt, Qt::AltModifier);
        QCOMPARE(std::tuple(QApplication::focusWidget(), file() == unmarked), std::tuple(bar, false));
    }

    void theLastWindowEndsTheProcess()
    {
        WindowRegistry &w = f.t->windows;
        f.form->mnuoptcalc->trigger();
        QPointer<CalcWindow> calc = w.calc();
        // A closed window is destroyed (the calculator's test sees the next one built afresh); the process
        // ends with the last window, not with the main one.
        QVERIFY(f.form->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w.form1() && f.t->exits == 0);
        calc->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(calc.isNull() && !w.calc());
        QTRY_COMPARE(f.t->exits, 1);
    }

    void statusBarAndResizing()
    {
        StatusBar *bar = f.form->statusbar;
        const QString clock = bar->panel(QStringLiteral("time"))->text();
        QVERIFY2(QTime::fromString(clock, StatusBar::shortTimeFormat()).isValid() && !clock.contains(":00:"),
                 qPrintable(clock));
        // Unknown lock state shows dimmed; a known state follows the key.
        QVERIFY(!bar->panel(QStringLiteral("caps"))->isEnabled());
        f.t->lockKeys.caps = true;
        f.t->lockKeys.num = false;
        QTest::keyClick(f.form->Text1, Qt::Key_CapsLock);
        QVERIFY(bar->panel(QStringLiteral("caps"))->isEnabled() && !bar->panel(QStringLiteral("numlock"))->isEnabled());
        // The box fills the window above the status bar; the spare width goes to the first panel.
        const int text = bar->panel(1)->width(), time = bar->panel(4)->width(), wider = 600 - f.form->width();
        f.form->Text1->setText(QStringLiteral("kept"));
        f.form->resize(600, 500);
        QTRY_COMPARE(f.form->Text1->width() * 15, f.form->ScaleWidth());
        QCOMPARE(f.form->Text1->geometry().topLeft(), QPoint(0, 0));
        const QWidget *client = f.form->centralWidget();
        QCOMPARE(f.form->Text1->geometry().bottom() + 1, bar->geometry().top());   // they meet exactly
        QCOMPARE(bar->geometry(), QRect(0, client->height() - 25, client->width(), 25));
        QCOMPARE(std::tuple(bar->panel(1)->width(), bar->panel(4)->width()), std::tuple(text + wider, time));
        // Shorter than the status bar's band: the box gets no height, the text stays.
        f.form->centralWidget()->resize(200, 10);
        f.form->Form_Resize();
        QCOMPARE(std::tuple(f.form->Text1->height(), f.form->Text1->Text()), std::tuple(0, QStringLiteral("kept")));
    }
};

ZENDRAL_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
