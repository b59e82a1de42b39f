// The real Qt backends of the message boxes and the file dialogs.
#include "platform/CommonDialog.h"
#include "platform/Dialogs.h"
#include "support/TestMain.h"
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

class TestQtDialogs : public QObject
{
    Q_OBJECT

    // Runs `act` on the modal dialog as soon as it is up.
    static void whenModal(std::function<void(QWidget *)> act)
    {
        auto *poll = new QTimer;
        poll->setInterval(20);
        QObject::connect(poll, &QTimer::timeout, [poll, act] {
            if (QWidget *w = QApplication::activeModalWidget()) {
                poll->stop();
                poll->deleteLater();
                act(w);
            }
        });
        poll->start();
    }

private Q_SLOTS:
    void init() { testsupport::allowModalDialogs(true); }
    void cleanup() { testsupport::allowModalDialogs(false); }

    void saveQuestionShowsExactlyItsText();
    void fileDialogAddsTheDefaultExtension();
    void cancelledFileDialogIsTheCancelError();
    void nameFilters();
};

void TestQtDialogs::saveQuestionShowsExactlyItsText()
{
    QtDialogs dialogs;
    QString title, text;
    QStringList buttons;
    bool iconless = false;
    whenModal([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        iconless = box->icon() == QMessageBox::NoIcon;
        for (QAbstractButton *b : box->buttons())
            buttons << b->text();
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
        box->button(QMessageBox::No)->click();
    });
    QCOMPARE(dialogs.show(nullptr, QStringLiteral("Do You Want to Save File ?"), MsgButtons::YesNoCancel), MsgAnswer::No);
    QCOMPARE(title, QStringLiteral("Zendral"));
    QCOMPARE(text, QStringLiteral("Do You Want to Save File ?"));
    QVERIFY(iconless);
    QCOMPARE(buttons.size(), 3);
    // Esc is Cancel.
    whenModal([](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); });
    QCOMPARE(dialogs.show(nullptr, QStringLiteral("q"), MsgButtons::YesNoCancel), MsgAnswer::Cancel);
}

void TestQtDialogs::fileDialogAddsTheDefaultExtension()
{
    QTemporaryDir dir;
    QtDialogs dialogs;
    CommonDialog cdb(dialogs, nullptr);
    cdb.Filter = QStringLiteral("Text file(*.txt)|*.txt");
    cdb.DefaultExt = QStringLiteral("txt");
    cdb.CancelError = true;
    cdb.Flags = 10;
    QString filter;
    whenModal([&](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        QVERIFY(dialog);
        filter = dialog->selectedNameFilter();
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(dir.filePath(QStringLiteral("notes")));
        QTest::keyClick(name, Qt::Key_Return);
    });
    QVERIFY(cdb.ShowSave());
    QCOMPARE(cdb.FileName(), dir.filePath(QStringLiteral("notes.txt")));
    QCOMPARE(filter, QStringLiteral("Text file(*.txt) (*.txt)"));
}

void TestQtDialogs::cancelledFileDialogIsTheCancelError()
{
    QtDialogs dialogs;
    CommonDialog cdb(dialogs, nullptr);
    cdb.setFileName(QStringLiteral("/tmp/kept.txt"));
    cdb.CancelError = true;
    whenModal([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
    QVERIFY(!cdb.ShowOpen());
    QCOMPARE(cdb.FileName(), QStringLiteral("/tmp/kept.txt"));
    // Without the cancel error a cancelled dialog returns quietly, changing nothing.
    cdb.CancelError = false;
    whenModal([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
    QVERIFY(cdb.ShowOpen());
    QCOMPARE(cdb.FileName(), QStringLiteral("/tmp/kept.txt"));
}

void TestQtDialogs::nameFilters()
{
    QCOMPARE(QtDialogs::nameFilters(QStringLiteral("Text file(*.txt)|*.txt")),
             QStringList{QStringLiteral("Text file(*.txt) (*.txt)")});
    QCOMPARE(QtDialogs::nameFilters(QStringLiteral("A|*.a;*.b|All|*.*")),
             (QStringList{QStringLiteral("A (*.a *.b)"), QStringLiteral("All (*.*)")}));
    QCOMPARE(QtDialogs::nameFilters(QString()), QStringList());
}

ZENDRAL_TEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
