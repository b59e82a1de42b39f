// The text file format: what is read comes back byte for byte.
#include "editor/TextFile.h"
#include "support/TestMain.h"
#include <QTemporaryDir>

using textfile::Encoding;
using L = TextBox::LineEnd;

class TestTextFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void everyCp1252ByteSurvives();
    void legacyTextThatNoLongerFitsIsWrittenAsUtf8();
    void writeReplacesWholeFileAndKeepsPermissions();
};

void TestTextFile::roundTrip_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<L>("lineEnd");
    const auto row = [](const char *tag, QByteArray raw, Encoding e, QString text, L eol) {
        QTest::newRow(tag) << raw << e << text << eol;
    };
    row("empty", {}, Encoding::Utf8, {}, L::Lf);
    row("crlf", "ab\r\ncd\r\n", Encoding::Utf8, "ab\r\ncd\r\n", L::CrLf);
    row("lf, no final line end", "ab\ncd", Encoding::Utf8, "ab\ncd", L::Lf);
    row("cr", "ab\rcd\r", Encoding::Utf8, "ab\rcd\r", L::Cr);
    row("mixed, first wins", "a\rb\nc\r\n", Encoding::Utf8, "a\rb\nc\r\n", L::Cr);
    row("nul bytes", QByteArray("a\0b\0", 4), Encoding::Utf8, QString::fromUtf16(u"a\0b\0", 4), L::Lf);
    row("utf-8", "gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80", Encoding::Utf8, QString::fromUtf8("grüß 😀"), L::Lf);
    row("utf-8 bom", "\xEF\xBB\xBFhi\r\n", Encoding::Utf8Bom, "hi\r\n", L::CrLf);
    row("utf-16le bom", QByteArray("\xFF\xFEh\0i\0=\xD8\0\xDE", 10), Encoding::Utf16LE, QString::fromUtf8("hi😀"), L::Lf);
    row("utf-16be bom", QByteArray("\xFE\xFF\0h\0\r\0\n", 8), Encoding::Utf16BE, "h\r\n", L::CrLf);
    row("cp1252", "caf\xE9 \x80 \x93q\x94", Encoding::Windows1252, QString::fromUtf8("café € “q”"), L::Lf);
    row("odd utf-16 is cp1252", "\xFF\xFE" "a", Encoding::Windows1252, QString::fromUtf8("ÿþa"), L::Lf);
    row("lone surrogate is cp1252", QByteArray("\xFF\xFE\0\xD8", 4), Encoding::Windows1252,
        QString::fromUtf16(u"\u00FF\u00FE\0\u00D8", 4), L::Lf);
    row("bom then invalid utf-8", "\xEF\xBB\xBF\xFF", Encoding::Windows1252, QString::fromUtf8("ï»¿ÿ"), L::Lf);
}

void TestTextFile::roundTrip()
{
    QFETCH(QByteArray, raw);
    QFETCH(Encoding, encoding);
    QFETCH(QString, text);
    QFETCH(L, lineEnd);
    const textfile::Decoded d = textfile::decode(raw);
    QCOMPARE(d.encoding, encoding);
    QCOMPARE(QString::fromUtf8(d.utf8), text);
    QCOMPARE(d.lineEnd, lineEnd);
    Encoding e = d.encoding;
    QCOMPARE(textfile::encode(d.utf8, e), raw);
    QCOMPARE(e, encoding);
}

void TestTextFile::everyCp1252ByteSurvives()
{
    // The five bytes the code page leaves undefined included: nothing becomes U+FFFD.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const textfile::Decoded d = textfile::decode(all);
    const QString text = QString::fromUtf8(d.utf8);
    QCOMPARE(text.size(), 256);
    QVERIFY(!text.contains(QChar(0xFFFD)));
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

void TestTextFile::writeReplacesWholeFileAndKeepsPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ä file.txt"));
    QVERIFY(textfile::write(path, QByteArray("line one\r\nline\0two", 18)).ok);
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path, perms));
    QVERIFY(textfile::write(path, QByteArray("x")).ok);
    QByteArray back;
    QVERIFY(textfile::read(path, back).ok);
    QCOMPARE(back, QByteArray("x"));
    QCOMPARE(int(QFileInfo(path).permissions() & 0x7077), int(perms & 0x7077));   // owner, group, others
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

ZENDRAL_TEST_MAIN(TestTextFile)
#include "tst_textfile.moc"
