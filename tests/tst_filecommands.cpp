// SPDX-License-Identifier: GPL-3.0-or-later
// New, Open, Save and Save As through the scripted dialogs, and the timer that
// keeps the menus and the status bar current.
#include "platform/LongWork.h"
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include <QDeadlineTimer>
#include <QMenuBar>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QThread>
#include <qpa/qwindowsysteminterface.h>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

// A save question's caller (close, or the File menu's exit, new, open), the answer and, after Yes, the Save
// dialog's: a name that can be written, one that cannot, or cancel.
struct Prompt { QString caller; MsgAnswer answer; QString file; bool goesOn; };
// A command on a target that fails for `reason`, in a named or an untitled document.
struct Failure { QString command, target, reason; bool named; };
// Another program appends to the open file, renames a file of the same size and time over it or puts a folder
// there; the text unsaved or not; the answers to the reload question and to Save's (Ok: none).
struct Notice { QString change; bool unsaved; MsgAnswer reload, save; };
Q_DECLARE_METATYPE(MsgAnswer)
Q_DECLARE_METATYPE(Prompt)
Q_DECLARE_METATYPE(Failure)
Q_DECLARE_METATYPE(Notice)

class TestFileCommands : public QObject
{
    Q_OBJECT
    EditorFixture f;
    QTemporaryDir dir;
    QStringList panels;   // the panel as the timer leaves it while each dialog is up, as under a real modal dialog

    QString file(const QString &name, const QByteArray &bytes) { return f.write(dir.filePath(name), bytes); }
    ScriptedDialogs &dialogs() { return f.t->dialogs; }
    // The window becomes active again, and the questions that follow have been asked.
    void activate() { QEvent e(QEvent::WindowActivate); qApp->sendEvent(f.form, &e); qApp->processEvents(); }
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
    void init()
    {
        QVERIFY(f.start());
        dialogs().whileShown = [this](const ScriptedDialogs::Shown &) { f.settle(); panels << f.panel(); };
    }
    void cleanup() { f.finish(); panels.clear(); }

    // The README's promise through the window's own commands (UTF-16 and legacy files: the save tests below).
    void openThenSaveGivesBackTheSameBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("utf-8, nul, mixed line ends, no final one")
            << QByteArray("\xC3\xA9t\xF0\x9F\x98\x80\0a\r\nb\nc\rd", 16);
        QTest::newRow("one long line") << QByteArray(2 * 1024 * 1024, 'w');
    }
    void openThenSaveGivesBackTheSameBytes()
    {
        QFETCH(QByteArray, bytes);
        const QString path = file(QStringLiteral("ünï cödé %1.txt").arg(QTest::currentDataTag()), bytes);
        QObject watch;   // the wait cursor shows while the file loads, and only then
        Qt::CursorShape loading = Qt::ArrowCursor;
        connect(f.form->Text1, &TextBox::textReplaced, &watch, [&] {
            loading = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
        });
        f.open(path);
        QCOMPARE(std::tuple(f.form->cdb->FileName(), f.form->Saved, loading, QApplication::overrideCursor()),
                 std::tuple(path, true, Qt::WaitCursor, nullptr));
        QFile::remove(path);
        f.form->mnufilesave->trigger();   // unchanged: Save writes to the same name without a dialog
        // The written copy shared the box's buffer for the write only: none is kept.
        QCOMPARE(std::tuple(dialogs().shown().size(), f.contents(path), f.form->FileText.isNull()),
                 std::tuple(qsizetype(1), bytes, true));
    }

    void promptAnswersAndTheirCallers_data()
    {
        QTest::addColumn<Prompt>("p");
        using enum MsgAnswer;
        for (const char *c : {"exit", "close", "new", "open"})
            for (auto [how, a, file, on] : {std::tuple{"No", No, "", true}, {"Cancel", Cancel, "", false},
                                            {"Yes", Yes, "saved.txt", true},
                                            {"Yes then cancelled dialog", Yes, "cancel", false},
                                            {"Yes then failed write", Yes, "no such folder/x.txt", false}})
                QTest::addRow("%s, %s", c, how) << Prompt{c, a, file, on};
    }
    void promptAnswersAndTheirCallers()
    {
        QFETCH(Prompt, p);
        const auto &[caller, answer, file, goesOn] = p;
        // A UTF-16 document with CR LF line ends, named, with typed changes.
        const QString path = this->file(QTest::currentDataTag() + QStringLiteral(".txt"),
                                        QByteArray("\xFF\xFE" "a\0\r\0\n\0", 8));
        f.open(path);
        f.type(QStringLiteral("x"));
        QTest::keyClick(f.form->Text1, Qt::Key_Return);
        ScriptedDialogs &d = dialogs();
        d.clear();
        const QString target = dir.filePath(QTest::currentDataTag() + file),
                      fails = QStringLiteral("no such folder/x.txt");
        d.answer(answer);
        if (file == "cancel")
            d.cancelFile();
        else if (!file.isEmpty())
            d.chooseFile(file == fails ? dir.filePath(fails) : target);
        if (file == fails)
            d.answer(MsgAnswer::Ok);   // the failure is reported
        if (caller == "open" && goesOn)
            d.cancelFile();            // the Open dialog that follows
        QPointer<Form1> form = f.form;
        if (caller == "close")
            form->close();
        else
            f.fileItem(caller)->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        const auto &question = d.shown().first();
        QCOMPARE(std::tuple(question.text, question.title, question.buttons),
                 std::tuple(form1text::saveQuestion(), appName(), MsgButtons::YesNoCancel));
        if (caller == "exit")
            QCOMPARE(f.t->exits, goesOn ? 1 : 0);
        if (caller == "close")
            QCOMPARE(form.isNull(), goesOn);
        if (caller == "open")
            QCOMPARE(d.shown().last().kind == ScriptedDialogs::Kind::Open, goesOn);
        if (!form)
            return;
        // The text is kept unless New went on (No before a cancelled Open keeps it too); it counts as saved only
        // when written or discarded. What was written keeps the document's encoding and line ends.
        const bool cleared = caller == "new" && goesOn, written = file == "saved.txt";
        QString name = written ? target : path;
        if (cleared)
            name.clear();
        f.settle();
        QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->Saved, f.form->cdb->FileName(), f.panel()),
                 std::tuple(cleared ? QString() : QStringLiteral("x\r\na\r\n"), cleared || written, name,
                            cleared ? QStringLiteral(" ") : name));
        QCOMPARE(f.contents(target), written ? QByteArray("\xFF\xFEx\0\r\0\n\0a\0\r\0\n\0", 14) : "<unreadable>");
        if (!cleared)
            return;
        // The untitled successor is UTF-8 with LF line ends; its Save dialog starts without a name.
        f.type(QStringLiteral("y"));
        QTest::keyClick(f.form->Text1, Qt::Key_Return);
        f.settle();
        d.chooseFile(target + QStringLiteral(" next"));
        f.form->mnufilesave->trigger();
        QCOMPARE(std::tuple(f.contents(target + " next"), d.shown().last().file.fileName),
                 std::tuple(QByteArray("y\n"), QString()));
    }

    void failureIsReportedAndChangesNothing_data()
    {
        QTest::addColumn<Failure>("c");
        const QString missing = QStringLiteral("No such file or directory"),
                      odd = QStringLiteral("It is not a regular file.");
        // Refused at once, without waiting for a writer, as anything but a regular file is.
        QTest::newRow("Open, fifo") << Failure{"open", "fifo", odd, false};
        QTest::newRow("Open, read error") << Failure{"open", "/proc/self/mem", "Input/output error", true};
        // Refused before reading rather than killed half-way.
        QTest::newRow("Open, too little memory") << Failure{"open", "big.txt", "not enough memory", true};
        // A file size limit makes the write fail part-way, as a full disk does.
        QTest::newRow("Save, full disk") << Failure{"save", "current.txt", "File too large", true};
        QTest::newRow("Save As, missing folder") << Failure{"saveas", "gone/x.txt", missing, true};
    }
    void failureIsReportedAndChangesNothing()
    {
        QFETCH(Failure, c);
        const auto &[command, target, reason, named] = c;
        QVERIFY(QFileInfo::exists(dir.filePath("fifo"))
                || ::mkfifo(QFile::encodeName(dir.filePath("fifo")), 0600) == 0);
        const QString current = file(QStringLiteral("current.txt"), "current"),
                      path = QDir(dir.path()).absoluteFilePath(target);
        const bool save = command != "open";
        if (target == "big.txt") {
            file(target, QByteArray(100000, 'b'));
            f.t->memory.free = 100000;
        }
        const QString text = save ? QString(50000, QLatin1Char('n')) : QStringLiteral("current");
        if (named)
            f.open(current);
        f.form->Text1->setText(text);
        f.form->Saved = !save;
        panels.clear();
        dialogs().chooseFile(path);
        dialogs().answer(MsgAnswer::Ok);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{4096, saved.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        f.fileItem(command)->trigger();
        setrlimit(RLIMIT_FSIZE, &saved);
        const QString message = dialogs().messages().value(0);
        const QString what = save ? form1text::cannotSave(path) : form1text::cannotOpen(path);
        QVERIFY2(message.contains(what) && message.contains(reason), qPrintable(message));
        // The document keeps its text, name and flag; the panel never names the target, not even under the message.
        const QString shown = named ? current : QStringLiteral(" ");   // the panel's blank
        f.settle();
        QCOMPARE(std::tuple(f.form->Text1->Text() == text, f.form->Saved, f.form->cdb->FileName(), panels, f.panel()),
                 std::tuple(true, !save, named ? current : QString(), QStringList{shown, shown}, shown));
        // The file is left as it was, and no temporary beside it.
        QCOMPARE(std::tuple(f.contents(current), QDir(dir.path()).entryList({QStringLiteral("current.txt*")})),
                 std::tuple(QByteArray("current"), QStringList{QStringLiteral("current.txt")}));
        if (save)
            QCOMPARE(QFileInfo(path).isFile(), path == current);
    }

    void changeOnDiskAsksOnce_data()
    {
        QTest::addColumn<Notice>("n");
        using enum MsgAnswer;
        QTest::newRow("grown, unsaved, No keeps the text; Save, No") << Notice{"grown", true, No, No};
        QTest::newRow("replaced (the watch is lost), unsaved, Yes") << Notice{"replaced", true, Yes, Ok};
        QTest::newRow("replaced, No; Save, Yes") << Notice{"replaced", false, No, Yes};
        QTest::newRow("replaced by a folder: nothing to read") << Notice{"folder", false, Ok, Ok};
        QTest::newRow("grown after New: none of its business") << Notice{"new", false, Ok, Ok};
    }
    void changeOnDiskAsksOnce()
    {
        QFETCH(Notice, n);
        const QString path = file(QStringLiteral("f.txt"), "one\n");
        f.open(path);
        if (n.unsaved)
            f.type(QStringLiteral("mine "));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(path), &st), 0);
        const timespec times[2] = {st.st_atim, st.st_mtim};
        if (n.change == "new")
            f.fileItem(QStringLiteral("new"))->trigger();
        if (n.change == "grown" || n.change == "new")
            file(QStringLiteral("f.txt"), "one\ntwo\n");
        if (n.change == "replaced") {   // by a new file of the same size and time
            const QByteArray other = QFile::encodeName(file(QStringLiteral("other"), "ONE\n"));
            QVERIFY(::utimensat(AT_FDCWD, other, times, 0) == 0 && ::rename(other, QFile::encodeName(path)) == 0);
        }
        if (n.change == "folder")
            QVERIFY(QFile::remove(path) && QDir(dir.path()).mkdir(QStringLiteral("f.txt")));
        const QByteArray theirs = f.contents(path);
        if (n.reload != MsgAnswer::Ok)
            dialogs().answer(n.reload);
        activate();
        activate();   // asked once for one change
        const QStringList asked = n.reload == MsgAnswer::Ok ? QStringList()
                                  : QStringList{n.unsaved ? form1text::reloadLosingChanges() : form1text::reload()};
        QCOMPARE(dialogs().messages(), asked);
        if (!asked.isEmpty())
            QCOMPARE(dialogs().shown().last().buttons, n.unsaved ? MsgButtons::YesNo : MsgButtons::YesNoDefaultYes);
        const bool reloaded = n.reload == MsgAnswer::Yes;
        QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->Saved),
                 std::tuple(reloaded ? QString::fromUtf8(theirs) : n.unsaved ? QStringLiteral("mine one\n")
                                                                   : n.change == "new" ? "" : "one\n",
                            reloaded || !n.unsaved));
        QDir(dir.path()).rmdir(QStringLiteral("f.txt"));
        if (n.reload != MsgAnswer::No)
            return;
        // Kept over the change: Save asks before writing over it, twice when declined (the file keeps the other
        // program's bytes, the text counts as unsaved), once when it wrote (what the next save compares with).
        bool asks = true;
        for (const char *text : {"mine", "again"}) {
            f.form->Text1->setText(QString::fromLatin1(text));
            f.form->Saved = true;
            dialogs().clear();
            if (asks)
                dialogs().answer(n.save);
            f.form->mnufilesave->trigger();
            QCOMPARE(dialogs().messages(), asks ? QStringList{form1text::changedOnDisk()} : QStringList());
            if (asks)
                QCOMPARE(dialogs().shown().constFirst().buttons, MsgButtons::YesNo);
            asks = asks && n.save == MsgAnswer::No;
            QCOMPARE(std::tuple(f.contents(path), f.form->Saved), std::tuple(asks ? theirs : QByteArray(text), !asks));
        }
        activate();   // what Save wrote is no change to ask about
        if (n.save == MsgAnswer::No) {   // No there stops Exit too, after Yes to the save question
            dialogs().answer(MsgAnswer::Yes);
            dialogs().chooseFile(path);
            dialogs().answer(MsgAnswer::No);
            f.fileItem(QStringLiteral("exit"))->trigger();
            QCOMPARE(std::tuple(f.t->exits, f.contents(path)), std::tuple(0, theirs));
        }
    }

    void saveAsksBeforeLeavingTheEncoding_data()
    {
        QTest::addColumn<MsgAnswer>("answer");
        QTest::newRow("Yes") << MsgAnswer::Yes, QTest::newRow("No") << MsgAnswer::No;
    }
    void saveAsksBeforeLeavingTheEncoding()
    {
        // A typed character Windows-1252 cannot store: Yes writes UTF-8 from then on, without asking again; No writes
        // nothing and the text stays unsaved. (One the encoding has is saved in it: e2e_x11.sh's Shift_JIS file.)
        QFETCH(MsgAnswer, answer);
        const QString text = QStringLiteral("Le cœur déçu mais l'âme plutôt naïve.\r\n"), typed = QStringLiteral("Ж");
        const QByteArray bytes = QStringEncoder("windows-1252").encode(text);
        const QString path = file(QStringLiteral("legacy.txt"), bytes);
        f.open(path);
        // Characters beyond ASCII come as text, as an input method sends them.
        const auto type = [&] { QTest::sendKeyEvent(QTest::Click, f.form->Text1, Qt::Key_unknown, typed, {}); };
        type();
        const bool yes = answer == MsgAnswer::Yes;
        // Exit asks to save first; No to the encoding then stops it: the text is neither written nor given up.
        dialogs().answer(MsgAnswer::Yes), dialogs().chooseFile(path), dialogs().answer(answer);
        f.form->mnufileexit->trigger();
        QCOMPARE(std::tuple(f.contents(path), f.form->Saved, dialogs().messages().last(), f.t->exits),
                 std::tuple(yes ? (typed + text).toUtf8() : bytes, yes,
                            form1text::cannotStore(QStringLiteral("Windows-1252"), typed), int(yes)));
        if (!yes)
            return;
        type();
        dialogs().chooseFile(path);
        f.form->mnufilesave->trigger();
        QCOMPARE(f.contents(path), (typed + typed + text).toUtf8());
    }

    void longWorkShowsProgressAndKeepsInputForAfter()
    {
        // While the work runs the window repaints, the busy cursor and a moving bar show, a close request is
        // refused, and a key typed waits: it reaches the text once the work is over.
        f.type(QStringLiteral("kept"));
        QProgressBar *bar = nullptr;
        QList<int> seen;
        std::atomic<bool> enough = false;
        QString during;
        QTimer user;
        connect(&user, &QTimer::timeout, this, [&] {
            bar = f.form->statusbar->findChild<QProgressBar *>(QStringLiteral("progress"));
            if (!bar || !bar->isVisible())
                return;
            seen << bar->value();
            if (seen.size() == 1) {
                QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
                    f.form->windowHandle(), QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
                f.form->close();
            } else if (seen.last() != seen.first()) {   // the bar has moved
                during = f.form->Text1->Text();
                enough = true;
            }
        });
        user.start(20);
        Qt::CursorShape cursor = Qt::ArrowCursor;
        LongWork::run(f.form->statusbar, [&](LongWork::Progress &progress) {
            cursor = QApplication::overrideCursor()->shape();
            const QDeadlineTimer limit(20000);
            for (qint64 done = 0; !enough && !limit.hasExpired(); ++done) {
                progress.report(qMin<qint64>(done, 99), 100);
                QThread::msleep(5);
            }
        });
        QCOMPARE(std::tuple(bool(enough), during, cursor, QApplication::overrideCursor(), bar && !bar->isVisible(),
                            f.form->isVisible()),
                 std::tuple(true, QStringLiteral("kept"), Qt::WaitCursor, nullptr, true, true));
        QTRY_COMPARE(f.form->Text1->Text(), QStringLiteral("keptx"));
    }

    void menusFollowTheText()
    {
        const QString always = "mnuabout mnufileexit mnufilenew mnufileopen mnuoptcalc mnutoolbcolor mnutooltcolor";
        f.settle();   // would time out if each run armed the next
        QCOMPARE(std::tuple(enabledItems(), f.form->menuBar()->actions().size()), std::tuple(always, 5));   // About too
        int runs = 0;
        connect(f.form->Timer1, &QTimer::timeout, this, [&] { ++runs; });
        f.type(QStringLiteral("abc"));
        f.settle();
        QVERIFY(runs >= 1 && runs <= 3);
        // All but Paste, which follows the clipboard (empty here).
        QCOMPARE(enabledItems().count(QLatin1Char(' ')) + 1, 15);
        QVERIFY(!f.form->mnueditpaste->isEnabled());
        // The keys run the enabled items: Save As (the first file dialog in the session) and Save (F2 or
        // Ctrl+S) show the Save dialog, Open and New the save question.
        for (int i = 0; i < 5; ++i)
            i < 3 ? dialogs().cancelFile() : dialogs().answer(MsgAnswer::Cancel);
        for (QKeyCombination key : {QKeyCombination(Qt::Key_F4), QKeyCombination(Qt::Key_F2), Qt::CTRL | Qt::Key_S,
                                    QKeyCombination(Qt::Key_F3), Qt::CTRL | Qt::Key_N})
            QTest::keyClick(f.form->Text1, key.key(), key.keyboardModifiers());
        // A key that changes nothing never makes a changed text count as saved.
        QTest::keyClick(f.form->Text1, Qt::Key_Escape);
        const QList<ScriptedDialogs::Shown> &shown = dialogs().shown();
        using enum ScriptedDialogs::Kind;
        QCOMPARE(std::tuple(shown.size(), shown.value(0).kind, shown.value(1).kind, f.form->Text1->Text(),
                            f.form->Saved), std::tuple(5, Save, Save, QStringLiteral("abc"), false));
        f.form->Text1->setText(QString());
        f.settle();
        QCOMPARE(enabledItems(), always);
    }
};

ZENDRAL_TEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
