// SPDX-License-Identifier: GPL-3.0-or-later
// The text layer: the file format (what is read comes back byte for byte) and the search.
#include "support/SystemFaults.h"
#include "text/Noncharacters.h"
#include "text/TextFile.h"
#include "text/TextSearch.h"
#include <QTest>
#include <QRandomGenerator>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using textfile::Encoding;
using textsearch::Compare;
using L = LineEnd;
using namespace Qt::StringLiterals;
// A file's bytes and what reading them gives.
struct Trip { const char *tag; QByteArray raw; Encoding encoding; L lineEnd; QString text; };
// UTF-8, possibly invalid; 1-based UTF-16 hits, 0: none.
struct Hit { QByteArray text, what; int caseBlind, exact; };
// A file as a case sets it up ("links": a second name, "attributes": user.test and an ACL, "symlink": saved
// through one), of `mode` in a folder of `folder` mode, owned by root or by nobody (uid 65534), saved by either.
struct Identity {
    QString extra; int folder; bool rootOwns, nobodySaves; textfile::SaveReason reason; int mode = 0666;
};
Q_DECLARE_METATYPE(Identity)

namespace QTest {
template<> char *toString(const Encoding &e) { return qstrdup(qPrintable(e.displayName() + (e.mark ? " mark" : ""))); }
}

namespace {
// Names the row a loop was at when a check in it failed.
auto named(const QString &row)
{
    return qScopeGuard([row] { if (QTest::currentTestFailed()) qWarning("in row: %s", qPrintable(row)); });
}

// Saves `bytes` to `path` in a child process, as nobody when asked; the reason for the path it took, or -1.
int saveAs(bool nobody, const QString &path, const QByteArray &bytes)
{
    const pid_t child = fork();
    if (child == 0) {
        if (nobody && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0
                       || setresuid(65534, 65534, 65534) != 0))
            _exit(99);
        const textfile::Result r = textfile::write(path, bytes);
        _exit(r.ok ? int(r.saved.reason) : 100);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) < 99
               ? WEXITSTATUS(status) : -1;
}

struct Sink : textfile::ByteSink {   // keeps what a decoder gives while it has room
    QByteArray bytes;
    bool room = true, restarted = false;
    bool append(QByteArrayView piece) override { bytes += piece; return room; }
    bool restart() override { bytes.clear(); return restarted = true; }
};

// Everything about a file but its bytes and times: mode, owner, group, links, inode, extended attributes.
QString identity(const QString &path, bool withInode)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("missing");
    QProcess attrs;
    attrs.start(QStringLiteral("getfattr"), {"-d", "-m", "-", "-e", "hex", path});
    attrs.waitForFinished();
    return QStringLiteral("%1 %2:%3 links %4 inode %5\n%6").arg(st.st_mode, 0, 8).arg(st.st_uid).arg(st.st_gid)
        .arg(st.st_nlink).arg(withInode ? st.st_ino : 0).arg(QString::fromLocal8Bit(attrs.readAllStandardOutput()));
}
}

class TestTextFile : public QObject
{
    Q_OBJECT
    static QByteArray f(const QString &path)
    {
        QByteArray bytes;
        return textfile::read(path, bytes).ok ? bytes : QByteArray("<unreadable>");
    }
private Q_SLOTS:
    void roundTrip()
    {
        const Trip rows[] = {
            {"utf-16le without a mark", "H\0i\0\n\0"_ba, Encoding{Encoding::Kind::Utf16LE}, L::Lf, u"Hi\n"_s},
            // Found dropped once: a U+FEFF after the file's own mark is text (other doubles: the property test).
            {"utf-16le, two boms", "\xFF\xFE\xFF\xFE" "A\0\r\0\n\0"_ba, Encoding::Utf16LE, L::CrLf, u"\uFEFFA\r\n"_s}};
        // Files come in pieces: small ones put a boundary inside every mark, character and CR LF.
        for (const Trip &t : rows)
            for (const qsizetype chunk : {1, 2, 3, 5, int(textfile::DefaultChunk)}) {
                const auto row = named(t.tag);
                const textfile::Decoded d = textfile::decode(t.raw, chunk);
                QCOMPARE(std::tuple(d.encoding, d.utf8, d.lineEnd), std::tuple(t.encoding, t.text.toUtf8(), t.lineEnd));
                QCOMPARE(textfile::encode(std::vector<char>(d.utf8.begin(), d.utf8.end()), d.encoding, chunk), t.raw);
            }
    }

    // Any bytes in pieces of any size (cut in a mark, a character, a pair, a CR LF; each a buffer of its own, for the
    // sanitizers) come back unchanged, with their first line end, and are contradicted where one piece is. Past the
    // detector's sample (256 KiB) pieces are decoded in turn: the new guess after a contradiction is the piece's.
    void anyBytesInAnyPiecesComeBackUnchanged()
    {
        // Pieces that trip decoders: marks, line ends, NULs, noncharacters, Shift_JIS, invalid and overlong UTF-8,
        // encoded surrogates, lone UTF-16 surrogates, odd lengths; first those that leave UTF-8 or UTF-16 valid.
        const QByteArray marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF\xEF\xBB\xBF",
                                    "\xFF\xFE\xFF\xFE", "\xFE\xFF\xFE\xFF"};
        const QByteArray pieces[] = {"a", "Z", "\r", "\n", "\r\n", QByteArray(1, '\0'), "\xC3\xA9", "\xE2\x82\xAC",
                                     "\xF0\x9F\x98\x80", "\xEF\xBF\xBF", "\xEF\xBF\xBE", "\xEF\xB7\x90",
                                     "\xF4\x8F\xBF\xBF", "\xEF\xBB\xBF", "\x93\xFA\x96\x7B", "\x80", "\xC3",
                                     "\xFF", "\xC0\x80", "\xE0\x81\x81", "\xED\xA0\x80", "\x81\x8D\x8F\x90\x9D"};
        const char16_t units[] = {u'a', u'\r', u'\n', 0, 0xE9, 0xFEFF, 0xFFFE, 0xFFFF, 0xFDD0, 0x0A0D, 0xD83D, 0xDE00,
                                  0xDBFF, 0xDFFF};
        QByteArray all(256, 0);
        std::iota(all.begin(), all.end(), 0);
        QRandomGenerator rng(20240611);
        for (int round = 0; round < 4000; ++round) {
            const bool big = round % 100 == 1, utf16 = rng.bounded(2), bigEndian = rng.bounded(2);
            const auto piece = [&](bool valid) {
                // In UTF-16 often a whole pair and a CR LF, so that many cases decode as UTF-16.
                const char16_t u = units[rng.bounded(valid ? 10 : int(std::size(units)))];
                const QByteArray one = bigEndian ? QByteArray{char(u >> 8), char(u & 0xFF)}
                                                 : QByteArray{char(u & 0xFF), char(u >> 8)};
                return !utf16 ? pieces[rng.bounded(valid ? 14 : int(std::size(pieces)))]
                              : rng.bounded(4) ? one : bigEndian ? "\xD8=\xDE\0\0\r\0\n"_ba : "=\xD8\0\xDE\r\0\n\0"_ba;
            };
            QByteArray raw = round == 0 ? all : marks[big && utf16 ? 2 + bigEndian : rng.bounded(big ? 2 : 7)];
            for (int i = rng.bounded(big ? 8 : 0, 12); i > 0; --i)
                raw += piece(big);
            if (big)
                raw = raw.repeated((300 << 10) / raw.size()) + piece(false);
            if (rng.bounded(8) == 0)
                raw += char(rng.bounded(256));
            bool restarted[2];   // read in pieces, and in one
            for (const bool whole : {false, true}) {
                Sink sink;
                textfile::Decoder decoder(sink);
                using enum textfile::Decoder::Step;
                for (auto step = Restart; step == Restart; step = step == More ? decoder.finish() : step) {
                    step = More;
                    for (qsizetype from = 0, n = 0; step == More && from < raw.size(); from += n) {
                        n = qMin(raw.size() - from, whole ? raw.size() : rng.bounded(1, rng.bounded(64) ? 8 : 1 << 16));
                        step = decoder.feed(std::vector<char>(raw.begin() + from, raw.begin() + from + n));
                    }
                }
                const QByteArray u = sink.bytes, end = u.mid(qMin(size_t(u.indexOf('\r')), size_t(u.indexOf('\n'))), 2);
                const L lineEnd = end == "\r\n" ? L::CrLf : end.startsWith('\r') ? L::Cr : L::Lf;   // the first one's
                const QByteArray back = textfile::encode(u, decoder.encoding(), rng.bounded(1, 4096));
                QVERIFY2(back == raw && decoder.lineEnd() == lineEnd && u.isValidUtf8(), raw.left(40).toHex().data());
                restarted[whole] = sink.restarted;
            }
            QCOMPARE(restarted[0], restarted[1]);   // a contradiction is found in pieces as in one
        }
    }

    // Shown as written and saved back byte for byte; typed text the encoding cannot store is not saved.
    void legacyEncodings()
    {
        const char *japanese = "日本語のテキストを正しく読み込めるかどうかを確かめるための文です。東京は晴れています。";
        for (const auto &[codec, sentence8, detected, typed8] : {
                 std::tuple("Shift_JIS", japanese, "SHIFT_JIS", "日"), {"EUC-JP", japanese, "EUC-JP", "日"},
                 {"GB18030", "中文文本的编码检测是否正确，我们用这句话来测试一下。今天天气很好。", "GB18030", "中"},
                 {"Big5", "這是一段繁體中文的句子，用來測試編碼偵測是否正確。今天天氣很好。", "BIG5", "體"},
                 {"EUC-KR", "한국어 문장을 올바르게 읽을 수 있는지 확인하기 위한 문장입니다. 오늘은 날씨가 좋습니다.",
                  "EUC-KR", "한"},
                 {"KOI8-R", "Съешь же ещё этих мягких французских булок, да выпей чаю. Привет, мир!", "KOI8-R", "Ж"},
                 {"ISO-8859-2", "Zażółć gęślą jaźń. Pchnąć w tę łódź jeża lub ośm skrzyń fig.", "ISO-8859-2", "ś"},
                 {"windows-1255", "עטלף אבק נס דרך מזגן שהתפוצץ כי חם. שלום עולם, זהו משפט בעברית.",
                  "WINDOWS-1255", "ש"},
                 {"windows-1252", "Le cœur déçu mais l'âme plutôt naïve, Louÿs rêva — « façon » €", "WINDOWS-1252",
                  "é"}}) {
            const auto row = named(codec);
            const QString sentence = QString::fromUtf8(sentence8), typed = sentence + QString::fromUtf8(typed8);
            const QByteArray raw = QStringEncoder(codec).encode(sentence);
            const textfile::Decoded d = textfile::decode(raw);
            QCOMPARE(std::tuple(QString::fromUtf8(d.utf8), d.encoding, textfile::encode(d.utf8, d.encoding)),
                     std::tuple(sentence, *Encoding::named(detected), raw));
            // The first character the encoding cannot store (a pair, or one unit) stops the writing and is named.
            const QString misfit = QByteArray(codec) == "KOI8-R" ? u"😀ᚠ"_s : u"ᚠ😀"_s;
            QString unfit;
            textfile::encode((typed + misfit).toUtf8(), d.encoding, textfile::DefaultChunk, &unfit);
            QCOMPARE(unfit, QByteArray(codec) == "GB18030" ? QString() : misfit.left(1 + misfit[0].isHighSurrogate()));
        }
        // Found by the pieces of a save: those of a stateful encoding were each read back from its first state.
        QCOMPARE(textfile::encode("日本語 abc 東京", *Encoding::named("ISO-2022-JP"), 5),
                 QByteArray(QStringEncoder("ISO-2022-JP").encode(u"日本語 abc 東京"_s)));
    }

    void saveKeepsTheFilesIdentity_data()
    {
        using enum textfile::SaveReason;
        QTest::addColumn<Identity>("c");
        // Names can be added to an append-only folder but not replaced: the rename fails as on some network shares.
        // Set-user-id, set-group-id and read-only modes and nobody's file survive a replacing save by root.
        const Identity rows[] = {
            {"", 0755, true, false, Replaceable, 06755}, {"", 0755, false, false, Replaceable, 0440},
            {"", 0555, true, true, FolderNotWritable}, {"", 0111, true, true, FolderNotWritable},
            {"", 0333, false, true, Replaceable}, {"", 0777, true, true, ForeignOwner},
            {"ramfs", 0755, true, false, Replaceable}, {"links", 0755, true, false, HardLinks},
            {"links", 0777, false, true, HardLinks}, {"attributes", 0777, false, true, Replaceable},
            {"attributes", 0755, true, false, Replaceable}, {"symlink", 0755, true, false, Replaceable},
            {"append-only", 0755, true, false, ReplaceFailed}};
        for (const Identity &c : rows)
            QTest::addRow("%s %o file, %o folder, %s's, %s saves", qPrintable(c.extra), c.mode, c.folder,
                          c.rootOwns ? "root" : "nobody", c.nobodySaves ? "nobody" : "root") << c;
    }
    void saveKeepsTheFilesIdentity()
    {
        QFETCH(Identity, c);
        if (geteuid() != 0)
            QSKIP("the cases set owners: run as root");
        QTemporaryDir dir;
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));
        const QString folder = dir.filePath(QStringLiteral("d")), path = folder + QStringLiteral("/f.txt");
        const QString named = c.extra == "symlink" ? dir.filePath(QStringLiteral("link")) : path;
        QVERIFY(QDir().mkpath(folder));
        if (c.extra == "ramfs" && ::mount("ramfs", QFile::encodeName(folder).constData(), "ramfs", 0, nullptr) != 0)
            QSKIP("cannot mount a filesystem without extended attributes here");
        const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH); });
        QVERIFY(textfile::write(path, QByteArray("old text\n")).ok);
        QVERIFY(::chown(QFile::encodeName(path), c.rootOwns ? 0 : 65534, c.rootOwns ? 0 : 65534) == 0);
        QVERIFY(::chmod(QFile::encodeName(path), c.mode) == 0 && ::chmod(QFile::encodeName(dir.path()), 0755) == 0);
        QVERIFY(c.extra != "links" || ::link(QFile::encodeName(path), QFile::encodeName(folder + "/other")) == 0);
        QVERIFY(c.extra != "symlink" || QFile::link(path, named));
        if (c.extra == "attributes")
            QVERIFY(QProcess::execute("setfattr", {"-n", "user.test", "-v", "kept", path}) == 0
                    && QProcess::execute("setfacl", {"-m", "u:1:r,g:2:rw", path}) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder), mode_t(c.folder)) == 0);
        if (c.extra == "append-only" && QProcess::execute("chattr", {"+a", folder}) != 0)
            QSKIP("no append-only folders on this filesystem");
        const auto writable = qScopeGuard([&] { QProcess::execute("chattr", {"-a", folder}); });
        const QString before = identity(path, c.reason != textfile::SaveReason::Replaceable);
        QCOMPARE(saveAs(c.nobodySaves, named, "new text\n"), int(c.reason));
        QCOMPARE(identity(path, c.reason != textfile::SaveReason::Replaceable), before);
        QByteArray back;
        QVERIFY(textfile::read(path, back).ok);
        QCOMPARE(back, QByteArray("new text\n"));
        // No temporary left, but where the folder refuses to remove one as it refused the rename.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(),
                 c.extra == "links" || c.extra == "append-only" ? 2 : 1);
        QVERIFY(c.extra != "links" || f(folder + "/other") == back);
        QVERIFY(QDir(dir.filePath(QStringLiteral("state/zendral"))).isEmpty());   // the old bytes' copy is gone
    }

    void inPlaceWriteOnAFullDiskPutsTheOldBytesBack()
    {
        QTemporaryDir dir;
        const QByteArray disk = QFile::encodeName(dir.filePath(QStringLiteral("disk")));
        if (!QDir().mkpath(QString::fromLocal8Bit(disk)) || ::mount("tmpfs", disk, "tmpfs", 0, "size=64k") != 0)
            QSKIP("cannot mount a small disk here (needs root)");
        const auto unmount = qScopeGuard([&] { ::umount2(disk, MNT_DETACH); });
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));
        const QString path = QString::fromLocal8Bit(disk) + QStringLiteral("/f.txt");
        const QByteArray old(20000, 'o');
        QVERIFY(textfile::write(path, old).ok && ::link(QFile::encodeName(path), disk + "/other") == 0);
        const std::optional<textfile::Stamp> before = textfile::stampOf(path);
        const textfile::Result r = textfile::write(path, QByteArray(100000, 'n'));
        QVERIFY(textfile::stampOf(path) == before);   // no change for the open document to report
        QVERIFY2(!r.ok && r.error.contains(QString::fromLocal8Bit(strerror(ENOSPC))) && r.error.contains("put back"),
                 qPrintable(r.error));
        QCOMPARE(std::tuple(f(path), f(QString::fromLocal8Bit(disk + "/other"))), std::tuple(old, old));
        QVERIFY(QDir(dir.filePath(QStringLiteral("state/zendral"))).isEmpty());
    }

    // Found when both ways of saving met: in place, the old bytes were overwritten before the misfit was found.
    void inPlaceWriteOfAMisfitWritesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        QVERIFY(textfile::write(path, QByteArray("caf\xe9\n")).ok);
        QVERIFY(::link(QFile::encodeName(path), QFile::encodeName(dir.filePath(QStringLiteral("other")))) == 0);
        const textfile::Result r = textfile::write(path, QStringLiteral("Ж café\n").toUtf8(), Encoding::Windows1252);
        QCOMPARE(std::tuple(r.ok, r.unfit, r.saved.path, f(path)),
                 std::tuple(false, QStringLiteral("Ж"), textfile::SavePath::InPlace, QByteArray("caf\xe9\n")));
    }

    // A save the system fails part way is reported and leaves the old file, and nothing beside it; one that could
    // not keep the owner drops the set-id bits, which would now be the saver's. A FIFO is refused.
    void saveWhereTheSystemFails_data()
    {
        QTest::addColumn<QByteArray>("function");
        QTest::addColumn<int>("err");
        QTest::addColumn<int>("mode");   // the file's afterwards; 0: the save failed
        QTest::newRow("fdatasync EIO") << "fdatasync"_ba << EIO << 0;   // found: the old file was replaced
        QTest::newRow("fchown EPERM") << "fchown"_ba << EPERM << 0755;
    }
    void saveWhereTheSystemFails()
    {
        QFETCH(QByteArray, function);
        QFETCH(int, err);
        QFETCH(int, mode);
        if (geteuid() != 0)
            QSKIP("the file is nobody's: run as root");
        ::close(0);   // as in a program started without input: a file opened now can be descriptor 0
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        const QByteArray name = QFile::encodeName(path), text = "new\n";
        QVERIFY(textfile::write(path, "old\n"_ba).ok && ::chown(name, 65534, 65534) == 0 && ::chmod(name, 06755) == 0);
        const auto before = std::tuple(textfile::stampOf(path), QDir(QStringLiteral("/proc/self/fd")).count());
        systemfaults::fail(function, err);
        const textfile::Result r = textfile::write(path, text);
        systemfaults::fail(nullptr);
        struct stat st;
        QVERIFY(::stat(name, &st) == 0 && ::mkfifo(name + "-p", 0600) == 0 && !textfile::write(path + "-p", {}).ok);
        QCOMPARE(std::tuple(r.ok, f(path), st.st_mode & 07777, QDir(dir.path()).count(), textfile::stampOf(path),
                            QDir(QStringLiteral("/proc/self/fd")).count()),
                 std::tuple(mode != 0, mode ? text : "old\n"_ba, uint(mode ? mode : 06755), 3,
                            mode ? std::optional(r.stamp) : std::get<0>(before), std::get<1>(before)));
    }

    // A read or a write reports how far it has come, piece by piece, up to the whole (again from the start where the
    // end is in another encoding); a read its sink stops (no memory for the text) fails without a system's reason.
    void progressAndStop()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        QList<qint64> seen;
        const textfile::Progress note = [&seen](qint64 done, qint64 total) { seen << done << total; };
        const qint64 chunk = textfile::DefaultChunk, total = chunk + 6;
        QVERIFY(textfile::write(path, QByteArray(chunk, 'a') + "\n\x93\xFA\x96\x7B\n", Encoding::Utf8, note).ok);
        Sink sink;
        textfile::Decoder decoder(sink);
        QVERIFY(textfile::read(path, decoder, {.chunk = chunk, .progress = note}).ok);
        QCOMPARE(seen, (QList<qint64>{0, total, chunk, total, total, total, chunk, total, total, total, chunk, total,
                                      total, total}));
        sink.room = false;   // refused at the end, where two bytes are handed over, and where 256 KiB fill the head
        for (const auto &[bytes, piece] : {std::pair("ab"_ba, chunk), {QByteArray(256 << 10, 'a'), 128 << 10}}) {
            QVERIFY(textfile::write(path, bytes).ok);
            textfile::Decoder refused(sink);
            const textfile::Result r = textfile::read(path, refused, {.chunk = piece});
            QCOMPARE(std::pair(r.ok, r.error), std::pair(false, QString()));
        }
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

    // Long s (shorter in UTF-8), kelvin sign (longer), dotted capital I, Deseret after pairs, beyond 65535;
    // invalid bytes are one unit each (U+FFFD in UTF-16) and match only themselves; the edge of the table of the
    // first 65536 characters.
    void search()
    {
        const Hit rows[] = {{"Maſs", "ss", 3, 0}, {"5 K", "k", 3, 0}, {"İ", "i", 1, 0}, {"😀a😀b𐐀𐐨", "𐐨", 7, 9},
                            {QByteArray(70000, 'x') + " needle Needle", "Needle", 70002, 70009},
                            {"\xC3(", "\xC3", 1, 1}, {"\xED\xA0\x80", "\xED", 1, 1},
                            {"\uFFFF\U00010000\U0010FFFF", "\U00010000", 2, 2}};
        for (const Hit &c : rows) {
            const auto row = named(QString::fromUtf8(c.text.left(12).toHex(' ')));
            // The hit in UTF-16 terms, as the dialogs select it.
            const QString what = QString::fromUtf8(c.what);
            auto at = [&c](qint64 byte) { return qint64(QString::fromUtf8(c.text.left(byte)).size()); };
            using Sel = std::pair<qint64, qint64>;
            for (const auto &[compare, expected] :
                 {std::pair(Compare::Text, c.caseBlind), {Compare::Binary, c.exact}}) {
                // Each view is followed in memory by a continuation byte, which a search must not read.
                const QByteArray text8 = c.text + '\x80', what8 = c.what + '\x80';
                const textsearch::Match m = textsearch::findUtf8(QByteArrayView(text8).chopped(1),
                                                                 QByteArrayView(what8).chopped(1), compare);
                QCOMPARE(m.found() ? Sel(at(m.start) + 1, at(m.end) - at(m.start)) : Sel(0, 0),
                         Sel(expected, expected ? what.size() : 0));
            }
        }
        // Regardless of case, a lone lead byte is no part of the character it starts (as bytes it is), and bytes of no
        // character (FC 80 80 80, a lone 80) match only themselves; "" is found at once.
        for (auto [text, what, at] : {std::tuple("\xDF\x80", "\xDF", -1), {"\xEF\xBC\xA1", "\xEF", -1},
                                      {"\xE0\xA0\x80", "\xE0", -1}, {"\xF4\x8F\xBF\xBF", "\xF4", -1},
                                      {"\xF4\x80\x80\x80", "\xFC\x80\x80\x80", -1}, {"a\x80", "\x80", 1}, {"a", "", 0}})
            QCOMPARE(textsearch::findUtf8(text, what, Compare::Text).start, qint64(at));
    }

    void everySimpleCaseMappingMatches()
    {
        for (char32_t c = 0; c <= char32_t(QChar::LastValidCodePoint); ++c)
            for (char32_t m : {QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c), QChar::toCaseFolded(c)})
                QVERIFY2(textsearch::caseKey(m) == textsearch::caseKey(c), qPrintable(QString::number(c, 16)));
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
