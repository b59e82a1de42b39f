// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/AboutDef.h"
#include "about/AboutWindow.h"
#include "support/Fakes.h"
#include "support/TestMain.h"
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSet>

namespace {
const QByteArray ToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                 FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr int NoKey = -1, Throws = 99;   // entry types besides the registry's own

// One value per key under the local machine's root, served as the real functions do; records keys opened and closed.
struct ScriptedRegistry : Registry {
    QMap<QByteArray, std::tuple<QByteArray, int, QByteArray>> keys;   // key -> value name, type, bytes
    QList<QByteArray> opened;   // in order; the handle of the n-th is 0x100 + n
    QSet<RegKey> open;
    int faults = 0;   // an access mask other than read-only, a stray or second close

    long openKey(RegKey root, const QByteArray &path, quint32 mask, RegKey *result) override
    {
        opened << path;
        faults += mask != 0x00020019 || root != HKEY_LOCAL_MACHINE_KEY;
        return keys.contains(path) ? (open.insert(*result = 0x100 + opened.size()), RegSuccess) : RegFileNotFound;
    }
    long queryValue(RegKey key, const QByteArray &name, quint32 *type, unsigned char *data, quint32 *size) override
    {
        const auto [valueName, t, bytes] = keys.value(opened.value(qsizetype(key) - 0x101));
        if (!open.contains(key) || name != valueName)
            return RegFileNotFound;
        if (t == Throws)
            throw std::runtime_error("registry failed");
        const bool fits = bytes.size() <= qsizetype(*size);
        std::copy_n(bytes.data(), fits ? bytes.size() : 0, data);
        *type = quint32(t), *size = quint32(bytes.size());   // a value over the buffer: refused with its size
        return fits ? RegSuccess : RegMoreData;
    }
    long closeKey(RegKey key) override { faults += !open.remove(key); return RegSuccess; }
};
// A message box that, as a real one may when it closes, leaves another window active.
struct LeavesOtherWindowActive : MessageBoxes {
    MessageBoxes &inner; QWidget &other;
    LeavesOtherWindowActive(MessageBoxes &m, QWidget &w) : inner(m), other(w) {}
    MsgAnswer show(QWidget *parent, const QString &text, MsgButtons buttons) override
    {
        other.activateWindow();
        return QTest::qWaitForWindowActive(&other) ? inner.show(parent, text, buttons) : MsgAnswer::Cancel;
    }
};
struct Case { int type1; QByteArray value1; int type2; QByteArray value2; QStringList files; QString started;
              int keysOpened; };
}
Q_DECLARE_METATYPE(Case)

class TestAbout : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestServices> ts;

private Q_SLOTS:
    void init() { ts = std::make_unique<TestServices>(); }

    void startsTheToolOrSaysItIsUnavailable_data()
    {
        // The tool's key (value PATH), its folder's (value MSINFO), existing files, what starts (null: the message).
        QTest::addColumn<Case>("c");
        const QByteArray tool("C:\\Tools\\ms info.exe\0", 21), folder("C:\\Shared\\MSInfo\0", 17), none;
        const QByteArray number("\x00\x56\x34\x92", 4);   // low byte first
        const QString toolPath = "C:\\Tools\\ms info.exe", inFolder = "C:\\Shared\\MSInfo\\MSINFO32.EXE";
        const QStringList both{toolPath, inFolder};
        QTest::newRow("first started, second not read") << Case{1, tool, 1, folder, both, toolPath, 1};
        QTest::newRow("first over 1024 bytes") << Case{1, QByteArray(1024, 'a') + '\0', 1, folder, both, inFolder, 2};
        QTest::newRow("first a number") << Case{4, number, NoKey, none, {"2452903424"}, "2452903424", 1};
        QTest::newRow("registry throws") << Case{Throws, tool, 1, folder, both, {}, 1};
    }
    void startsTheToolOrSaysItIsUnavailable()
    {
        QFETCH(Case, c);
        ScriptedRegistry registry;
        for (const auto &[key, name, type, value] :
             {std::tuple(ToolKey, "PATH", c.type1, c.value1), std::tuple(FolderKey, "MSINFO", c.type2, c.value2)})
            if (type != NoKey)
                registry.keys[key] = {name, type, value};
        ts->launcher.ordinaryFiles = c.files;
        if (c.started.isNull())
            ts->dialogs.answer(MsgAnswer::Ok);
        Services services{ts->dialogs, ts->dialogs, ts->clipboard, ts->lockKeys, registry, ts->launcher, ts->memory};
        AboutWindow(services).StartSysInfo();
        QCOMPARE(ts->launcher.started, c.started.isNull() ? QStringList() : QStringList{c.started});
        QCOMPARE(ts->dialogs.messages().size(), c.started.isNull());   // the message, as in window()
        QCOMPARE(registry.opened, QList<QByteArray>({ToolKey, FolderKey}).first(c.keysOpened));
        QVERIFY2(registry.open.isEmpty() && registry.faults == 0,
                 "a key left open, closed twice or opened for writing");
    }

    // Without a registry the desktop's own system-information program stands in for the tool: the first installed
    // in the stand-in's order; the message when none is.
    void desktopProgramStandsIn()
    {
        const QStringList order{"hardinfo", "kinfocenter", "gnome-system-monitor", "xfce4-taskmanager"};
        for (int installed = 0; installed < 16; ++installed) {
            const auto path = [&](const QString &name) {
                return installed & (1 << order.indexOf(name)) ? "/usr/bin/" + name : QString();
            };
            DesktopRegistry registry(path);
            TestServices t;
            const QString first = installed ? path(order[qCountTrailingZeroBits(uint(installed))]) : QString();
            t.launcher.ordinaryFiles = {first};
            t.dialogs.answer(MsgAnswer::Ok);
            Services services{t.dialogs, t.dialogs, t.clipboard, t.lockKeys, registry, t.launcher, t.memory};
            AboutWindow(services).StartSysInfo();
            QCOMPARE(std::pair(t.launcher.started, t.dialogs.messages().size()),
                     std::pair(installed ? QStringList{first} : QStringList(), qsizetype(installed ? 0 : 1)));
        }
    }

    // It opens with the focus on OK. Enter on a focused "&System Info..." presses it, not OK; after the message (whose
    // box leaves another window active) it is active again, the focus there. Enter and Esc close it from any control.
    void window()
    {
        QWidget editor;
        editor.show();
        LeavesOtherWindowActive messages(ts->dialogs, editor);
        Services services{messages, ts->dialogs, ts->clipboard, ts->lockKeys, ts->registry, ts->launcher, ts->memory};
        WindowRegistry windows(services);
        windows.onExit = [] {};
        QStringList shown;   // one message per press of "&System Info..."
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QPointer<AboutWindow> w = windows.showAbout();
            QVERIFY(QTest::qWaitForWindowActive(w));
            QCOMPARE(QApplication::focusWidget(), w->cmdOK);
            ts->dialogs.answer(MsgAnswer::Ok);
            w->cmdSysInfo->setFocus();
            QTest::keyClick(w->cmdSysInfo, Qt::Key_Return);
            QTRY_VERIFY(w && w->isActiveWindow() && QApplication::focusWidget() == w->cmdSysInfo);
            w->picIcon->setFocus();
            QTest::keyClick(w->picIcon, key);
            QTRY_VERIFY(!w && !windows.about());   // destroyed, not hidden: the next About command builds it afresh
            QCOMPARE(ts->dialogs.messages(), shown << abouttext::unavailable());
        }
    }
};

ZENDRAL_TEST_MAIN(TestAbout)
#include "tst_about.moc"
