// New, Open, Save and Save As through the scripted dialogs, and the timer that
// keeps the menus and the status bar current.
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include "platform/StatusBar.h"
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>

class TestFileCommands : public QObject
{
    Q_OBJECT
    EditorFixture f;
    QTemporaryDir dir;

    QString file(const QString &name, const QByteArray &bytes)
    {
        QFile out(dir.filePath(name));
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes);
        return out.fileName();
    }
    static QByteArray contents(const QString &path)
    {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<unreadable>");
    }
    void open(const QString &path)
    {
        f.t->dialogs.chooseFile(path);
        f.form->mnufileopen->trigger();
        f.settle();   // the menus follow the loaded text
    }
    ScriptedDialogs &dialogs() { return f.t->dialogs; }
    QString panelText() const { return f.form->statusbar->panel(QStringLiteral("text"))->text(); }
    QString enabledItems() const
    {
        QStringList names;
        for (QAction *a : f.form->findChildren<QAction *>())
            if (a->objectName().startsWith(QLatin1String("mnu")) && a->isEnabled() && !a->isSeparator() && !a->menu())
                names << a->objectName();
        names.sort();
        return names.join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.finish(); }

    void openThenSaveGivesBackTheSameBytes_data();
    void openThenSaveGivesBackTheSameBytes();
    void saveAsksForANameOnlyWhenItMust();
    void newKeepsOrDiscardsAndThePanelKeepsTheName();
    void unreadableFileIsReportedAndNotAdopted_data();
    void unreadableFileIsReportedAndNotAdopted();
    void failedSaveKeepsOldFileAndFlag();
    void menuStatesFollowTheText();
    void timerSleepsWhileNothingChanges();
    void shortcutsRunEnabledItemsOnly();
};

void TestFileCommands::openThenSaveGivesBackTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("crlf") << QByteArray("one\r\ntwo\r\n");
    QTest::newRow("lf, no final line end") << QByteArray("one\ntwo");
    QTest::newRow("cr") << QByteArray("one\rtwo\r");
    QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd");
    QTest::newRow("nul") << QByteArray("bin\0ary\0", 8);
    QTest::newRow("utf-8") << QByteArray("\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80");
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBFhello\r\n");
    QTest::newRow("utf-16le bom") << QByteArray("\xFF\xFEh\0\r\0\n\0", 8);
    QTest::newRow("windows-1252") << QByteArray("na\xEFve \x80\x81\x8D\x8F\x90\x9D");
    QTest::newRow("one long line") << QByteArray(2 * 1024 * 1024, 'w');
}

void TestFileCommands::openThenSaveGivesBackTheSameBytes()
{
    QFETCH(QByteArray, bytes);
    const QString path = file(QStringLiteral("ünï cödé %1.txt").arg(QTest::currentDataTag()), bytes);
    open(path);
    QCOMPARE(f.form->cdb->FileName(), path);
    QVERIFY(f.form->Saved);
    QFile::remove(path);
    // Unchanged: Save writes to the same name without a dialog.
    f.form->mnufilesave->trigger();
    QCOMPARE(dialogs().shown().size(), 1);
    QCOMPARE(contents(path), bytes);
}

void TestFileCommands::saveAsksForANameOnlyWhenItMust()
{
    // Saved but never named: Save asks rather than failing silently.
    f.form->Text1->setText(QStringLiteral("x"));
    f.form->Saved = true;
    f.settle();
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    dialogs().chooseFile(path);
    f.form->mnufilesave->trigger();
    QCOMPARE(contents(path), QByteArray("x"));
    // Typed changes: Save asks again, starting from the current name, with flags 10.
    f.type(QStringLiteral("y"));
    dialogs().chooseFile(path);
    f.form->mnufilesave->trigger();
    const auto &save = dialogs().shown().last();
    QCOMPARE(save.kind, ScriptedDialogs::Kind::Save);
    QCOMPARE(save.file.fileName, path);
    QCOMPARE(save.flags, 10);
    QCOMPARE(save.file.defaultExt, QStringLiteral("txt"));
    QCOMPARE(contents(path), QByteArray("yx"));
    QCOMPARE(f.form->FileText, QByteArray("yx"));
    QVERIFY(f.form->Saved);
    // Save As always asks; a cancelled one changes nothing.
    const QString other = dir.filePath(QStringLiteral("b.txt"));
    dialogs().chooseFile(other);
    f.form->mnufilesaveas->trigger();
    QCOMPARE(contents(other), QByteArray("yx"));
    QCOMPARE(f.form->SaveAsText, QByteArray("yx"));
    dialogs().cancelFile();
    f.form->mnufilesaveas->trigger();
    QCOMPARE(f.form->cdb->FileName(), other);
    QCOMPARE(dialogs().shown().size(), 4);
}

void TestFileCommands::newKeepsOrDiscardsAndThePanelKeepsTheName()
{
    const QString path = file(QStringLiteral("c.txt"), "a\r\nb");
    open(path);
    QCOMPARE(panelText(), path);
    f.form->mnufilenew->trigger();   // saved: nothing at all happens
    QCOMPARE(f.form->Text1->Text(), QStringLiteral("a\r\nb"));
    f.type(QStringLiteral("x"));
    dialogs().answer(MsgAnswer::No);
    f.form->mnufilenew->trigger();
    f.settle();
    QCOMPARE(f.form->Text1->Text(), QString());
    QVERIFY(f.form->Saved);
    QCOMPARE(contents(path), QByteArray("a\r\nb"));
    QCOMPARE(panelText(), path);
    // What follows is a new document, with LF line ends.
    QCOMPARE(f.form->Text1->lineEnd(), TextBox::LineEnd::Lf);
}

void TestFileCommands::unreadableFileIsReportedAndNotAdopted_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing.txt" << "No such file or directory";
    QTest::newRow("folder") << "folder" << "Is a directory";
    QTest::newRow("vanished folder") << "gone/x.txt" << "No such file or directory";
}

void TestFileCommands::unreadableFileIsReportedAndNotAdopted()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QDir(dir.path()).mkpath(QStringLiteral("folder"));
    const QString current = file(QStringLiteral("current.txt"), "current");
    open(current);
    dialogs().chooseFile(dir.filePath(name));
    dialogs().answer(MsgAnswer::Ok);
    f.form->mnufileopen->trigger();
    const QString message = dialogs().messages().value(0);
    QVERIFY2(message.contains(dir.filePath(name)) && message.contains(reason), qPrintable(message));
    QCOMPARE(f.form->Text1->Text(), QStringLiteral("current"));
    QCOMPARE(f.form->cdb->FileName(), current);
}

void TestFileCommands::failedSaveKeepsOldFileAndFlag()
{
    // A file size limit makes the write fail part-way, as a full disk does.
    const QString path = file(QStringLiteral("e.txt"), "old bytes");
    open(path);
    f.form->Text1->setText(QString(50000, QLatin1Char('n')));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    dialogs().chooseFile(path);
    dialogs().answer(MsgAnswer::Ok);
    f.form->mnufilesave->trigger();
    setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY(dialogs().messages().value(0).contains(path));
    QVERIFY(!f.form->Saved);
    QCOMPARE(contents(path), QByteArray("old bytes"));
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("e.txt*")}), QStringList{QStringLiteral("e.txt")});   // no temporary left
}

void TestFileCommands::menuStatesFollowTheText()
{
    const QString always = "mnuabout mnufileexit mnufilenew mnufileopen mnuoptcalc mnutoolbcolor mnutooltcolor";
    f.settle();
    QCOMPARE(enabledItems(), always);
    f.type(QStringLiteral("a"));
    f.settle();
    QCOMPARE(enabledItems().count(QLatin1Char(' ')) + 1, 16);
    // Deleting the last character disables them again, all but Paste.
    QTest::keyClick(f.form->Text1, Qt::Key_Backspace);
    f.settle();
    QCOMPARE(enabledItems(), "mnuabout mnueditpaste mnufileexit mnufilenew mnufileopen mnuoptcalc mnutoolbcolor mnutooltcolor");
}

void TestFileCommands::timerSleepsWhileNothingChanges()
{
    f.settle();
    int runs = 0;
    connect(f.form->Timer1, &QTimer::timeout, [&] { ++runs; });
    QTest::qWait(1000);
    QCOMPARE(runs, 0);
    f.type(QStringLiteral("abc"));
    f.settle();
    QVERIFY(runs >= 1 && runs <= 3);
}

void TestFileCommands::shortcutsRunEnabledItemsOnly()
{
    f.settle();
    QTest::keyClick(f.form->Text1, Qt::Key_F2);   // Save is disabled while the text is empty
    QVERIFY(dialogs().shown().isEmpty());
    f.type(QStringLiteral("z"));
    f.settle();
    dialogs().cancelFile();
    QTest::keyClick(f.form->Text1, Qt::Key_F2);
    dialogs().cancelFile();
    QTest::keyClick(f.form->Text1, Qt::Key_F4);
    dialogs().answer(MsgAnswer::Cancel);
    QTest::keyClick(f.form->Text1, Qt::Key_F3);
    dialogs().answer(MsgAnswer::Cancel);
    QTest::keyClick(f.form->Text1, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(dialogs().shown().size(), 4);
    QCOMPARE(f.form->Text1->Text(), QStringLiteral("z"));
}

ZENDRAL_TEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
