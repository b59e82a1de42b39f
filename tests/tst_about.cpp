// The About window: texts, frame, closing keys, and finding the System Information tool in a scripted registry.
#include "about/AboutWindow.h"
#include "support/Fakes.h"
#include "support/TestMain.h"
#include <QLabel>
#include <QPointer>
#include <QSet>
#include <memory>

namespace {
const QByteArray ToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr int NoKey = -1, NoValue = 0, Throws = 99;   // entry types besides the registry's own

// Values under the local machine's root, served as the real functions do (a value over the buffer is
// refused with its size); records the keys opened and whether each was closed once.
struct ScriptedRegistry : Registry {
    QMap<QByteArray, QMap<QByteArray, std::pair<int, QByteArray>>> keys;   // key -> value name -> (type, bytes)
    QList<QByteArray> opened;   // in order; the open ones by handle below
    QSet<RegKey> open;
    int faults = 0;   // an access mask other than read-only, a stray or second close

    long openKey(RegKey root, const QByteArray &path, quint32 mask, RegKey *result) override
    {
        opened << path;
        faults += mask != 0x00020019;
        if (root != HKEY_LOCAL_MACHINE_KEY || !keys.contains(path))
            return RegFileNotFound;
        open.insert(*result = 0x100 + opened.size());
        return RegSuccess;
    }
    long queryValue(RegKey key, const QByteArray &name, quint32 *type, unsigned char *data, quint32 *size) override
    {
        const auto values = keys.value(opened.value(qsizetype(key) - 0x101));
        if (!open.contains(key) || !values.contains(name))
            return RegFileNotFound;
        const auto &[t, bytes] = values[name];
        if (t == Throws)
            throw std::runtime_error("registry failed");
        const bool fits = bytes.size() <= qsizetype(*size);
        *type = quint32(t);
        if (fits)
            std::copy(bytes.begin(), bytes.end(), data);
        *size = quint32(bytes.size());
        return fits ? RegSuccess : RegMoreData;
    }
    long closeKey(RegKey key) override { faults += !open.remove(key); return RegSuccess; }
};
}

class TestAbout : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestServices> ts;

private Q_SLOTS:
    void init() { ts = std::make_unique<TestServices>(); }

    void startsTheToolOrSaysItIsUnavailable_data()
    {
        QTest::addColumn<int>("type1"), QTest::addColumn<QByteArray>("value1");   // the tool: ToolKey, value PATH
        QTest::addColumn<int>("type2"), QTest::addColumn<QByteArray>("value2");   // its folder: FolderKey, MSINFO
        QTest::addColumn<QStringList>("files");   // paths that exist and start
        QTest::addColumn<QString>("started");     // null: the message instead
        QTest::addColumn<int>("keysOpened");

        const QByteArray tool("C:\\Tools\\ms info.exe\0", 21), folder("C:\\Shared\\MSInfo\0", 17), none;
        const QString toolPath = "C:\\Tools\\ms info.exe", inFolder = "C:\\Shared\\MSInfo\\MSINFO32.EXE", full(1024, 'a');
        const QStringList both{toolPath, inFolder};
        QTest::newRow("first started, second not read") << 1 << tool << 1 << folder << both << toolPath << 1;
        QTest::newRow("first without its zero") << 1 << tool.chopped(1) << 1 << folder << both << toolPath << 1;
        QTest::newRow("first names a missing file") << 1 << tool << 1 << folder << QStringList{inFolder} << QString() << 1;
        QTest::newRow("first of another type") << 3 << tool << 1 << folder << both << QString() << 1;
        QTest::newRow("first of 1024 bytes") << 1 << full.toLatin1() << 1 << folder << QStringList{full} << full << 1;
        QTest::newRow("first over 1024 bytes") << 1 << full.toLatin1() + '\0' << 1 << folder << both << inFolder << 2;
        QTest::newRow("first of size 0") << 1 << none << 1 << folder << both << QString() << 1;
        QTest::newRow("first a number, low byte first")
            << 4 << QByteArray("\x00\x56\x34\x92", 4) << NoKey << none << QStringList{"2452903424"} << "2452903424" << 1;
        QTest::newRow("no first key, second with the program") << NoKey << none << 1 << folder << both << inFolder << 2;
        QTest::newRow("first key without value, second without zero")
            << NoValue << none << 1 << folder.chopped(1) << both << inFolder << 2;
        QTest::newRow("second without the program") << NoKey << none << 1 << folder << QStringList{toolPath} << QString() << 2;
        QTest::newRow("second of size 0") << NoKey << none << 1 << none << QStringList{"\\MSINFO32.EXE"} << QString() << 2;
        QTest::newRow("neither") << NoKey << none << NoKey << none << both << QString() << 2;
        QTest::newRow("registry throws") << Throws << tool << 1 << folder << both << QString() << 1;
    }
    void startsTheToolOrSaysItIsUnavailable()
    {
        QFETCH(int, type1); QFETCH(QByteArray, value1); QFETCH(int, type2); QFETCH(QByteArray, value2);
        QFETCH(QStringList, files); QFETCH(QString, started); QFETCH(int, keysOpened);
        ScriptedRegistry registry;
        if (type1 != NoKey)
            registry.keys[ToolKey] = {{type1 == NoValue ? "OTHER" : "PATH", {type1, value1}}};
        if (type2 != NoKey)
            registry.keys[FolderKey]["MSINFO"] = {type2, value2};
        FakeLauncher launcher;
        launcher.ordinaryFiles = files;
        if (started.isNull())
            ts->dialogs.answer(MsgAnswer::Ok);

        Services services{ts->dialogs, ts->dialogs, ts->clipboard, ts->lockKeys, registry, launcher};
        AboutWindow(services, ts->windows).StartSysInfo();

        QCOMPARE(launcher.started, started.isNull() ? QStringList() : QStringList{started});
        QCOMPARE(ts->dialogs.messages(), started.isNull() ? QStringList{"System Friend Information Is Unavailable At This Time"} : QStringList());
        QCOMPARE(registry.opened, QList<QByteArray>({ToolKey, FolderKey}).first(keysOpened));
        QVERIFY2(registry.open.isEmpty() && registry.faults == 0, "a key left open, closed twice or opened for writing");
    }

    void textsAndFrame()
    {
        AboutWindow *w = ts->windows.showAbout();
        QCOMPARE((QStringList{w->windowTitle(), w->lblTitle->text(), w->lblVersion->text()}),
                 (QStringList{"About Zendral", "Zendral", "Version 1.0"}));
        QCOMPARE(w->lblDescription->text(), "Manufacturer:Vemrick" + QString(34, ' ') + "Operating Systems:Windows 9x,ME");
        QCOMPARE(w->lblDisclaimer->text(), "Warning: This program is provided as is," + QString(26, ' ') + "without warranty of any kind.");
        QVERIFY(w->lblDescription->textFormat() == Qt::PlainText && w->lblDisclaimer->textFormat() == Qt::PlainText);
        const auto buttons = Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
        QCOMPARE(w->windowFlags() & buttons, Qt::WindowCloseButtonHint);
    }

    void enterAndEscClose_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }
    void enterAndEscClose()
    {
        QFETCH(int, key);
        QPointer<AboutWindow> w = ts->windows.showAbout();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->picIcon->setFocus();   // the keys work wherever the focus is, not only on OK
        QCOMPARE(QApplication::focusWidget(), w->picIcon);
        QTest::keyClick(w->picIcon, Qt::Key(key));
        QTRY_VERIFY(!w);   // destroyed, not hidden: the next About command builds it afresh
        QVERIFY(!ts->windows.about() && ts->dialogs.messages().isEmpty());
    }
};

ZENDRAL_TEST_MAIN(TestAbout)
#include "tst_about.moc"
