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
#include <fcntl.h>
#include <sys/stat.h>

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

    // The panel as the timer leaves it while each dialog is up, as under a real modal dialog.
    QStringList panels;
    void watchPanel()
    {
        dialogs().whileShown = [this](const ScriptedDialogs::Shown &) { f.settle(); panels << panelText(); };
    }
    static QString blank() { return QStringLiteral(" "); }

private Q_SLOTS:
    void init() { panels.clear(); QVERIFY(f.start()); }
    void cleanup() { f.finish(); }

    void openThenSaveGivesBackTheSameBytes_data();
    void openThenSaveGivesBackTheSameBytes();
    void saveAsksForANameOnlyWhenItMust();
    void fileDialogsAsShown_data();
    void fileDialogsAsShown();
    void newGivesAnUntitledDocument_data();
    void newGivesAnUntitledDocument();
    void unreadableFileIsReportedAndNotAdopted_data();
    void unreadableFileIsReportedAndNotAdopted();
    void failedSaveKeepsNameFileAndFlag_data();
    void failedSaveKeepsNameFileAndFlag();
    void fileChangedOnDisk_data();
    void fileChangedOnDisk();
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
    QTest::newRow("utf-8, two boms") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF" "A");
    QTest::newRow("utf-16le bom") << QByteArray("\xFF\xFEh\0\r\0\n\0", 8);
    QTest::newRow("utf-16le, two boms") << QByteArray("\xFF\xFE\xFF\xFE" "A\0\r\0\n\0", 10);
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
    // Typed changes: Save asks again, starting from the current name.
    f.type(QStringLiteral("y"));
    dialogs().chooseFile(path);
    f.form->mnufilesave->trigger();
    QCOMPARE(dialogs().shown().last().file.fileName, path);
    QCOMPARE(contents(path), QByteArray("yx"));
    QCOMPARE(f.form->FileText, QByteArray("yx"));
    QVERIFY(f.form->Saved);
    // Save As always asks, and each one names the document; a cancelled one changes nothing.
    const QString other = dir.filePath(QStringLiteral("b.txt")), third = dir.filePath(QStringLiteral("c.txt"));
    dialogs().chooseFile(other);
    f.form->mnufilesaveas->trigger();
    dialogs().chooseFile(third);
    f.form->mnufilesaveas->trigger();
    f.settle();
    QCOMPARE(std::tuple(contents(other), contents(third), f.form->SaveAsText, panelText()),
             std::tuple(QByteArray("yx"), QByteArray("yx"), QByteArray("yx"), third));
    dialogs().cancelFile();
    f.form->mnufilesaveas->trigger();
    QCOMPARE(f.form->cdb->FileName(), third);
    QCOMPARE(dialogs().shown().size(), 5);
}

void TestFileCommands::fileDialogsAsShown_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("save");
    // Every Save dialog asks before overwriting (flags 10) and adds ".txt"; Open takes the
    // name as typed and can list every file.
    QTest::newRow("Save As, first in the session") << "saveas" << true;
    QTest::newRow("Save, typed changes") << "save" << true;
    QTest::newRow("save prompt's Yes") << "new" << true;
    QTest::newRow("Open") << "open" << false;
}

void TestFileCommands::fileDialogsAsShown()
{
    QFETCH(QString, command);
    QFETCH(bool, save);
    if (save)
        f.type(QStringLiteral("x"));
    f.settle();
    if (command == "new")
        dialogs().answer(MsgAnswer::Yes);
    dialogs().cancelFile();
    QAction *action = command == "saveas" ? f.form->mnufilesaveas : command == "save" ? f.form->mnufilesave
                    : command == "new"    ? f.form->mnufilenew    : f.form->mnufileopen;
    action->trigger();
    const ScriptedDialogs::Shown &shown = dialogs().shown().last();
    const QString filter = QStringLiteral("Text file(*.txt)|*.txt");
    QCOMPARE(std::tuple(shown.kind, shown.flags, shown.file.filter, shown.file.defaultExt),
             std::tuple(save ? ScriptedDialogs::Kind::Save : ScriptedDialogs::Kind::Open, 10,
                        save ? filter : filter + QStringLiteral("|All files (*)|*"), save ? QStringLiteral("txt") : QString()));
}

void TestFileCommands::newGivesAnUntitledDocument_data()
{
    QTest::addColumn<int>("answer");      // -1: saved, no question
    QTest::addColumn<bool>("goesOn");
    QTest::newRow("saved") << -1 << true;
    QTest::newRow("No") << int(MsgAnswer::No) << true;
    QTest::newRow("Yes") << int(MsgAnswer::Yes) << true;
    QTest::newRow("Cancel") << int(MsgAnswer::Cancel) << false;
}

void TestFileCommands::newGivesAnUntitledDocument()
{
    QFETCH(int, answer);
    QFETCH(bool, goesOn);
    // A UTF-16 document with CR LF line ends, named.
    const QString path = file(QStringLiteral("utf16.txt"), QByteArray("\xFF\xFE" "a\0\r\0\n\0", 8));
    const QString saved = dir.filePath(QStringLiteral("saved %1").arg(QTest::currentDataTag())), next = saved + QStringLiteral(" next");
    open(path);
    if (answer >= 0) {
        f.type(QStringLiteral("x"));
        dialogs().answer(MsgAnswer(answer));
    }
    if (answer == int(MsgAnswer::Yes))
        dialogs().chooseFile(saved);
    f.form->mnufilenew->trigger();
    f.settle();
    QCOMPARE(contents(saved), answer == int(MsgAnswer::Yes) ? QByteArray("\xFF\xFEx\0a\0\r\0\n\0", 10) : QByteArray("<unreadable>"));
    if (!goesOn) {
        QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->cdb->FileName(), panelText()), std::tuple(QStringLiteral("xa\r\n"), path, path));
        return;
    }
    QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->cdb->FileName(), panelText(), f.form->Saved, f.form->Text1->lineEnd()),
             std::tuple(QString(), QString(), blank(), true, TextBox::LineEnd::Lf));
    // Its successor is written as UTF-8, without a mark.
    f.type(QStringLiteral("y"));
    QTest::keyClick(f.form->Text1, Qt::Key_Return);
    f.settle();
    dialogs().chooseFile(next);
    f.form->mnufilesave->trigger();
    QCOMPARE(contents(next), QByteArray("y\n"));
    QCOMPARE(dialogs().shown().last().file.fileName, QString());   // the dialog started untitled
}

void TestFileCommands::unreadableFileIsReportedAndNotAdopted_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("named");
    QTest::newRow("missing") << "missing.txt" << "No such file or directory" << true;
    QTest::newRow("missing, untitled") << "missing.txt" << "No such file or directory" << false;
    QTest::newRow("folder") << "folder" << "Is a directory" << true;
    QTest::newRow("vanished folder") << "gone/x.txt" << "No such file or directory" << true;
    // Refused at once, without waiting for a writer or reading a device.
    QTest::newRow("fifo") << "fifo" << "It is not a regular file." << false;
    QTest::newRow("device") << "/dev/null" << "It is not a regular file." << true;
    QTest::newRow("read error") << "/proc/self/mem" << "Input/output error" << true;
}

void TestFileCommands::unreadableFileIsReportedAndNotAdopted()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QFETCH(bool, named);
    QDir(dir.path()).mkpath(QStringLiteral("folder"));
    QVERIFY(QFileInfo::exists(dir.filePath("fifo")) || ::mkfifo(QFile::encodeName(dir.filePath("fifo")), 0600) == 0);
    const QString current = file(QStringLiteral("current.txt"), "current"), path = name.startsWith('/') ? name : dir.filePath(name);
    if (named) {
        open(current);
    } else {
        f.form->Text1->setText(QStringLiteral("current"));
        f.form->Saved = true;
    }
    watchPanel();
    dialogs().chooseFile(path);
    dialogs().answer(MsgAnswer::Ok);
    f.form->mnufileopen->trigger();
    const QString message = dialogs().messages().value(0);
    QVERIFY2(message.contains(QStringLiteral("Cannot open \"%1\".").arg(path)) && message.contains(reason), qPrintable(message));
    // The panel never names the file that could not be read, not even while the message is up.
    const QString shown = named ? current : blank();
    f.settle();
    QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->cdb->FileName(), panels, panelText()),
             std::tuple(QStringLiteral("current"), named ? current : QString(), QStringList{shown, shown}, shown));
}

void TestFileCommands::failedSaveKeepsNameFileAndFlag_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason");
    QTest::newRow("full disk, Save") << "e.txt" << "File too large";
    QTest::newRow("missing folder, Save As") << "gone/x.txt" << "No such file or directory";
    QTest::newRow("folder, Save As") << "folder" << "Is a directory";
    QTest::newRow("fifo, Save As") << "fifo" << "It is not a regular file.";
}

void TestFileCommands::failedSaveKeepsNameFileAndFlag()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);
    const QString path = file(QStringLiteral("e.txt"), "old bytes"), to = dir.filePath(target);
    QDir(dir.path()).mkpath(QStringLiteral("folder"));
    QVERIFY(QFileInfo::exists(dir.filePath("fifo")) || ::mkfifo(QFile::encodeName(dir.filePath("fifo")), 0600) == 0);
    open(path);
    f.form->Text1->setText(QString(50000, QLatin1Char('n')));
    watchPanel();
    dialogs().chooseFile(to);
    dialogs().answer(MsgAnswer::Ok);
    // A file size limit makes the write fail part-way, as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    to == path ? f.form->mnufilesave->trigger() : f.form->mnufilesaveas->trigger();
    setrlimit(RLIMIT_FSIZE, &saved);
    const QString message = dialogs().messages().value(0);
    QVERIFY2(message.contains(QStringLiteral("Cannot save \"%1\".").arg(to)) && message.contains(reason), qPrintable(message));
    // The document keeps its name, its file and its flag; the target is left as it was.
    f.settle();
    QCOMPARE(std::tuple(f.form->Saved, f.form->cdb->FileName(), panels, panelText(), contents(path)),
             std::tuple(false, path, QStringList{path, path}, path, QByteArray("old bytes")));
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("e.txt*")}), QStringList{QStringLiteral("e.txt")});   // no temporary left
    QCOMPARE(QFileInfo(to).isFile(), to == path);
    QCOMPARE(QFileInfo(dir.filePath("fifo")).isFile(), false);
}

void TestFileCommands::fileChangedOnDisk_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("answer");   // -1: no question
    QTest::newRow("untouched") << "untouched" << -1;
    QTest::newRow("deleted") << "deleted" << -1;
    QTest::newRow("grown, No") << "grown" << int(MsgAnswer::No);
    QTest::newRow("grown, Yes") << "grown" << int(MsgAnswer::Yes);
    QTest::newRow("touched, No") << "touched" << int(MsgAnswer::No);
    QTest::newRow("replaced, same size and time, Yes") << "replaced" << int(MsgAnswer::Yes);
}

void TestFileCommands::fileChangedOnDisk()
{
    QFETCH(QString, change);
    QFETCH(int, answer);
    const QString path = file(QStringLiteral("f.txt"), "disk"), name = path;
    open(path);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(path), &st), 0);
    if (change == "grown") {
        file(QStringLiteral("f.txt"), "disk, grown");
    } else if (change == "touched") {
        const timespec times[2] = {st.st_atim, {st.st_mtim.tv_sec + 3600, st.st_mtim.tv_nsec}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path), times, 0), 0);
    } else if (change == "replaced") {
        // Another program writes a new file of the same size and time over it.
        const QString other = file(QStringLiteral("other"), "DISK");
        const timespec times[2] = {st.st_atim, st.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(other), times, 0), 0);
        QCOMPARE(::rename(QFile::encodeName(other), QFile::encodeName(path)), 0);
    } else if (change == "deleted") {
        QFile::remove(path);
    }
    const QByteArray theirs = contents(path);
    const QString question = QStringLiteral("The file has been changed by another program. Overwrite it?");
    // Twice: a save that wrote is what the next one compares with; one declined asks again.
    for (const char *text : {"mine", "again"}) {
        f.form->Text1->setText(QString::fromLatin1(text));
        f.form->Saved = true;
        dialogs().clear();
        if (answer >= 0)
            dialogs().answer(MsgAnswer(answer));
        f.form->mnufilesave->trigger();
        QCOMPARE(dialogs().messages(), answer >= 0 ? QStringList{question} : QStringList());
        if (answer >= 0)
            QCOMPARE(std::tuple(dialogs().shown().constFirst().title, dialogs().shown().constFirst().buttons), std::tuple(QStringLiteral("Zendral"), MsgButtons::YesNo));
        // No stops the save: the file keeps the other program's bytes, and the text counts as unsaved.
        QCOMPARE(std::tuple(contents(name), f.form->Saved), std::tuple(answer == int(MsgAnswer::No) ? theirs : QByteArray(text), answer != int(MsgAnswer::No)));
        if (answer != int(MsgAnswer::No))
            answer = -1;
    }
}

void TestFileCommands::menuStatesFollowTheText()
{
    const QString always = "mnuabout mnufileexit mnufilenew mnufileopen mnuoptcalc mnutoolbcolor mnutooltcolor";
    f.settle();
    QCOMPARE(enabledItems(), always);
    f.type(QStringLiteral("a"));
    f.settle();
    // All but Paste, which follows the clipboard (empty here).
    QCOMPARE(enabledItems().count(QLatin1Char(' ')) + 1, 15);
    QVERIFY(!f.form->mnueditpaste->isEnabled());
    QTest::keyClick(f.form->Text1, Qt::Key_Backspace);
    f.settle();
    QCOMPARE(enabledItems(), always);
}

void TestFileCommands::timerSleepsWhileNothingChanges()
{
    f.settle();   // would time out if each run armed the next
    int runs = 0;
    connect(f.form->Timer1, &QTimer::timeout, this, [&] { ++runs; });
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
