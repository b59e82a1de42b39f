// SPDX-License-Identifier: GPL-3.0-or-later
// Files handed over by the desktop (the command line, drops on the window), the window system chosen at start,
// and the locks as Wayland tells them.
#include "app/CommandLine.h"
#include "app/PlatformChoice.h"
#include "platform/KeyEventLocks.h"
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <qpa/qwindowsysteminterface.h>

// The arguments given (%FF stands for that byte) and the document, question and processes started.
struct Start { QStringList args; QString text, name, message; QStringList started; };
// On the text area or the window (over typed text), the answers, the file names dropped (text: e2e_x11.sh), the result.
struct Drop { bool onText; QList<MsgAnswer> answers; QStringList urls; QString text, name; };
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
    // Enter, move and drop at one point from another program offering Copy and Move (Shift proposes Move): the answers.
    static QList<Qt::DropAction> drop(QWidget *target, const QMimeData &data)
    {
        const auto at = std::tuple(QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                                   Qt::ShiftModifier);
        auto enter = std::make_from_tuple<QDragEnterEvent>(at);
        auto move = std::make_from_tuple<QDragMoveEvent>(at);
        auto dropped = std::make_from_tuple<QDropEvent>(at);
        for (QEvent *e : std::initializer_list<QEvent *>{&enter, &move, &dropped})
            QCoreApplication::sendEvent(target, e);
        return {enter.dropAction(), move.dropAction(), dropped.dropAction()};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(!f.write(path(QStringLiteral("a b ü.txt")), "alpha\r\n").isEmpty()
                && !f.write(path(QStringLiteral("cp.txt")), "\xcf\xf0\xe8\xe2\xe5\xf2").isEmpty());
    }
    void init() { QVERIFY(f.start()); QDir::setCurrent(dir.path()); }
    void cleanup() { QDir::setCurrent(home); f.finish(); }

    void commandLineOpensTheFirstFile_data()
    {
        QTest::addColumn<Start>("s");
        const QString a = QStringLiteral("a b ü.txt");
        QTest::newRow("missing") << Start{{"new.txt"}, "", "new.txt", "", {}};
        // The user's encoding rather than the detected one.
        QTest::newRow("--encoding") << Start{{"--encoding=koi8-r", "cp.txt"}, "оПХБЕР", "cp.txt", "", {}};
        QTest::newRow("restarted by a session") << Start{{"-session", "10d_2", a}, "alpha\r\n", a, "", {}};
        QTest::newRow("not UTF-8: refused") << Start{{"bad%FF%FEname.txt"}, "", "", form1text::cannotOpen(path(
            "bad\uFFFD\uFFFDname.txt")) + "\nIts name is not valid in this system's character encoding.", {}};
        // Each further file gets a process of its own; names are never cleaned.
        QTest::newRow("several")
            << Start{{a, "new.txt", "folder/../x"}, "alpha\r\n", a, "", {path("new.txt"), path("folder/../x")}};
    }
    void commandLineOpensTheFirstFile()
    {
        QFETCH(Start, s);
        QByteArrayList raw{"zendral"};
        for (const QString &arg : s.args)
            raw << QByteArray::fromPercentEncoding(arg.toUtf8());
        const CommandLine line = parseCommandLine(raw);
        QVERIFY(!line.exitCode);
        if (!s.message.isEmpty())
            dialogs().answer(MsgAnswer::Ok);
        QStringList starts;
        const QStringList failed = openFiles(*f.form, line, [&](const QString &file) {
            starts << file;
            return file != path(QStringLiteral("new.txt"));
        });
        f.settle();
        QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->cdb->FileName(), f.form->Saved, f.panel(),
                            dialogs().messages()),
                 std::tuple(s.text, path(s.name), true, s.name.isEmpty() ? QStringLiteral(" ") : path(s.name),
                            s.message.isEmpty() ? QStringList{} : QStringList{s.message}));
        QCOMPARE(std::pair(starts, failed), std::pair(s.started, s.started.mid(0, 1)));
        if (!s.text.isEmpty() || s.name.isEmpty())
            return;
        // A missing file: the first Save writes it, once there is text to enable Save (typed: it asks first).
        f.type(QStringLiteral("hi"));
        f.settle();
        dialogs().chooseFile(path(s.name));
        f.form->mnufilesave->trigger();
        QCOMPARE(f.contents(path(s.name)), QByteArray("hi"));
    }

    void droppedFileOpensAfterThePrompt_data()
    {
        QTest::addColumn<Drop>("d");
        const QStringList a{path(QStringLiteral("a b ü.txt"))};
        const QList<MsgAnswer> none;
        QTest::newRow("text area, typed, Yes") << Drop{true, {MsgAnswer::Yes}, a, "alpha\r\n", a[0]};
        QTest::newRow("remote only") << Drop{false, none, {"http://example.org/x.txt"}, "current", ""};
    }
    void droppedFileOpensAfterThePrompt()
    {
        QFETCH(Drop, d);
        f.type(QStringLiteral("current"));
        for (MsgAnswer answer : d.answers)
            dialogs().answer(answer);
        if (d.answers.value(0) == MsgAnswer::Yes)
            dialogs().chooseFile(path(QStringLiteral("saved.txt")));
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &u : d.urls)
            urls << (u.startsWith(QLatin1String("http")) ? QUrl(u) : QUrl::fromLocalFile(u));
        data.setUrls(urls);
        // A drop from another program is a copy: told Move, the program would delete what it gave.
        QWidget *target = d.onText ? f.form->Text1->viewport() : static_cast<QWidget *>(f.form);
        const QList<Qt::DropAction> answered = drop(target, data);
        QTRY_COMPARE(dialogs().pending(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->cdb->FileName()), std::tuple(d.text, d.name));
        if (d.text != "current")
            QCOMPARE(answered, QList<Qt::DropAction>(3, Qt::CopyAction));
    }

    void windowSystemIsChosenOnce()
    {
        // X11 wherever it answers, native Wayland otherwise, the user's list as given; a choice that cannot start
        // names what is missing. Each row: QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY, which answer, plugins there,
        // and the platform passed to Qt, or "!" and the problem.
        for (const QStringList &row :
             {QStringList{"", ":0", "wayland-0", "x wayland", "xcb wayland", "xcb"},
              {"", ":0", "w", "wayland", "xcb wayland", "wayland"},
              {"", "", "w", "wayland", "xcb",
               "!the Qt platform plugin \"wayland\" is not installed (package qt6-wayland)"},
              {"wayland;xcb", ":0", "w", "x", "xcb wayland", ""},
              {"xcb:x=1", "", "w", "wayland", "xcb wayland", "!DISPLAY is not set"}}) {
            const auto has = [&](int i, const QString &what) { return row[i].split(' ').contains(what); };
            const PlatformChoice c = choosePlatform({row[0], row[1], row[2], [&] { return has(3, "x"); },
                                                     [&] { return has(3, "wayland"); },
                                                     [&](const QString &p) { return has(4, p); }});
            const QString got = c.problem.isEmpty() ? QString::fromLatin1(c.platform) : u'!' + c.problem;
            QVERIFY2(got == row[5], qPrintable(row.join(u'|') + QStringLiteral(" gave ") + got));
        }
    }

    void locksFollowTheWindowSystemsKeys()
    {
        // Where only key events tell the locks (Wayland), their native modifiers do: Lock 0x2, Num Lock 0x10.
        KeyEventLocks locks(qApp);
        QKeyEvent made(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 0, 0, 0x12);
        QApplication::sendEvent(f.form->Text1, &made);   // made by a program: no state in it
        QCOMPARE(std::pair(locks.capsLock(), locks.numLock()), std::pair(std::optional<bool>(), std::optional<bool>()));
        for (const quint32 mods : {0x2u, 0x10u, 0x12u, 0x0u}) {
            QWindowSystemInterface::handleExtendedKeyEvent(f.form->windowHandle(), QEvent::KeyRelease,
                                                           Qt::Key_CapsLock, Qt::NoModifier, 0, 0, mods);
            QWindowSystemInterface::flushWindowSystemEvents();
            QCOMPARE(std::pair(locks.capsLock(), locks.numLock()),
                     std::pair(std::optional<bool>(mods & 0x2), std::optional<bool>(mods & 0x10)));
        }
    }
};

ZENDRAL_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
