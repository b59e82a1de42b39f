// Finding and starting the System Information tool from the About window:
// the registry reader over a scripted registry, the two places the tool is
// looked for, the file test, the launch, and the one message for every failure.
#include "about/AboutWindow.h"
#include "support/Fakes.h"
#include "support/TestMain.h"
#include <QMap>
#include <algorithm>
#include <QPointer>
#include <QSet>
#include <memory>
#include <optional>

namespace {
const QString Unavailable = QStringLiteral("System Friend Information Is Unavailable At This Time");
const QByteArray ToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr int Absent = 0;        // a type column's value for "no such value"
constexpr int KeyAbsent = -1;    // ... for "no such key"
constexpr int KeyOnly = 100;     // ... and for a key without the value
}

// A registry holding scripted values under the local machine's root. It
// behaves like the real functions towards the reader (a value larger than the
// buffer is refused with its size) and records what was asked of it.
class ScriptedRegistry : public Registry
{
public:
    struct Value {
        quint32 type;
        QByteArray data;
    };
    QMap<QByteArray, QMap<QByteArray, Value>> keys;
    std::optional<quint32> reportedSize;   // the size the query claims to have written
    bool throwOnOpen = false;
    bool throwOnQuery = false;

    QList<QByteArray> opened;              // key paths, in order
    QList<quint32> masks;
    QSet<RegKey> openHandles;
    int strayCloses = 0;
    bool buffersFreshAndZeroed = true;

    void set(const QByteArray &key, const QByteArray &name, quint32 type, const QByteArray &data)
    {
        keys[key][name] = Value{type, data};
    }

    long openKey(RegKey root, const QByteArray &subKey, quint32 accessMask, RegKey *result) override
    {
        if (throwOnOpen)
            throw std::runtime_error("registry failed");
        opened << subKey;
        masks << accessMask;
        if (root != HKEY_LOCAL_MACHINE_KEY || !keys.contains(subKey))
            return RegFileNotFound;
        const RegKey handle = m_next++;
        m_paths[handle] = subKey;
        openHandles.insert(handle);
        *result = handle;
        return RegSuccess;
    }

    long queryValue(RegKey key, const QByteArray &valueName, quint32 *type, unsigned char *data, quint32 *size) override
    {
        if (throwOnQuery)
            throw std::runtime_error("registry failed");
        if (!openHandles.contains(key))
            return 6;   // invalid handle
        if (*size != 1024 || std::any_of(data, data + *size, [](unsigned char c) { return c != 0; }))
            buffersFreshAndZeroed = false;
        const auto values = keys.value(m_paths.value(key));
        if (!values.contains(valueName))
            return RegFileNotFound;
        const Value &v = values[valueName];
        if (quint32(v.data.size()) > *size) {
            *size = quint32(v.data.size());
            return RegMoreData;
        }
        std::copy(v.data.begin(), v.data.end(), data);
        *type = v.type;
        *size = reportedSize.value_or(quint32(v.data.size()));
        return RegSuccess;
    }

    long closeKey(RegKey key) override
    {
        if (!openHandles.remove(key))
            ++strayCloses;
        return RegSuccess;
    }

private:
    RegKey m_next = 0x100;
    QMap<RegKey, QByteArray> m_paths;
};

class ThrowingLauncher : public FakeLauncher
{
public:
    bool throwOnFileTest = false;
    bool throwOnStart = false;
    bool isOrdinaryFile(const QString &path) const override
    {
        if (throwOnFileTest)
            throw std::runtime_error("file test failed");
        return FakeLauncher::isOrdinaryFile(path);
    }
    bool start(const QString &commandLine) override
    {
        if (throwOnStart)
            throw std::runtime_error("start failed");
        return FakeLauncher::start(commandLine);
    }
};

class TestAboutSysInfo : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestServices> ts;
    std::unique_ptr<ScriptedRegistry> registry;
    std::unique_ptr<ThrowingLauncher> launcher;
    std::unique_ptr<Services> services;
    QPointer<AboutWindow> about;

    // Every key opened was closed again, with the read-only mask.
    void checkRegistryUse()
    {
        QVERIFY2(registry->openHandles.isEmpty(), "a key was left open");
        QCOMPARE(registry->strayCloses, 0);
        QVERIFY(registry->buffersFreshAndZeroed);
        for (quint32 mask : std::as_const(registry->masks))
            QCOMPARE(mask, quint32(0x00020019));
    }

private Q_SLOTS:
    void init()
    {
        ts = std::make_unique<TestServices>();
        registry = std::make_unique<ScriptedRegistry>();
        launcher = std::make_unique<ThrowingLauncher>();
        services = std::make_unique<Services>(Services{ts->dialogs, ts->dialogs, ts->clipboard, ts->lockKeys, *registry, *launcher});
        about = new AboutWindow(*services, ts->windows);
    }
    void cleanup()
    {
        delete about;
        services.reset();
        launcher.reset();
        registry.reset();
        ts.reset();
    }

    void readsValuesAsText_data();
    void readsValuesAsText();
    void emptyValueRaisesAndClosesTheKey();
    void sizeBeyondTheBufferIsRefused();
    void findsAndStartsTheTool_data();
    void findsAndStartsTheTool();
    void failuresInsideEndInTheMessage_data();
    void failuresInsideEndInTheMessage();
};

void TestAboutSysInfo::readsValuesAsText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("after");

    const QByteArray full(1024, 'a');
    QTest::newRow("string ending in a zero byte") << 1 << QByteArray("C:\\MSInfo\\msinfo32.exe", 23) << "old" << true << "C:\\MSInfo\\msinfo32.exe";
    QTest::newRow("string without the zero byte") << 1 << QByteArray("C:\\MSInfo\\msinfo32.exe") << "old" << true << "C:\\MSInfo\\msinfo32.exe";
    QTest::newRow("string of only a zero byte") << 1 << QByteArray(1, '\0') << "old" << true << "";
    QTest::newRow("only the last zero byte is dropped") << 1 << QByteArray("ab\0\0", 4) << "" << true << QString::fromLatin1("ab\0", 3);
    QTest::newRow("string filling the buffer") << 1 << full << "" << true << QString::fromLatin1(full);
    QTest::newRow("string over the buffer") << 1 << full + '\0' << "old" << false << "";
    QTest::newRow("number, low byte first") << 4 << QByteArray("\x01\x05\x00\x00", 4) << "" << true << "1281";
    QTest::newRow("number, all four bytes") << 4 << QByteArray("\x78\x56\x34\x12", 4) << "" << true << "305419896";
    QTest::newRow("number, zero bytes inside") << 4 << QByteArray("\x00\x00\x01\x00", 4) << "" << true << "65536";
    QTest::newRow("number, highest") << 4 << QByteArray("\xff\xff\xff\xff", 4) << "" << true << "4294967295";
    QTest::newRow("number zero") << 4 << QByteArray(4, '\0') << "" << true << "0";
    QTest::newRow("number replaces the old text") << 4 << QByteArray("\x2a\x00\x00\x00", 4) << "12" << true << "42";
    QTest::newRow("binary value keeps the old text") << 3 << QByteArray("C:\\x.exe") << "old" << true << "old";
    QTest::newRow("expandable string keeps the old text") << 2 << QByteArray("%SystemRoot%\\x.exe", 19) << "old" << true << "old";
    QTest::newRow("missing value") << Absent << QByteArray() << "old" << false << "";
    QTest::newRow("missing key") << KeyAbsent << QByteArray() << "old" << false << "";
}

void TestAboutSysInfo::readsValuesAsText()
{
    QFETCH(int, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, before);
    QFETCH(bool, found);
    QFETCH(QString, after);

    if (type != KeyAbsent)
        registry->keys[ToolKey];
    if (type > 0)
        registry->set(ToolKey, "PATH", quint32(type), data);

    QString keyVal = before;
    const QString keyName = QString::fromLatin1(ToolKey);
    const QString valueName = QStringLiteral("PATH");
    QCOMPARE(about->GetKeyValue(HKEY_LOCAL_MACHINE_KEY, keyName, valueName, keyVal), found);
    QCOMPARE(keyVal, after);
    QCOMPARE(registry->opened, QList<QByteArray>{ToolKey});
    checkRegistryUse();
}

void TestAboutSysInfo::emptyValueRaisesAndClosesTheKey()
{
    registry->set(ToolKey, "PATH", RegSz, QByteArray());
    QString keyVal = QStringLiteral("old");
    QVERIFY_THROWS_EXCEPTION(RegistryValueError,
                             about->GetKeyValue(HKEY_LOCAL_MACHINE_KEY, QString::fromLatin1(ToolKey), QStringLiteral("PATH"), keyVal));
    QCOMPARE(keyVal, QStringLiteral("old"));
    checkRegistryUse();
}

void TestAboutSysInfo::sizeBeyondTheBufferIsRefused()
{
    // A registry that claims to have written more than it was given.
    registry->set(ToolKey, "PATH", RegSz, QByteArray("C:\\x.exe"));
    registry->reportedSize = 1025;
    QString keyVal = QStringLiteral("old");
    QVERIFY(!about->GetKeyValue(HKEY_LOCAL_MACHINE_KEY, QString::fromLatin1(ToolKey), QStringLiteral("PATH"), keyVal));
    QCOMPARE(keyVal, QString());
    checkRegistryUse();
}

void TestAboutSysInfo::findsAndStartsTheTool_data()
{
    QTest::addColumn<int>("firstType");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<int>("secondType");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("attempts");
    QTest::addColumn<bool>("message");
    QTest::addColumn<int>("keysRead");

    const QByteArray tool("C:\\Tools\\msinfo32.exe\0", 22);
    const QString toolPath = QStringLiteral("C:\\Tools\\msinfo32.exe");
    const QByteArray folder("C:\\Shared\\MSInfo\0", 17);
    const QString folderTool = QStringLiteral("C:\\Shared\\MSInfo\\MSINFO32.EXE");
    const QByteArray big(1100, 'x');

    QTest::newRow("first entry started, second not read")
        << 1 << tool << 1 << folder << QStringList{toolPath, folderTool} << QStringList{toolPath} << false << 1;
    QTest::newRow("first entry names a missing file")
        << 1 << tool << 1 << folder << QStringList{folderTool} << QStringList{toolPath} << true << 1;
    QTest::newRow("second entry with the program")
        << Absent << QByteArray() << 1 << folder << QStringList{folderTool} << QStringList{folderTool} << false << 2;
    QTest::newRow("first key without the value, second entry used")
        << KeyOnly << QByteArray() << 1 << folder << QStringList{folderTool} << QStringList{folderTool} << false << 2;
    QTest::newRow("second entry without the program")
        << Absent << QByteArray() << 1 << folder << QStringList{toolPath} << QStringList{} << true << 2;
    QTest::newRow("neither entry") << Absent << QByteArray() << Absent << QByteArray() << QStringList{toolPath, folderTool}
                                   << QStringList{} << true << 2;
    QTest::newRow("first entry of another type starts nothing")
        << 3 << tool << 1 << folder << QStringList{folderTool} << QStringList{QString()} << true << 1;
    QTest::newRow("first entry of no bytes")
        << 1 << QByteArray() << 1 << folder << QStringList{folderTool} << QStringList{} << true << 1;
    QTest::newRow("first entry over 1024 bytes, second used")
        << 1 << big << 1 << folder << QStringList{folderTool} << QStringList{folderTool} << false << 2;
    QTest::newRow("second entry of no bytes")
        << Absent << QByteArray() << 1 << QByteArray() << QStringList{QStringLiteral("\\MSINFO32.EXE")} << QStringList{} << true << 2;
}

void TestAboutSysInfo::findsAndStartsTheTool()
{
    QFETCH(int, firstType);
    QFETCH(QByteArray, first);
    QFETCH(int, secondType);
    QFETCH(QByteArray, second);
    QFETCH(QStringList, files);
    QFETCH(QStringList, attempts);
    QFETCH(bool, message);
    QFETCH(int, keysRead);

    if (firstType == KeyOnly)
        registry->keys[ToolKey];
    else if (firstType != Absent)
        registry->set(ToolKey, "PATH", quint32(firstType), first);
    if (secondType != Absent)
        registry->set(FolderKey, "MSINFO", quint32(secondType), second);
    launcher->ordinaryFiles = files;
    if (message)
        ts->dialogs.answer(MsgAnswer::Ok);

    about->StartSysInfo();

    QCOMPARE(launcher->attempts, attempts);
    QCOMPARE(launcher->started.size(), message ? 0 : 1);
    QCOMPARE(ts->dialogs.messages(), message ? QStringList{Unavailable} : QStringList{});
    if (message) {
        QCOMPARE(ts->dialogs.shown().first().buttons, MsgButtons::Ok);
        QCOMPARE(ts->dialogs.shown().first().title, QStringLiteral("Zendral"));
    }
    const QList<QByteArray> bothKeys{ToolKey, FolderKey};
    QCOMPARE(registry->opened, bothKeys.first(keysRead));
    checkRegistryUse();
    QVERIFY(about);
    QVERIFY(about->isEnabled());
}

void TestAboutSysInfo::failuresInsideEndInTheMessage_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("opening a key") << "open";
    QTest::newRow("querying a value") << "query";
    QTest::newRow("testing the file") << "file";
    QTest::newRow("starting the program") << "start";
    QTest::newRow("program that will not start") << "refused";
}

void TestAboutSysInfo::failuresInsideEndInTheMessage()
{
    QFETCH(QString, where);
    const QString folderTool = QStringLiteral("C:\\Shared\\MSInfo\\MSINFO32.EXE");
    registry->set(FolderKey, "MSINFO", RegSz, QByteArray("C:\\Shared\\MSInfo"));
    launcher->ordinaryFiles = {folderTool};
    registry->throwOnOpen = where == QLatin1String("open");
    registry->throwOnQuery = where == QLatin1String("query");
    launcher->throwOnFileTest = where == QLatin1String("file");
    launcher->throwOnStart = where == QLatin1String("start");
    launcher->startFails = where == QLatin1String("refused");
    ts->dialogs.answer(MsgAnswer::Ok);

    about->StartSysInfo();

    QCOMPARE(ts->dialogs.messages(), QStringList{Unavailable});
    QVERIFY(launcher->started.isEmpty());
    QVERIFY2(registry->openHandles.isEmpty(), "a key was left open");
}

ZENDRAL_TEST_MAIN(TestAboutSysInfo)
#include "tst_aboutsysinfo.moc"
