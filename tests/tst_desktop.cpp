// SPDX-License-Identifier: GPL-3.0-or-later
// Files handed over by the desktop: the command line and drops on the window.
#include "app/CommandLine.h"
#include "platform/StatusBar.h"
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

class TestDesktop : public QObject
{
    Q_OBJECT
    EditorFixture f;
    QTemporaryDir dir;
    QString home = QDir::currentPath();

    QString path(const QString &name) const { return name.isEmpty() ? name : dir.filePath(name); }
    static QByteArray contents(const QString &path)
    {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<unreadable>");
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
    }
    ScriptedDialogs &dialogs() { return f.t->dialogs; }
    // Enter, move and drop at one point, as a drag from a file manager arrives.
    static void drop(QWidget *target, const QMimeData &data)
    {
        const QPoint at(2, 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
    }

private Q_SLOTS:
    void initTestCase()
    {
        write(path(QStringLiteral("a b ü.txt")), "alpha\r\n");
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder")));
    }
    // The clipboard holds text, so the new document counts as unsaved: a file
    // given at start must still open without the save question.
    void init() { QVERIFY(f.start(FakeClipboard::Holds::Text)); QDir::setCurrent(dir.path()); }
    void cleanup() { QDir::setCurrent(home); f.finish(); }

    void commandLineOpensTheFirstFile_data();
    void commandLineOpensTheFirstFile();
    void missingFileIsWrittenBySave();
    void droppedFileOpensAfterThePrompt_data();
    void droppedFileOpensAfterThePrompt();
};

void TestDesktop::commandLineOpensTheFirstFile_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("started");
    const QString a = QStringLiteral("a b ü.txt");
    QTest::newRow("existing, relative") << QStringList{a} << "alpha\r\n" << a << true << "" << QStringList{};
    QTest::newRow("existing, absolute") << QStringList{path(a)} << "alpha\r\n" << a << true << "" << QStringList{};
    QTest::newRow("missing") << QStringList{"new.txt"} << "" << "new.txt" << true << "" << QStringList{};
    QTest::newRow("dash after --") << QStringList{"--", "-n.txt"} << "" << "-n.txt" << true << "" << QStringList{};
    QTest::newRow("unreadable") << QStringList{"folder"} << "" << "" << false
                                << form1text::cannotOpen(path("folder")) + "\nIs a directory" << QStringList{};
    // Each further file gets a process of its own; names are never cleaned.
    QTest::newRow("several") << QStringList{a, "new.txt", "folder/../x"} << "alpha\r\n" << a << true << ""
                             << QStringList{path("new.txt"), path("folder/../x")};
}

void TestDesktop::commandLineOpensTheFirstFile()
{
    QFETCH(QStringList, args);
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(bool, saved);
    QFETCH(QString, message);
    QFETCH(QStringList, started);
    const CommandLine line = parseCommandLine(QStringList{QStringLiteral("zendral")} + args);
    QVERIFY(!line.exitCode);
    if (!message.isEmpty())
        dialogs().answer(MsgAnswer::Ok);
    QStringList starts;
    const QStringList failed = openFiles(*f.form, line.files, [&](const QString &file) {
        starts << file;
        return file != path(QStringLiteral("new.txt"));
    });
    f.settle();
    const QString panel = f.form->statusbar->panel(QStringLiteral("text"))->text();
    QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->cdb->FileName(), f.form->Saved, panel, dialogs().messages()),
             std::tuple(text, path(name), saved, name.isEmpty() ? QStringLiteral(" ") : path(name),
                        message.isEmpty() ? QStringList{} : QStringList{message}));
    QCOMPARE(starts, started);
    QCOMPARE(failed, started.mid(0, 1));
}

void TestDesktop::missingFileIsWrittenBySave()
{
    // Save is enabled once there is text; typed text makes it ask, starting from the name.
    const QString typed = path(QStringLiteral("typed.txt"));
    f.form->startWith(typed);
    f.type(QStringLiteral("hi"));
    f.settle();
    dialogs().chooseFile(typed);
    f.form->mnufilesave->trigger();
    QCOMPARE(std::tuple(contents(typed), dialogs().shown().value(0).file.fileName, f.form->cdb->FileName(), f.form->Saved),
             std::tuple(QByteArray("hi"), typed, typed, true));
}

void TestDesktop::droppedFileOpensAfterThePrompt_data()
{
    QTest::addColumn<bool>("onText");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<QList<MsgAnswer>>("answers");
    QTest::addColumn<QStringList>("urls");     // dropped as file names; a "text:" entry is plain text
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    const QStringList a{path(QStringLiteral("a b ü.txt"))};
    const QList<MsgAnswer> none;
    QTest::newRow("text area, saved") << true << false << none << a << "alpha\r\n" << a[0];
    QTest::newRow("window, typed, No") << false << true << QList{MsgAnswer::No} << a << "alpha\r\n" << a[0];
    QTest::newRow("window, typed, Cancel") << false << true << QList{MsgAnswer::Cancel} << a << "current" << "";
    QTest::newRow("text area, typed, Cancel") << true << true << QList{MsgAnswer::Cancel} << a << "current" << "";
    QTest::newRow("text area, typed, Yes") << true << true << QList{MsgAnswer::Yes} << a << "alpha\r\n" << a[0];
    QTest::newRow("several files") << true << false << none
                                   << QStringList{"http://example.org/x.txt", a[0], path("folder")} << "alpha\r\n" << a[0];
    QTest::newRow("remote only") << false << true << none << QStringList{"http://example.org/x.txt"} << "current" << "";
    QTest::newRow("text") << true << true << none << QStringList{"text:dropped "} << "dropped current" << "";
}

void TestDesktop::droppedFileOpensAfterThePrompt()
{
    QFETCH(bool, onText);
    QFETCH(bool, typed);
    QFETCH(QList<MsgAnswer>, answers);
    QFETCH(QStringList, urls);
    QFETCH(QString, text);
    QFETCH(QString, name);
    if (typed) {
        f.type(QStringLiteral("current"));
    } else {
        f.form->Text1->setText(QStringLiteral("current"));
        f.form->Saved = true;
    }
    for (MsgAnswer answer : answers)
        dialogs().answer(answer);
    if (answers.value(0) == MsgAnswer::Yes)
        dialogs().chooseFile(path(QStringLiteral("saved.txt")));
    QMimeData data;
    if (urls.value(0).startsWith(QLatin1String("text:"))) {
        data.setText(urls[0].mid(5));
    } else {
        QList<QUrl> list;
        for (const QString &u : urls)
            list << (u.startsWith(QLatin1String("http")) ? QUrl(u) : QUrl::fromLocalFile(u));
        data.setUrls(list);
    }
    drop(onText ? f.form->Text1->viewport() : static_cast<QWidget *>(f.form), data);
    QTRY_COMPARE(dialogs().pending(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->cdb->FileName()), std::tuple(text, name));
    if (answers.value(0) == MsgAnswer::Yes)
        QCOMPARE(contents(path(QStringLiteral("saved.txt"))), QByteArray("current"));
}

ZENDRAL_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
