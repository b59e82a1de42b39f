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

struct Start { QStringList args; QString text, name; bool saved; QString message; QStringList started; };
struct Drop {
    bool onText, typed;
    QList<MsgAnswer> answers;
    QStringList urls;   // dropped as file names; a "text:" entry is plain text
    QString text, name;
};
Q_DECLARE_METATYPE(Start)
Q_DECLARE_METATYPE(Drop)

class TestDesktop : public QObject
{
    Q_OBJECT
    EditorFixture f;
    QTemporaryDir dir;
    QString home = QDir::currentPath();

    QString path(const QString &name) const { return name.isEmpty() ? name : dir.filePath(name); }
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
        QFile a(path(QStringLiteral("a b ü.txt")));
        QVERIFY(a.open(QIODevice::WriteOnly) && a.write("alpha\r\n") == 7);
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder")));
    }
    // The clipboard holds text, so the new document counts as unsaved: a file
    // given at start must still open without the save question.
    void init() { QVERIFY(f.start(FakeClipboard::Holds::Text)); QDir::setCurrent(dir.path()); }
    void cleanup() { QDir::setCurrent(home); f.finish(); }

    void commandLineOpensTheFirstFile_data()
    {
        QTest::addColumn<Start>("s");
        const QString a = QStringLiteral("a b ü.txt");
        QTest::newRow("existing, relative") << Start{{a}, "alpha\r\n", a, true, "", {}};
        QTest::newRow("existing, absolute") << Start{{path(a)}, "alpha\r\n", a, true, "", {}};
        QTest::newRow("missing") << Start{{"new.txt"}, "", "new.txt", true, "", {}};
        QTest::newRow("restarted by a session") << Start{{"-session", "10d_2", a}, "alpha\r\n", a, true, "", {}};
        QTest::newRow("dash after --") << Start{{"--", "-n.txt"}, "", "-n.txt", true, "", {}};
        QTest::newRow("unreadable") << Start{{"folder"}, "", "", false, form1text::cannotOpen(path("folder")) + "\nIs a directory", {}};
        // Each further file gets a process of its own; names are never cleaned.
        QTest::newRow("several") << Start{{a, "new.txt", "folder/../x"}, "alpha\r\n", a, true, "", {path("new.txt"), path("folder/../x")}};
    }
    void commandLineOpensTheFirstFile()
    {
        QFETCH(Start, s);
        const CommandLine line = parseCommandLine(QStringList{QStringLiteral("zendral")} + s.args);
        QVERIFY(!line.exitCode);
        if (!s.message.isEmpty())
            dialogs().answer(MsgAnswer::Ok);
        QStringList starts;
        const QStringList failed = openFiles(*f.form, line.files, [&](const QString &file) {
            starts << file;
            return file != path(QStringLiteral("new.txt"));
        });
        f.settle();
        const QString panel = f.form->statusbar->panel(QStringLiteral("text"))->text();
        QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->cdb->FileName(), f.form->Saved, panel, dialogs().messages()),
                 std::tuple(s.text, path(s.name), s.saved, s.name.isEmpty() ? QStringLiteral(" ") : path(s.name),
                            s.message.isEmpty() ? QStringList{} : QStringList{s.message}));
        QCOMPARE(starts, s.started);
        QCOMPARE(failed, s.started.mid(0, 1));
        if (!s.text.isEmpty() || s.name.isEmpty())
            return;
        // A missing file: Save is enabled once there is text; typed text makes it ask, starting from the name.
        f.type(QStringLiteral("hi"));
        f.settle();
        dialogs().chooseFile(path(s.name));
        f.form->mnufilesave->trigger();
        QCOMPARE(std::tuple(f.contents(path(s.name)), dialogs().shown().value(0).file.fileName, f.form->cdb->FileName(), f.form->Saved),
                 std::tuple(QByteArray("hi"), path(s.name), path(s.name), true));
    }

    void droppedFileOpensAfterThePrompt_data()
    {
        QTest::addColumn<Drop>("d");
        const QStringList a{path(QStringLiteral("a b ü.txt"))};
        const QList<MsgAnswer> none;
        QTest::newRow("text area, saved") << Drop{true, false, none, a, "alpha\r\n", a[0]};
        QTest::newRow("window, typed, No") << Drop{false, true, {MsgAnswer::No}, a, "alpha\r\n", a[0]};
        QTest::newRow("window, typed, Cancel") << Drop{false, true, {MsgAnswer::Cancel}, a, "current", ""};
        QTest::newRow("text area, typed, Cancel") << Drop{true, true, {MsgAnswer::Cancel}, a, "current", ""};
        QTest::newRow("text area, typed, Yes") << Drop{true, true, {MsgAnswer::Yes}, a, "alpha\r\n", a[0]};
        QTest::newRow("several files") << Drop{true, false, none, {"http://example.org/x.txt", a[0], path("folder")}, "alpha\r\n", a[0]};
        QTest::newRow("remote only") << Drop{false, true, none, {"http://example.org/x.txt"}, "current", ""};
        QTest::newRow("text") << Drop{true, true, none, {"text:dropped "}, "dropped current", ""};
    }
    void droppedFileOpensAfterThePrompt()
    {
        QFETCH(Drop, d);
        if (d.typed) {
            f.type(QStringLiteral("current"));
        } else {
            f.form->Text1->setText(QStringLiteral("current"));
            f.form->Saved = true;
        }
        for (MsgAnswer answer : d.answers)
            dialogs().answer(answer);
        if (d.answers.value(0) == MsgAnswer::Yes)
            dialogs().chooseFile(path(QStringLiteral("saved.txt")));
        QMimeData data;
        if (d.urls.value(0).startsWith(QLatin1String("text:"))) {
            data.setText(d.urls[0].mid(5));
        } else {
            QList<QUrl> list;
            for (const QString &u : d.urls)
                list << (u.startsWith(QLatin1String("http")) ? QUrl(u) : QUrl::fromLocalFile(u));
            data.setUrls(list);
        }
        drop(d.onText ? f.form->Text1->viewport() : static_cast<QWidget *>(f.form), data);
        QTRY_COMPARE(dialogs().pending(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->cdb->FileName()), std::tuple(d.text, d.name));
        if (d.answers.value(0) == MsgAnswer::Yes)
            QCOMPARE(f.contents(path(QStringLiteral("saved.txt"))), QByteArray("current"));
    }
};

ZENDRAL_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
