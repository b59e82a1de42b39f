// SPDX-License-Identifier: GPL-3.0-or-later
// The text layer: the file format (what is read comes back byte for byte) and the search.
#include "text/Noncharacters.h"
#include "text/TextFile.h"
#include "text/TextSearch.h"
#include <QTest>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

using textfile::Encoding;
using textsearch::Compare;
using L = LineEnd;
struct Trip { QByteArray raw; Encoding encoding; QString text; L lineEnd; };
struct Kept { int mode; bool foreignOwner, throughLink; };
struct Proc { QString path; QByteArray start; int atLeast; };
struct Hit { QByteArray text, what; int caseBlind, exact; };   // UTF-8, possibly invalid; 1-based UTF-16 hits, 0: none
Q_DECLARE_METATYPE(Trip)
Q_DECLARE_METATYPE(Kept)
Q_DECLARE_METATYPE(Proc)
Q_DECLARE_METATYPE(Hit)

class TestTextFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<Trip>("t");
        const auto row = [](const char *tag, QByteArray raw, Encoding e, QString text, L eol) {
            QTest::newRow(tag) << Trip{raw, e, text, eol};
        };
        row("empty", {}, Encoding::Utf8, {}, L::Lf);
        row("crlf", "ab\r\ncd\r\n", Encoding::Utf8, "ab\r\ncd\r\n", L::CrLf);
        row("ends with a lone cr", "ab\r", Encoding::Utf8, "ab\r", L::Cr);
        row("cr", "ab\rcd\r", Encoding::Utf8, "ab\rcd\r", L::Cr);
        row("mixed, first wins", "a\rb\nc\r\n", Encoding::Utf8, "a\rb\nc\r\n", L::Cr);
        row("nul bytes", QByteArray("a\0b\0", 4), Encoding::Utf8, QString::fromUtf16(u"a\0b\0", 4), L::Lf);
        row("utf-8", "gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80", Encoding::Utf8, QString::fromUtf8("grüß 😀"), L::Lf);
        row("utf-8 bom", "\xEF\xBB\xBFhi\r\n", Encoding::Utf8Bom, "hi\r\n", L::CrLf);
        row("utf-16le bom", QByteArray("\xFF\xFEh\0i\0=\xD8\0\xDE", 10), Encoding::Utf16LE, QString::fromUtf8("hi😀"),
            L::Lf);
        row("utf-16be bom", QByteArray("\xFE\xFF\0h\0\r\0\n", 8), Encoding::Utf16BE, "h\r\n", L::CrLf);
        // A U+FEFF after the file's own mark is text (the other marks' doubles are the next test's).
        const QString bomA = QStringView(u"\uFEFFA").toString();
        row("utf-16le, two boms", QByteArray("\xFF\xFE\xFF\xFE" "A\0\r\0\n\0", 10), Encoding::Utf16LE, bomA + "\r\n",
            L::CrLf);
        // Windows-1252; the five bytes it leaves undefined stand for the C1 controls.
        row("cp1252", "caf\xE9 \x80 \x93q\x94\x81", Encoding::Windows1252, QString::fromUtf8("café € “q”\u0081"),
            L::Lf);
        row("odd utf-16 is cp1252", "\xFF\xFE" "a", Encoding::Windows1252, QString::fromUtf8("ÿþa"), L::Lf);
        row("lone surrogate is cp1252", QByteArray("\xFF\xFE\0\xD8", 4), Encoding::Windows1252,
            QString::fromUtf16(u"\u00FF\u00FE\0\u00D8", 4), L::Lf);
        row("bom then invalid utf-8", "\xEF\xBB\xBF\xFF", Encoding::Windows1252, QString::fromUtf8("ï»¿ÿ"), L::Lf);
        row("cp1252 only after valid utf-8", "\r\n\xC3\xBC\r\xE9", Encoding::Windows1252,
            QString::fromUtf8("\r\nÃ¼\ré"), L::CrLf);
    }
    void roundTrip()
    {
        QFETCH(Trip, t);
        // Files come in pieces: small ones put a boundary inside every mark, character and CR LF.
        for (const qsizetype chunk : {qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(5), textfile::DefaultChunk}) {
            const textfile::Decoded d = textfile::decode(t.raw, chunk);
            QCOMPARE(std::tuple(d.encoding, d.utf8, d.lineEnd), std::tuple(t.encoding, t.text.toUtf8(), t.lineEnd));
            Encoding e = d.encoding;
            QCOMPARE(std::pair(textfile::encode(d.utf8, e, chunk), e), std::pair(t.raw, t.encoding));
        }
    }

    void anyBytesComeBackUnchanged()
    {
        // Pieces that trip decoders: marks, line ends, NULs, noncharacters, invalid and
        // overlong UTF-8, encoded surrogates, lone UTF-16 surrogates, odd lengths.
        const QByteArray marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF\xEF\xBB\xBF",
                                    "\xFF\xFE\xFF\xFE", "\xFE\xFF\xFE\xFF"};
        const QByteArray pieces[] = {"a", "Z", "\r", "\n", "\r\n", QByteArray(1, '\0'), "\xC3\xA9", "\xE2\x82\xAC",
                                     "\xF0\x9F\x98\x80", "\xEF\xBF\xBF", "\xEF\xBF\xBE", "\xEF\xB7\x90",
                                     "\xF4\x8F\xBF\xBF", "\xEF\xBB\xBF", "\x80", "\xC3",
                                     "\xFF", "\xC0\x80", "\xE0\x81\x81", "\xED\xA0\x80", "\x81\x8D\x8F\x90\x9D"};
        const char16_t units[] = {u'a', u'\r', u'\n', 0, 0xE9, 0xFEFF, 0xFFFE, 0xFFFF, 0xFDD0, 0xD83D, 0xDE00, 0xDBFF,
                                  0xDFFF, 0x0A0D};
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QRandomGenerator rng(20240611);
        for (int round = 0; round < 4000; ++round) {
            QByteArray raw = marks[rng.bounded(int(std::size(marks)))];
            if (round == 0)
                raw = all;   // every byte once, as Windows-1252, then pieces
            const int n = rng.bounded(12);
            const bool utf16 = rng.bounded(2), bigEndian = rng.bounded(2);
            for (int i = 0; i < n; ++i) {
                if (utf16) {
                    // Mostly whole pairs, so that many cases decode as UTF-16.
                    std::vector<char16_t> next{0xD83D, 0xDE00};
                    if (rng.bounded(4) != 0)
                        next = {units[rng.bounded(int(std::size(units)))]};
                    for (char16_t u : next)
                        raw += bigEndian ? QByteArray{char(u >> 8), char(u & 0xFF)}
                                         : QByteArray{char(u & 0xFF), char(u >> 8)};
                } else {
                    raw += pieces[rng.bounded(int(std::size(pieces)))];
                }
            }
            if (rng.bounded(8) == 0)
                raw += char(rng.bounded(256));
            const qsizetype chunk = rng.bounded(1, 8);
            const textfile::Decoded d = textfile::decode(raw, chunk);
            Encoding e = d.encoding;
            const QByteArray back = textfile::encode(d.utf8, e, chunk);
            QVERIFY2(back == raw && e == d.encoding && d.utf8.isValidUtf8(),
                     (raw.toHex(' ') + " -> " + back.toHex(' ')).constData());
        }
        // Legacy text that no longer fits is written as UTF-8.
        Encoding e = Encoding::Windows1252;
        const QByteArray utf8 = QString::fromUtf8("café 日本").toUtf8();
        QCOMPARE(textfile::encode(utf8, e), utf8);
        QCOMPARE(e, Encoding::Utf8);
    }

    void writeKeepsModeAndOwner_data()
    {
        QTest::addColumn<Kept>("k");
        for (int mode : {0644, 0444, 0400, 04755, 02755})
            QTest::addRow("%04o", mode) << Kept{mode, false, false};
        QTest::newRow("0640 nobody:nogroup") << Kept{0640, true, false};
        QTest::newRow("0600 through a symbolic link") << Kept{0600, false, true};
    }
    void writeKeepsModeAndOwner()
    {
        QFETCH(Kept, k);
        const auto [mode, foreignOwner, throughLink] = k;
        if (foreignOwner && geteuid() != 0)
            QSKIP("only root may give a file away");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ä file.txt")), link = dir.filePath(QStringLiteral("link"));
        QVERIFY(textfile::write(path, QByteArray("line one\r\nline\0two", 18)).ok);
        const QByteArray name = QFile::encodeName(path);
        QVERIFY(!foreignOwner || ::chown(name, 65534, 65534) == 0);
        QCOMPARE(::chmod(name, mode_t(mode)), 0);
        QVERIFY(!throughLink || QFile::link(path, link));
        const textfile::Result r = textfile::write(throughLink ? link : path, QByteArray("x"));
        QVERIFY2(r.ok, qPrintable(r.error));
        QByteArray back;
        QVERIFY(textfile::read(path, back).ok);
        QCOMPARE(back, QByteArray("x"));
        struct stat st;
        QCOMPARE(::stat(name, &st), 0);
        QCOMPARE(std::tuple(int(st.st_mode & 07777), st.st_uid, st.st_gid),
                 std::tuple(mode, foreignOwner ? 65534u : geteuid(), foreignOwner ? 65534u : getegid()));
        QCOMPARE(r.stamp.size, 1);
        QVERIFY(!textfile::changedSince(path, r.stamp));
        QCOMPARE(QFileInfo(link).isSymLink(), throughLink);
        // No temporary left.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), throughLink ? 2 : 1);
    }

    void readsToTheEndWhateverTheSizeSays_data()
    {
        QTest::addColumn<Proc>("p");
        QTest::newRow("size 0") << Proc{"/proc/self/status", "Name:", 2};
        QTest::newRow("size 0, holds more than a page") << Proc{"/proc/self/smaps", {}, 8192};
        QTest::newRow("size 4096, holds less") << Proc{"/sys/devices/system/cpu/online", "0", 2};
    }
    void readsToTheEndWhateverTheSizeSays()
    {
        QFETCH(Proc, p);
        if (!QFileInfo::exists(p.path))
            QSKIP("not on this system");
        QByteArray bytes;
        const textfile::Result r = textfile::read(p.path, bytes);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY2(bytes.startsWith(p.start) && bytes.endsWith('\n') && bytes.size() >= p.atLeast, bytes.constData());
    }

    // A read or a write reports how far it has come, piece by piece, up to the whole; a read that its sink stops
    // (no memory left for the text) fails without a reason of the system's, even at its very end.
    void progressAndStop()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        QList<qint64> seen;
        const textfile::Progress note = [&seen](qint64 done, qint64 total) { seen << done << total; };
        const qint64 chunk = textfile::DefaultChunk, total = chunk + 10;
        Encoding e = Encoding::Utf8;
        QVERIFY(textfile::write(path, QByteArray(total, 'a'), e, note).ok);
        struct Sink : textfile::ByteSink {
            bool room = true;
            bool append(QByteArrayView) override { return room; }
            bool restart() override { return true; }
        } sink;
        textfile::Decoder decoder(sink);
        QVERIFY(textfile::read(path, decoder, {.progress = note}).ok);
        QCOMPARE(seen, (QList<qint64>{chunk, total, total, total, chunk, total, total, total}));
        sink.room = false;   // refused at the end, where a text of two bytes is first handed over
        QVERIFY(textfile::write(path, QByteArray("ab")).ok);
        textfile::Decoder refused(sink);
        const textfile::Result r = textfile::read(path, refused);
        QCOMPARE(std::pair(r.ok, r.error), std::pair(false, QString()));
    }

    // Every noncharacter is found at its first byte, with its length; nothing else is one, not even one cut short.
    void noncharacters()
    {
        // Each plane's end (U+xFD00 on) whole, and a sample of the rest.
        for (char32_t c = 0; c <= char32_t(QChar::LastValidCodePoint); c += (c & 0xFFFF) >= 0xFD00 ? 1 : 61) {
            const QByteArray bytes = QString::fromUcs4(&c, 1).toUtf8();
            const int length = QChar::isNonCharacter(c) ? int(bytes.size()) : 0;
            const QByteArray cut = bytes.left(bytes.size() - 1);
            if (!QChar::isSurrogate(c) && (Noncharacters::lengthAt(bytes, 0) != length
                                           || Noncharacters::lengthAt(cut, 0)))
                QFAIL(qPrintable(QString::number(c, 16)));
        }
    }

    void search_data()
    {
        QTest::addColumn<Hit>("c");
        QTest::newRow("empty text, empty what") << Hit{{}, {}, 0, 0};
        QTest::newRow("empty what") << Hit{"abc", {}, 1, 1};
        QTest::newRow("ascii, the first of several") << Hit{"xABCx abc abc", "abc", 2, 7};
        QTest::newRow("long s, shorter in UTF-8") << Hit{"Maſs", "ss", 3, 0};
        QTest::newRow("kelvin sign, longer in UTF-8") << Hit{"5 K", "k", 3, 0};
        QTest::newRow("dotted capital I") << Hit{"İ", "i", 1, 0};
        QTest::newRow("deseret after pairs") << Hit{"😀a😀b𐐀𐐨", "𐐨", 7, 9};
        QTest::newRow("beyond 65535") << Hit{QByteArray(70000, 'x') + " needle Needle", "Needle", 70002, 70009};
        // Invalid bytes are one unit each (U+FFFD in UTF-16) and match only themselves.
        QTest::newRow("truncated sequence at the end") << Hit{"ab\xC3", "\xC3", 3, 3};
        QTest::newRow("bad continuation") << Hit{"\xC3(", "\xC3", 1, 1};
        QTest::newRow("overlong form is no letter") << Hit{"x\xE0\x81\x81", "xa", 0, 0};
        QTest::newRow("encoded surrogate") << Hit{"\xED\xA0\x80", "\xED", 1, 1};
        // The edges of the UTF-8 lengths and of the table of the first 65536 characters.
        QTest::newRow("U+0080 after ASCII") << Hit{"a\u0080", "\u0080", 2, 2};
        QTest::newRow("U+0800 after U+07FF") << Hit{"\u07FF\u0800", "\u0800", 2, 2};
        QTest::newRow("U+10000 after U+FFFF") << Hit{"\uFFFF\U00010000\U0010FFFF", "\U00010000", 2, 2};
    }

    void search()
    {
        QFETCH(Hit, c);
        // The hit in UTF-16 terms, as the dialogs select it.
        const QString what = QString::fromUtf8(c.what);
        auto at = [&c](qint64 byte) { return qint64(QString::fromUtf8(c.text.left(byte)).size()); };
        using Sel = std::pair<qint64, qint64>;
        for (const auto &[compare, expected] : {std::pair(Compare::Text, c.caseBlind), {Compare::Binary, c.exact}}) {
            // Each view is followed in memory by a continuation byte, which a search must not read.
            const QByteArray text8 = c.text + '\x80', what8 = c.what + '\x80';
            const textsearch::Match m = textsearch::findUtf8(QByteArrayView(text8).chopped(1),
                                                             QByteArrayView(what8).chopped(1), compare);
            QCOMPARE(m.found() ? Sel(at(m.start) + 1, at(m.end) - at(m.start)) : Sel(0, 0),
                     Sel(expected, expected ? what.size() : 0));
        }
    }

    void everySimpleCaseMappingMatches()
    {
        for (char32_t c = 0; c <= char32_t(QChar::LastValidCodePoint); ++c)
            for (char32_t m : {QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c), QChar::toCaseFolded(c)})
                QVERIFY2(textsearch::caseKey(m) == textsearch::caseKey(c), qPrintable(QString::number(c, 16)));
        // A lone lead byte is no part of the character it starts (as bytes it is, so only regardless of case).
        for (const char *text : {"\xDF\x80", "\xEF\xBC\xA1", "\xF4\x80\x80\x80"})
            QVERIFY(!textsearch::findUtf8(text, QByteArrayView(text, 1), Compare::Text).found());
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
