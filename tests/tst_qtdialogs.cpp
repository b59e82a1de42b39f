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
    void fileDialogTakesTheTypedName_data();
    void fileDialogTakesTheTypedName();
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
    // Yes/No: No is the default, and Esc answers No.
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        whenModal<QMessageBox>([&](QMessageBox *box) {
            seen << QString::number(box->buttons().size()) + QString::number(box->defaultButton() == box->button(QMessageBox::No));
            QTest::keyClick(box, Qt::Key(key));
        });
        QCOMPARE(dialogs.show(nullptr, QStringLiteral("Overwrite it?"), MsgButtons::YesNo), MsgAnswer::No);
    }
    QCOMPARE(seen.mid(5), (QStringList{"21", "21"}));
}

void TestQtDialogs::fileDialogTakesTheTypedName_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("filters");
    const QString text = QStringLiteral("Text file(*.txt)");
    // Only Save adds the extension; Open takes an existing name as it is, and can list any file.
    QTest::newRow("save") << true << "notes" << "notes.txt" << QStringList{text};
    QTest::newRow("open, no extension") << false << "README" << "README" << QStringList{text, "All files (*)"};
}

void TestQtDialogs::fileDialogTakesTheTypedName()
{
    QFETCH(bool, save);
    QFETCH(QString, typed);
    QFETCH(QString, chosen);
    QFETCH(QStringList, filters);
    QTemporaryDir dir;
    QFile readme(dir.filePath(QStringLiteral("README")));
    QVERIFY(readme.open(QIODevice::WriteOnly));
    QtDialogs dialogs;
    CommonDialog cdb(dialogs, nullptr);
    cdb.Filter = QStringLiteral("Text file(*.txt)|*.txt");
    cdb.DefaultExt = QStringLiteral("txt");
    cdb.CancelError = true;
    cdb.Flags = 10;
    QStringList seen;
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        seen = dialog->nameFilters();
        seen << dialog->selectedNameFilter() << QString::number(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        name->setText(dir.filePath(typed));
        // A name the dialog refuses brings up its warning: close both rather than hang.
        auto *guard = new QTimer(dialog);
        connect(guard, &QTimer::timeout, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->reject();
        });
        guard->start(20);
        QTest::keyClick(name, Qt::Key_Return);
        if (dialog->isVisible())
            dialog->reject();
    });
    QVERIFY(save ? cdb.ShowSave() : cdb.ShowOpen());
    QCOMPARE(cdb.FileName(), dir.filePath(chosen));
    // The first filter is selected, and the Save dialog asks before overwriting.
    QCOMPARE(seen, filters + QStringList({filters.first(), "0"}));
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
