// New, Open, Save and Save As through the scripted dialogs, and the timer that
// keeps the menus and the status bar current.
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include "platform/StatusBar.h"
#include <QAction>
#include <QLabel>
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
        const QString path = dir.filePath(name);
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes);
        return path;
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
    bool shownKind(ScriptedDialogs::Kind kind) const
    {
        const auto &s = f.t->dialogs.shown();
        return std::any_of(s.begin(), s.end(), [&](const auto &x) { return x.kind == kind; });
    }
    QStringList enabledItems() const
    {
        QStringList names;
        for (QAction *a : {f.form->mnueditcut, f.form->mnueditcopy, f.form->mnueditpaste, f.form->mnueditall,
                           f.form->mnueditfont, f.form->mnuoptfind, f.form->mnufilesave, f.form->mnufilesaveas,
                           f.form->mnuoptreplace, f.form->mnufilenew, f.form->mnufileopen, f.form->mnufileexit,
                           f.form->mnuoptcalc, f.form->mnutoolbcolor, f.form->mnutooltcolor, f.form->mnuabout})
            if (a->isEnabled())
                names << a->objectName();
        return names;
    }
    QString panelText() const { return f.form->statusbar->panel(QStringLiteral("text"))->text(); }

private Q_SLOTS:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.finish(); }

    void openThenSaveGivesBackTheSameBytes_data();
    void openThenSaveGivesBackTheSameBytes();
    void saveAfterTypingAsksFromTheOpenedName();
    void saveWithoutANameAsks();
    void saveAsAlwaysAsks();
    void newKeepsTextWhenSaved();
    void newAfterTypingNoEmpties();
    void openAfterNoThenCancelLeavesEmptyText();
    void unreadableFileIsReportedAndNotAdopted_data();
    void unreadableFileIsReportedAndNotAdopted();
    void threeLettersAndCrLfAreFiveCharacters();
    void failedSaveKeepsOldFileAndFlag();
    void menuStatesFollowTheText();
    void panelShowsTheFileNameAndIsNeverCleared();
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
    QCOMPARE(f.form->cdb->Flags, 10);
    QFile::remove(path);
    // Unchanged: Save writes to the same name without a dialog.
    f.form->mnufilesave->trigger();
    QCOMPARE(dialogs().shown().size(), 1);
    QCOMPARE(contents(path), bytes);
}

void TestFileCommands::saveAfterTypingAsksFromTheOpenedName()
{
    const QString path = file(QStringLiteral("a.txt"), "abc");
    open(path);
    f.form->Text1->setSelStart(3);
    f.type(QStringLiteral("d"));
    dialogs().chooseFile(path);
    f.form->mnufilesave->trigger();
    const auto &save = dialogs().shown().last();
    QCOMPARE(save.kind, ScriptedDialogs::Kind::Save);
    QCOMPARE(save.file.fileName, path);
    QCOMPARE(save.flags, 10);
    QCOMPARE(save.file.filter, QStringLiteral("Text file(*.txt)|*.txt"));
    QCOMPARE(save.file.defaultExt, QStringLiteral("txt"));
    QCOMPARE(contents(path), QByteArray("abcd"));
    QVERIFY(f.form->Saved);
    QCOMPARE(f.form->FileText, QByteArray("abcd"));
    QCOMPARE(f.form->FileNum, qint16(1));
}

void TestFileCommands::saveWithoutANameAsks()
{
    // Saved is True but no name is known: Save asks instead of failing silently.
    f.form->Text1->setText(QStringLiteral("x"));
    f.form->Saved = true;
    const QString path = dir.filePath(QStringLiteral("named.txt"));
    dialogs().chooseFile(path);
    f.form->mnufilesave->trigger();
    QCOMPARE(dialogs().shown().size(), 1);
    QCOMPARE(contents(path), QByteArray("x"));
}

void TestFileCommands::saveAsAlwaysAsks()
{
    const QString path = file(QStringLiteral("b.txt"), "old");
    open(path);
    const QString other = dir.filePath(QStringLiteral("other.txt"));
    dialogs().chooseFile(other);
    f.form->mnufilesaveas->trigger();
    QCOMPARE(dialogs().shown().last().kind, ScriptedDialogs::Kind::Save);
    QCOMPARE(contents(other), QByteArray("old"));
    QCOMPARE(f.form->SaveAsText, QByteArray("old"));
    QVERIFY(f.form->Saved);
    QCOMPARE(f.form->cdb->FileName(), other);
    // Cancelled: nothing changes.
    dialogs().cancelFile();
    f.form->mnufilesaveas->trigger();
    QCOMPARE(f.form->cdb->FileName(), other);
}

void TestFileCommands::newKeepsTextWhenSaved()
{
    f.form->Text1->setText(QStringLiteral("kept"));
    f.form->Saved = true;
    f.form->mnufilenew->trigger();
    QCOMPARE(f.form->Text1->Text(), QStringLiteral("kept"));
    QVERIFY(dialogs().shown().isEmpty());
}

void TestFileCommands::newAfterTypingNoEmpties()
{
    const QString path = file(QStringLiteral("c.txt"), "a\r\nb");
    open(path);
    f.type(QStringLiteral("x"));
    dialogs().answer(MsgAnswer::No);
    f.form->mnufilenew->trigger();
    QCOMPARE(f.form->Text1->Text(), QString());
    QVERIFY(f.form->Saved);
    QCOMPARE(contents(path), QByteArray("a\r\nb"));
    // What follows is a new document: LF line ends, written as UTF-8.
    QCOMPARE(f.form->Text1->lineEnd(), TextBox::LineEnd::Lf);
}

void TestFileCommands::openAfterNoThenCancelLeavesEmptyText()
{
    f.type(QStringLiteral("abc"));
    dialogs().answer(MsgAnswer::No);
    dialogs().cancelFile();
    f.form->mnufileopen->trigger();
    QCOMPARE(f.form->Text1->Text(), QString());
    QVERIFY(f.form->Saved);
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
    const QString bad = dir.filePath(name);
    dialogs().chooseFile(bad);
    dialogs().answer(MsgAnswer::Ok);
    f.form->mnufileopen->trigger();
    const QString message = dialogs().messages().value(0);
    QVERIFY2(message.contains(bad) && message.contains(reason), qPrintable(message));
    QCOMPARE(dialogs().shown().last().buttons, MsgButtons::Ok);
    QCOMPARE(f.form->Text1->Text(), QStringLiteral("current"));
    QCOMPARE(f.form->cdb->FileName(), current);
    f.settle();
    QCOMPARE(panelText(), current);
}

void TestFileCommands::threeLettersAndCrLfAreFiveCharacters()
{
    open(file(QStringLiteral("d.txt"), "abc\r\n"));
    QCOMPARE(f.form->Text1->length(), 5);
    QVERIFY(f.form->Text1->Text().endsWith(QStringLiteral("\r\n")));
    // Enter in a CR LF document inserts CR LF.
    f.form->Text1->setSelStart(5);
    QTest::keyClick(f.form->Text1, Qt::Key_Return);
    QCOMPARE(f.form->Text1->Text(), QStringLiteral("abc\r\n\r\n"));
}

void TestFileCommands::failedSaveKeepsOldFileAndFlag()
{
    const QString path = file(QStringLiteral("e.txt"), "old bytes");
    open(path);
    f.form->Text1->setText(QString(50000, QLatin1Char('n')));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    f.form->Saved = false;
    dialogs().chooseFile(path);
    dialogs().answer(MsgAnswer::Ok);
    f.form->mnufilesave->trigger();
    setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY(dialogs().messages().value(0).contains(path));
    QVERIFY(!f.form->Saved);
    QCOMPARE(contents(path), QByteArray("old bytes"));
}

void TestFileCommands::menuStatesFollowTheText()
{
    const QStringList always{"mnufilenew", "mnufileopen", "mnufileexit", "mnuoptcalc", "mnutoolbcolor",
                             "mnutooltcolor", "mnuabout"};
    f.settle();
    QCOMPARE(enabledItems(), always);
    f.type(QStringLiteral("a"));
    f.settle();
    QCOMPARE(enabledItems().size(), always.size() + 9);
    // Deleting the last character disables them again, all but Paste.
    QTest::keyClick(f.form->Text1, Qt::Key_Backspace);
    f.settle();
    QCOMPARE(enabledItems(), QStringList{"mnueditpaste"} + always);
}

void TestFileCommands::panelShowsTheFileNameAndIsNeverCleared()
{
    const QString path = file(QStringLiteral("f.txt"), "f");
    open(path);
    f.settle();
    QCOMPARE(panelText(), path);
    f.type(QStringLiteral("x"));
    dialogs().answer(MsgAnswer::No);
    f.form->mnufilenew->trigger();
    f.settle();
    QCOMPARE(f.form->Text1->Text(), QString());
    QCOMPARE(panelText(), path);
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
    // Save is disabled while the text is empty: F2 does nothing.
    QTest::keyClick(f.form->Text1, Qt::Key_F2);
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
