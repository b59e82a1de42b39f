// The text file format: what is read comes back byte for byte.
#include "editor/TextFile.h"
#include "support/TestMain.h"
#include <QTemporaryDir>
#include <sys/resource.h>
#include <csignal>

using textfile::Encoding;
Q_DECLARE_METATYPE(textfile::Encoding)
Q_DECLARE_METATYPE(TextBox::LineEnd)

class TestTextFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decodeAndEncodeRoundTrip_data();
    void decodeAndEncodeRoundTrip();
    void cp1252ReadsEveryByte();
    void legacyTextThatNoLongerFitsIsWrittenAsUtf8();
    void readAndWriteThroughFiles();
    void readFailures_data();
    void readFailures();
    void writeKeepsPermissions();
    void fullDiskKeepsOldFile();
    void writeIntoMissingFolderFails();
};

void TestTextFile::decodeAndEncodeRoundTrip_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextBox::LineEnd>("lineEnd");
    using L = TextBox::LineEnd;
    QTest::newRow("empty") << QByteArray() << Encoding::Utf8 << QString() << L::Lf;
    QTest::newRow("crlf") << QByteArray("ab\r\ncd\r\n") << Encoding::Utf8 << QStringLiteral("ab\r\ncd\r\n") << L::CrLf;
    QTest::newRow("lf") << QByteArray("ab\ncd") << Encoding::Utf8 << QStringLiteral("ab\ncd") << L::Lf;
    QTest::newRow("cr") << QByteArray("ab\rcd\r") << Encoding::Utf8 << QStringLiteral("ab\rcd\r") << L::Cr;
    QTest::newRow("mixed, first wins") << QByteArray("a\rb\nc\r\n") << Encoding::Utf8 << QStringLiteral("a\rb\nc\r\n") << L::Cr;
    QTest::newRow("no final line end") << QByteArray("abc\r\nxyz") << Encoding::Utf8 << QStringLiteral("abc\r\nxyz") << L::CrLf;
    QTest::newRow("nul bytes") << QByteArray("a\0b\0", 4) << Encoding::Utf8 << QString::fromUtf16(u"a\0b\0", 4) << L::Lf;
    QTest::newRow("utf-8") << QByteArray("gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80") << Encoding::Utf8
                           << QString::fromUtf8("grüß 😀") << L::Lf;
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBFhi\r\n") << Encoding::Utf8Bom << QStringLiteral("hi\r\n") << L::CrLf;
    QTest::newRow("utf-16le bom") << QByteArray("\xFF\xFEh\0i\0=\xD8\0\xDE", 10) << Encoding::Utf16LE
                                  << QString::fromUtf8("hi😀") << L::Lf;
    QTest::newRow("utf-16be bom") << QByteArray("\xFE\xFF\0h\0\r\0\n", 8) << Encoding::Utf16BE << QStringLiteral("h\r\n") << L::CrLf;
    QTest::newRow("cp1252") << QByteArray("caf\xE9 \x80 \x93q\x94") << Encoding::Windows1252
                            << QString::fromUtf8("café € “q”") << L::Lf;
    QTest::newRow("odd utf-16 is cp1252") << QByteArray("\xFF\xFE" "a") << Encoding::Windows1252
                                          << QString::fromUtf8("ÿþa") << L::Lf;
    QTest::newRow("lone surrogate is cp1252") << QByteArray("\xFF\xFE\0\xD8", 4) << Encoding::Windows1252
                                              << QString::fromUtf16(u"\u00FF\u00FE\0\u00D8", 4) << L::Lf;
    QTest::newRow("bom then invalid utf-8") << QByteArray("\xEF\xBB\xBF\xFF") << Encoding::Windows1252
                                            << QString::fromUtf8("ï»¿ÿ") << L::Lf;
}

void TestTextFile::decodeAndEncodeRoundTrip()
{
    QFETCH(QByteArray, raw);
    QFETCH(Encoding, encoding);
    QFETCH(QString, text);
    QFETCH(TextBox::LineEnd, lineEnd);
    const textfile::Decoded d = textfile::decode(raw);
    QCOMPARE(d.encoding, encoding);
    QCOMPARE(QString::fromUtf8(d.utf8), text);
    QCOMPARE(d.lineEnd, lineEnd);
    Encoding e = d.encoding;
    QCOMPARE(textfile::encode(d.utf8, e), raw);
    QCOMPARE(e, encoding);
}

void TestTextFile::cp1252ReadsEveryByte()
{
    // Every byte value, the five undefined ones included, survives a round trip.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const textfile::Decoded d = textfile::decode(all);
    QCOMPARE(d.encoding, Encoding::Windows1252);
    const QString text = QString::fromUtf8(d.utf8);
    QCOMPARE(text.size(), 256);
    QVERIFY(!text.contains(QChar(0xFFFD)));
    QVERIFY(!text.contains(QLatin1Char('?')) || all.count('?') == 1);
    QCOMPARE(text.at(0x81), QChar(0x81));
    QCOMPARE(text.at(0x80), QChar(0x20AC));
    Encoding e = d.encoding;
    QCOMPARE(textfile::encode(d.utf8, e), all);
}

void TestTextFile::legacyTextThatNoLongerFitsIsWrittenAsUtf8()
{
    Encoding e = Encoding::Windows1252;
    const QByteArray utf8 = QString::fromUtf8("café 日本").toUtf8();
    QCOMPARE(textfile::encode(utf8, e), utf8);
    QCOMPARE(e, Encoding::Utf8);
}

void TestTextFile::readAndWriteThroughFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ä file.txt"));
    const QByteArray bytes("line one\r\nline\0two", 18);
    QVERIFY(textfile::write(path, bytes).ok);
    QByteArray back;
    QVERIFY(textfile::read(path, back).ok);
    QCOMPARE(back, bytes);
    // Overwriting replaces the whole content.
    QVERIFY(textfile::write(path, QByteArray("x")).ok);
    QVERIFY(textfile::read(path, back).ok);
    QCOMPARE(back, QByteArray("x"));
}

void TestTextFile::readFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QStringLiteral("missing.txt") << QStringLiteral("No such file or directory");
    QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral("Is a directory");
    QTest::newRow("no permission") << QStringLiteral("secret.txt") << QStringLiteral("Permission denied");
}

void TestTextFile::readFailures()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    QFile secret(dir.filePath(QStringLiteral("secret.txt")));
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("s");
    secret.close();
    secret.setPermissions(QFileDevice::Permissions());
    if (name == QLatin1String("secret.txt") && QFile(secret.fileName()).open(QIODevice::ReadOnly))
        QSKIP("running with rights that ignore file permissions");
    QByteArray bytes("untouched");
    const textfile::Result r = textfile::read(dir.filePath(name), bytes);
    QVERIFY(!r.ok);
    QCOMPARE(r.error, reason);
}

void TestTextFile::writeKeepsPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.txt"));
    QVERIFY(textfile::write(path, QByteArray("a")).ok);
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path, perms));
    QVERIFY(textfile::write(path, QByteArray("b")).ok);
    QCOMPARE(QFileInfo(path).permissions() & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                             | QFileDevice::WriteGroup | QFileDevice::ReadOther),
             perms);
}

void TestTextFile::fullDiskKeepsOldFile()
{
    // A file size limit makes writes past it fail as a full disk would.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.txt"));
    const QByteArray old("the old content");
    QVERIFY(textfile::write(path, old).ok);

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const textfile::Result r = textfile::write(path, QByteArray(100000, 'n'));
    setrlimit(RLIMIT_FSIZE, &saved);

    QVERIFY(!r.ok);
    QVERIFY(!r.error.isEmpty());
    QByteArray back;
    QVERIFY(textfile::read(path, back).ok);
    QCOMPARE(back, old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.txt")});
}

void TestTextFile::writeIntoMissingFolderFails()
{
    QTemporaryDir dir;
    const textfile::Result r = textfile::write(dir.filePath(QStringLiteral("gone/x.txt")), QByteArray("x"));
    QVERIFY(!r.ok);
    QVERIFY(!r.error.isEmpty());
}

ZENDRAL_TEST_MAIN(TestTextFile)
#include "tst_textfile.moc"
