// The real Qt backends of the message boxes and the file dialogs.
#include "platform/CommonDialog.h"
#include "platform/Dialogs.h"
#include "support/TestMain.h"
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

using testsupport::whenModal;

class TestQtDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { testsupport::allowModalDialogs(true); }
    void cleanup() { testsupport::allowModalDialogs(false); }

    void saveQuestionShowsExactlyItsText();
    void fileDialogAddsTheDefaultExtension();
    void cancelledFileDialogChangesNothing();
};

void TestQtDialogs::saveQuestionShowsExactlyItsText()
{
    QtDialogs dialogs;
    QStringList seen;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        seen << box->windowTitle() << box->text() << QString::number(box->buttons().size())
             << QString::number(box->icon()) << QString::number(box->defaultButton() == box->button(QMessageBox::Yes));
        box->button(QMessageBox::No)->click();
    });
    QCOMPARE(dialogs.show(nullptr, QStringLiteral("Do You Want to Save File ?"), MsgButtons::YesNoCancel), MsgAnswer::No);
    QCOMPARE(seen, (QStringList{"Zendral", "Do You Want to Save File ?", "3", "0", "1"}));
    // Esc is Cancel; an OK message has its one button.
    whenModal<QMessageBox>([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); });
    QCOMPARE(dialogs.show(nullptr, QStringLiteral("q"), MsgButtons::YesNoCancel), MsgAnswer::Cancel);
    whenModal<QMessageBox>([](QMessageBox *box) { box->buttons().size() == 1 ? box->accept() : box->reject(); });
    QCOMPARE(dialogs.show(nullptr, QStringLiteral("Invalid Data Format"), MsgButtons::Ok), MsgAnswer::Ok);
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
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        filter = dialog->selectedNameFilter();
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        name->setText(dir.filePath(QStringLiteral("notes")));
        QTest::keyClick(name, Qt::Key_Return);
    });
    QVERIFY(cdb.ShowSave());
    QCOMPARE(cdb.FileName(), dir.filePath(QStringLiteral("notes.txt")));
    QCOMPARE(filter, QStringLiteral("Text file(*.txt) (*.txt)"));
}

void TestQtDialogs::cancelledFileDialogChangesNothing()
{
    // With the cancel error the command learns of it; without, the dialog returns quietly.
    QtDialogs dialogs;
    CommonDialog cdb(dialogs, nullptr);
    cdb.setFileName(QStringLiteral("/tmp/kept.txt"));
    for (bool cancelError : {true, false}) {
        cdb.CancelError = cancelError;
        whenModal<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
        QCOMPARE(cdb.ShowOpen(), !cancelError);
        QCOMPARE(cdb.FileName(), QStringLiteral("/tmp/kept.txt"));
    }
}

ZENDRAL_TEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
