// SPDX-License-Identifier: GPL-3.0-or-later
// The real Qt backends of the message boxes and the file dialogs.
#include "platform/CommonDialog.h"
#include "platform/Dialogs.h"
#include "support/TestMain.h"
#include <QAccessible>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

using testsupport::whenModal;

namespace {
// What a screen reader reads in a window: the names of its shown static texts, depth first.
QStringList staticTexts(QAccessibleInterface *iface)
{
    QStringList texts;
    if (iface->role() == QAccessible::StaticText && !iface->state().invisible
        && !iface->text(QAccessible::Name).isEmpty())
        texts << iface->text(QAccessible::Name);
    for (int i = 0; i < iface->childCount(); ++i)
        texts << staticTexts(iface->child(i));
    return texts;
}
}

class TestQtDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { testsupport::allowModalDialogs(true); }
    void cleanup() { testsupport::allowModalDialogs(false); }

    void saveQuestionShowsExactlyItsText()
    {
        QtDialogs dialogs;
        QStringList seen;
        whenModal<QMessageBox>([&](QMessageBox *box) {
            seen << box->windowTitle() << staticTexts(QAccessible::queryAccessibleInterface(box)).join(u'|')
                 << QString::number(box->buttons().size())
                 << QString::number(box->defaultButton() == box->button(QMessageBox::Yes));
            box->button(QMessageBox::No)->click();
        });
        QCOMPARE(dialogs.show(nullptr, QStringLiteral("Do You Want to Save File ?"), MsgButtons::YesNoCancel),
                 MsgAnswer::No);
        QCOMPARE(seen, (QStringList{"Zendral", "Do You Want to Save File ?", "3", "1"}));
        // Esc is Cancel; an OK message has its one button; Enter on Yes/No answers its default, No.
        whenModal<QMessageBox>([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(dialogs.show(nullptr, QStringLiteral("q"), MsgButtons::YesNoCancel), MsgAnswer::Cancel);
        whenModal<QMessageBox>([](QMessageBox *box) { box->buttons().size() == 1 ? box->accept() : box->reject(); });
        QCOMPARE(dialogs.show(nullptr, QStringLiteral("Invalid Data Format"), MsgButtons::Ok), MsgAnswer::Ok);
        whenModal<QMessageBox>([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
        QCOMPARE(dialogs.show(nullptr, QStringLiteral("Overwrite it?"), MsgButtons::YesNo), MsgAnswer::No);
    }

    // Save adds the extension, never to an existing file's name; Open lists any file; a cancel is told.
    void fileDialogTakesTheTypedName()
    {
        for (const auto &[save, typed, chosen] :
             {std::tuple(true, "notes", "notes.txt"), {true, "README", "README"}, {false, "", "kept.txt"}}) {
            const auto row = qScopeGuard(
                [&] { if (QTest::currentTestFailed()) qWarning("row %d \"%s\"", save, typed); });
            QTemporaryDir dir;
            QVERIFY(QFile(dir.filePath(QStringLiteral("README"))).open(QIODevice::WriteOnly));
            QtDialogs dialogs;
            CommonDialog cdb(dialogs, nullptr);
            cdb.Filter = QStringLiteral("Text file(*.txt)|*.txt");
            cdb.DefaultExt = QStringLiteral("txt");
            cdb.CancelError = true;
            cdb.Flags = 10;
            cdb.setFileName(dir.filePath(QStringLiteral("kept.txt")));
            QStringList seen;
            whenModal<QFileDialog>([&](QFileDialog *dialog) {
                seen = dialog->nameFilters() << dialog->selectedNameFilter();
                if (!*typed)
                    return dialog->reject();
                auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                name->setText(dir.filePath(typed));
                // The question before overwriting is answered Yes; any other warning is closed rather than hang.
                auto *guard = new QTimer(dialog);
                connect(guard, &QTimer::timeout, [&seen] {
                    if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                        box->button(QMessageBox::Yes) ? (seen << "asked", box->button(QMessageBox::Yes)->click())
                                                      : box->reject();
                });
                guard->start(20);
                QTest::keyClick(name, Qt::Key_Return);
                if (dialog->isVisible())
                    dialog->reject();
            });
            QCOMPARE(save ? cdb.ShowSave() : cdb.ShowOpen(), bool(*typed));
            QCOMPARE(cdb.FileName(), dir.filePath(chosen));
            // The first filter is selected, and the Save dialog asks before overwriting.
            const QString text = QStringLiteral("Text file(*.txt)");
            QCOMPARE(seen, (save ? QStringList{text} : QStringList{text, "All files (*)"}) + QStringList{text}
                               + (QByteArray(chosen) == "README" && save ? QStringList{"asked"} : QStringList{}));
        }
    }
};

ZENDRAL_TEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
