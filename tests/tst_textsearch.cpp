// The text search on its own: UTF-16 and UTF-8 forms, exact and case-blind.
#include "search/TextSearch.h"
#include "support/TestMain.h"
#include <QRandomGenerator>

using textsearch::Compare;

namespace {
QString u(const char *utf8) { return QString::fromUtf8(utf8); }

// The UTF-16 position of a byte offset of `utf8`.
qint64 utf16At(const QByteArray &utf8, qint64 byte) { return QString::fromUtf8(utf8.left(byte)).size(); }

// findUtf8 as a 1-based UTF-16 position, and the UTF-16 length of the hit.
std::pair<qint64, qint64> viaUtf8(const QString &text, const QString &what, Compare compare)
{
    const QByteArray t = text.toUtf8();
    const textsearch::Match m = textsearch::findUtf8(t, what.toUtf8(), compare);
    if (!m.found())
        return {0, 0};
    const qint64 start = utf16At(t, m.start);
    return {start + 1, utf16At(t, m.end) - start};
}
}

class TestTextSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void search_data();
    void search();
    void invalidBytesInTheBuffer();
    void everySimpleCaseMappingMatches();
    void randomTextsAgree();
};

void TestTextSearch::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<qint64>("expected");

    const QString far32 = QString(40000, QLatin1Char('x'));
    const QString far64 = QString(70000, QLatin1Char('x'));
    const QString pair = u("😀");   // one character, two code units

    struct Row { const char *tag; QString text, what; bool exact; qint64 expected; };
    const Row rows[] = {
        {"empty text, empty what", {}, {}, false, 0},
        {"empty text, empty what, exact", {}, {}, true, 0},
        {"empty text", {}, u("a"), false, 0},
        {"empty what", u("abc"), {}, false, 1},
        {"empty what, exact", u("abc"), {}, true, 1},
        {"what longer than text", u("ab"), u("abc"), false, 0},
        {"first of several", u("xaxaxa"), u("a"), true, 2},
        {"hit at the end", u("xxxab"), u("AB"), false, 4},
        {"whole text", u("abc"), u("ABC"), false, 1},
        {"ascii case-blind", u("xABCx"), u("abc"), false, 2},
        {"ascii exact misses", u("xABCx"), u("abc"), true, 0},
        {"ascii exact hits", u("xabcABC"), u("ABC"), true, 5},
        {"overlapping start", u("aaab"), u("aab"), false, 2},
        {"latin-1 letters", u("xÄÖÜx"), u("äöü"), false, 2},
        {"latin-1 exact misses", u("xÄÖÜx"), u("äöü"), true, 0},
        {"greek sigmas", u("ΟΔΥΣΣΕΥΣ"), u("σςσ"), false, 0},
        {"greek final sigma", u("ΟΔΥΣΣΕΥΣ"), u("ευς"), false, 6},
        {"cyrillic", u("мир МИР"), u("мИр"), false, 1},
        {"long s and S", u("xſx"), u("S"), false, 2},
        {"s finds long s", u("Maſs"), u("ss"), false, 3},
        {"kelvin sign and k", u("5 K"), u("k"), false, 3},
        {"k finds kelvin sign", u("K"), u("K"), false, 1},
        {"ohm sign and omega", u("Ω"), u("ω"), false, 1},
        {"capital sharp s", u("STRAẞE"), u("straße"), false, 1},
        {"sharp s is not ss", u("STRASSE"), u("straße"), false, 0},
        {"titlecase digraph", u("ǅ"), u("ǆ"), false, 1},
        {"dotted capital I", u("İ"), u("i"), false, 1},
        {"dotless i", u("ı"), u("I"), false, 1},
        {"different letters", u("abc"), u("abd"), false, 0},
        {"accent is not case", u("resume"), u("résumé"), false, 0},
        {"no normalisation", u("e\u0301"), u("é"), false, 0},
        {"pair before the hit", pair + u("a") + pair + u("b"), u("B"), false, 6},
        {"pair as the hit", u("ab") + pair, pair, true, 3},
        {"deseret case", u("x𐐀"), u("𐐨"), false, 2},
        {"deseret exact misses", u("x𐐀"), u("𐐨"), true, 0},
        {"half a pair does not match a pair", pair, pair.left(1), false, 0},
        {"line break", u("ab\r\ncd"), u("B\r\nC"), false, 2},
        {"beyond 32767", far32 + u("Needle"), u("needle"), false, 40001},
        {"beyond 32767, exact", far32 + u("needle"), u("needle"), true, 40001},
        {"beyond 65535", far64 + u("Needle"), u("NEEDLE"), false, 70001},
        {"beyond 65535, exact", far64 + u("Needle"), u("Needle"), true, 70001},
        {"beyond 65535, miss", far64, u("y"), false, 0},
    };
    for (const Row &r : rows)
        QTest::newRow(r.tag) << r.text << r.what << r.exact << r.expected;
}

void TestTextSearch::search()
{
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(bool, exact);
    QFETCH(qint64, expected);
    const Compare compare = exact ? Compare::Binary : Compare::Text;

    QCOMPARE(textsearch::InStr(text, what, compare), expected);
    const auto [position, length] = viaUtf8(text, what, compare);
    QCOMPARE(position, expected);
    if (expected > 0)
        QCOMPARE(length, what.size());
}

void TestTextSearch::invalidBytesInTheBuffer()
{
    // Invalid bytes match nothing valid, and do not hide the text after them.
    const QByteArray text("\xff\xc3(\xe2\x82 abc \xef\xbf\xbd", 13);
    QCOMPARE(textsearch::findUtf8(text, "ABC", Compare::Text).start, 6);
    QCOMPARE(textsearch::findUtf8(text, "abc", Compare::Binary).start, 6);
    // U+FFFD itself is found only where it is written.
    const textsearch::Match replacement = textsearch::findUtf8(text, "\xef\xbf\xbd", Compare::Text);
    QCOMPARE(replacement.start, 10);
    QCOMPARE(replacement.end, 13);
    // A truncated sequence at the very end is no character.
    QVERIFY(!textsearch::findUtf8(QByteArray("ab\xe2\x84"), "\xe2\x84\xaa", Compare::Text).found());
}

void TestTextSearch::everySimpleCaseMappingMatches()
{
    int mismatches = 0;
    for (char32_t c = 0; c <= char32_t(QChar::LastValidCodePoint); ++c) {
        const char32_t key = textsearch::caseKey(c);
        for (char32_t m : {QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c), QChar::toCaseFolded(c)}) {
            if (textsearch::caseKey(m) != key && ++mismatches < 10)
                qWarning("U+%04X and U+%04X do not match", unsigned(c), unsigned(m));
        }
    }
    QCOMPARE(mismatches, 0);
    QCOMPARE(textsearch::caseKey(0x130), textsearch::caseKey(U'i'));
    QVERIFY(textsearch::caseKey(U'a') != textsearch::caseKey(U'b'));
}

void TestTextSearch::randomTextsAgree()
{
    // The UTF-8 search agrees with the UTF-16 one on texts dense in the
    // characters whose cases differ in UTF-8 length.
    const QStringList alphabet = u("a|A|s|S|ſ|k|K|K|ß|ẞ|σ|ς|Σ|😀|𐐀|𐐨|\n|x").split(QLatin1Char('|'));
    QRandomGenerator random(20240601);
    auto randomText = [&](int maxLength) {
        QString s;
        const int n = int(random.bounded(maxLength + 1));
        for (int i = 0; i < n; ++i)
            s += alphabet.at(int(random.bounded(alphabet.size())));
        return s;
    };
    for (int round = 0; round < 4000; ++round) {
        const QString text = randomText(40);
        const QString what = randomText(3);
        for (Compare compare : {Compare::Binary, Compare::Text}) {
            const qint64 expected = textsearch::InStr(text, what, compare);
            const auto [position, length] = viaUtf8(text, what, compare);
            if (position != expected || (expected > 0 && length != what.size()))
                QFAIL(qPrintable(QStringLiteral("\"%1\" in \"%2\": %3 vs %4").arg(what, text).arg(position).arg(expected)));
            if (compare == Compare::Binary && !text.isEmpty())
                QCOMPARE(expected, text.indexOf(what) + 1);
        }
    }
}

ZENDRAL_TEST_MAIN(TestTextSearch)
#include "tst_textsearch.moc"
