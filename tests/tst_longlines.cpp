// SPDX-License-Identifier: GPL-3.0-or-later
// The text box keeps every byte and maps positions as the text's, on lines of any length: long lines are
// shown as rows, and the text, its positions, keys and undo stay the file's.
#include "platform/TextBox.h"
#include "support/TestMain.h"
#include <QAccessibleTextInterface>
#include <QRandomGenerator>

using Sci = QsciScintillaBase;

namespace {
QRandomGenerator rng(20261208);
int pick(int n) { return int(rng.bounded(n)); }

// Lines of 0 to 300 KiB of words, CJK, emoji, base64-like runs, ended by LF or CR LF; the short ones also
// with lone CRs and LFs, NULs and noncharacters (U+FFFF, U+FFFE, U+FDD0, U+10FFFE), which the box keeps whole.
QByteArray text(int lines, bool shortOnly = false)
{
    static const char *pool[] = {"word ", "é", "€ ", "😀", "中文", "Zm9vYmFy", ",", "{\"a\":1}",
                                 "\r", "\n", "\xEF\xBF\xBF", "\xEF\xBF\xBE", "\xEF\xB7\x90", "\xF4\x8F\xBF\xBE"};
    QByteArray out;
    for (int l = 0; l < lines; ++l) {
        const bool shortLine = shortOnly || pick(3) == 0;
        const qsizetype length = out.size() + (shortLine ? pick(40) : pick(4) == 0 ? pick(300 << 10) : pick(12 << 10));
        while (out.size() < length)
            out += pool[pick(shortLine ? 14 : 8)];
        if (shortLine && pick(2))
            out += '\0';
        out += pick(3) ? "\n" : "\r\n";
    }
    return out;
}
// Inside a character or a CR LF pair.
bool inside(const QByteArray &t, qsizetype p)
{
    return p > 0 && p < t.size() && ((uchar(t[p]) & 0xC0) == 0x80 || (t[p] == '\n' && t[p - 1] == '\r'));
}
qsizetype back(const QByteArray &t, qsizetype p) { do --p; while (inside(t, p)); return p; }
qsizetype forth(const QByteArray &t, qsizetype p) { do ++p; while (inside(t, p)); return p; }
qint64 units(const QByteArray &t, qsizetype p) { return QString::fromUtf8(t.first(p)).size(); }
}

class TestLongLines : public QObject
{
    Q_OBJECT
    long sci(TextBox &box, unsigned int msg, unsigned long w = 0, long l = 0) { return box.SendScintilla(msg, w, l); }

    std::vector<long> rows(TextBox &box)
    {
        std::vector<long> starts;
        for (long r = 0; r < sci(box, Sci::SCI_GETLINECOUNT); ++r)
            starts.push_back(sci(box, Sci::SCI_POSITIONFROMLINE, r));
        return starts;
    }
    // A character boundary, often where a row starts or ends.
    qsizetype position(TextBox &box, const QByteArray &model)
    {
        const long rows = sci(box, Sci::SCI_GETLINECOUNT);
        qsizetype p = pick(2) ? box.fromDisplay(sci(box, Sci::SCI_POSITIONFROMLINE, pick(int(rows))))
                              : pick(int(model.size()) + 1);
        while (inside(model, p))
            --p;
        return p;
    }

private Q_SLOTS:
    void rowsKeepTheFilesText()
    {
        // Random texts, edits, keys, undo and redo against the same on a byte array: the box's bytes, reported
        // edits, positions, selection, accessible text and caret stay the file's; no break ever becomes a line feed.
        for (int round = 0; round < 24; ++round) {
            TextBox box;
            box.show();
            QByteArray model = text(1 + pick(5), round % 2);
            // In random pieces of whole characters, as a file is read: the rows of the whole.
            auto pending = box.newText(model.size());
            for (qsizetype at = 0, end; at < model.size(); at = end) {
                end = qMin<qsizetype>(model.size(), at + 1 + pick(8 << 10));
                while (end < model.size() && (uchar(model[end]) & 0xC0) == 0x80)
                    ++end;
                QVERIFY(pending->append(model.sliced(at, end - at)));
            }
            box.adopt(std::move(pending));
            TextBox whole;
            whole.loadBytes(model);
            QVERIFY(rows(box) == rows(whole));
            std::vector<QByteArray> done{model};
            QByteArray journal = model;   // the text as the edits the box reports make it
            connect(&box, &TextBox::edited, &box, [&](qint64 at, qint64 removed, QByteArrayView inserted) {
                journal.replace(at, removed, inserted.toByteArray());
            });
            for (int step = 0; step < 60; ++step) {
                const QString where = QStringLiteral("round %1 step %2").arg(round).arg(step);
                sci(box, Sci::SCI_BEGINUNDOACTION);   // each step an undo step of its own
                sci(box, Sci::SCI_ENDUNDOACTION);
                qsizetype p = position(box, model), caret = p;
                const int op = pick(7);
                if (op == 0) {   // a paste, now and then a long line of its own or into a CR LF pair
                    if (const qsizetype pair = model.indexOf("\r\n", p); pair >= 0 && pick(3) == 0)
                        p = pair + 1;
                    const QByteArray s = pick(4) ? QByteArray("a\nb€")
                                       : pick(2) ? text(2) : text(1).repeated(2).replace('\r', ' ').replace('\n', ' ');
                    box.selectBytes(p, p);
                    box.setSelText(QString::fromUtf8(s));
                    model.insert(p, s);
                    caret = p + s.size();
                } else if (op == 1) {   // a removal, rows and lines with it
                    const qsizetype q = pick(3) ? qMin<qsizetype>(model.size(), p + pick(pick(2) ? 20 : 9000))
                                                : qMax(p, position(box, model));   // whole rows: breaks left adjoining
                    const qsizetype end = inside(model, q) ? back(model, q) : q;
                    box.selectBytes(p, qMax(p, end));
                    QCOMPARE(box.SelText(), QString::fromUtf8(model.sliced(p, qMax(p, end) - p)));
                    box.setSelText({});
                    model.remove(p, qMax(p, end) - p);
                } else if (op == 2) {   // undo to a depth, then all of it redone or new edits made
                    const int depth = pick(int(done.size()));
                    for (int i = 0; i < depth; ++i)
                        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
                    QVERIFY2(box.bytes() == done[done.size() - 1 - depth], qPrintable(where));
                    for (int i = 0; i < depth; ++i)
                        QTest::keyClick(&box, Qt::Key_Y, Qt::ControlModifier);
                    caret = -1;
                } else {   // a key, from a row's edge as often as not
                    sci(box, Sci::SCI_GOTOPOS, box.toDisplay(p, pick(2)));   // at a row's end or the next one's start
                    static const int keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left, Qt::Key_Right,
                                               Qt::Key_Home, Qt::Key_End, Qt::Key_X, Qt::Key_Right};
                    const int key = keys[pick(8)];
                    QTest::keyClick(&box, Qt::Key(key));
                    qsizetype lineStart = p, lineEnd = p;   // CR, LF and CR LF end lines
                    while (lineStart > 0 && model[lineStart - 1] != '\n' && model[lineStart - 1] != '\r')
                        --lineStart;
                    while (lineEnd < model.size() && model[lineEnd] != '\n' && model[lineEnd] != '\r')
                        ++lineEnd;
                    if (key == Qt::Key_Backspace && p > 0)
                        model.remove(caret = back(model, p), p - back(model, p));
                    else if (key == Qt::Key_Delete && p < model.size())
                        model.remove(p, forth(model, p) - p);
                    else if (key == Qt::Key_X)
                        model.insert(p, 'x'), caret = p + 1;
                    else if (key == Qt::Key_Left || key == Qt::Key_Right)
                        caret = key == Qt::Key_Left ? (p ? back(model, p) : 0) : qMin(model.size(), forth(model, p));
                    else if (key == Qt::Key_Home || key == Qt::Key_End)
                        caret = key == Qt::Key_Home ? lineStart : lineEnd;
                }
                // Find, in windows that end inside the hit: the first hit in the text as a whole.
                const qsizetype from = position(box, model), cut = qMin<qsizetype>(model.size(), from + pick(16));
                const qsizetype to = inside(model, cut) ? back(model, cut) : cut;
                const QByteArray sought = QString::fromUtf8(model.sliced(from, to - from)).toUpper().toUtf8();
                const auto how = pick(2) ? textsearch::Compare::Text : textsearch::Compare::Binary;
                const textsearch::Match want = findUtf8(model, sought, how);   // windows end inside it
                const qint64 w = want.end - want.start > 1 ? want.start + 1 + pick(int(want.end - want.start - 1)) : 9;
                const textsearch::Match hit = box.finder(sought, how, w)();
                QVERIFY2(hit.start == want.start && hit.end == want.end, qPrintable(where));
                if (model != done.back())
                    done.push_back(model);
                QVERIFY2(box.bytes() == model && journal == model, qPrintable(where));
                if (caret >= 0)
                    QTRY_VERIFY2(box.SelStart() == units(model, caret) && box.SelLength() == 0, qPrintable(where));
                const qsizetype a = position(box, model), b = position(box, model), lo = qMin(a, b), hi = qMax(a, b);
                box.selectBytes(lo, hi);
                const QByteArray between = model.sliced(lo, hi - lo);
                QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(&box)->textInterface();
                const QString read = QString::fromUtf8(between);
                QCOMPARE(std::tuple(box.SelText(), box.toBytePos(units(model, hi)), box.toUtf16(lo), box.length()),
                         std::tuple(read, qint64(hi), units(model, lo), units(model, model.size())));
                QCOMPARE(text->text(int(units(model, lo)), int(units(model, hi))), read);
                for (qsizetype i = 0; model.size() < 400 && i <= model.size(); i = forth(model, i)) {   // all, if few
                    const qint64 u = units(model, i);
                    QVERIFY2(box.toUtf16(i) == u && box.toBytePos(u) == i, qPrintable(where));
                }
            }
        }
    }

    void keysActOnCharactersBeyondBreaks()
    {
        // Rows removed whole leave their breaks side by side; Backspace and Delete there (found: they removed
        // only a break, an undo step that changed nothing) act on the character beyond them, or on nothing;
        // Find looks across them.
        for (const int how : {0, 1, 2}) {   // Backspace after both breaks, Delete before them, both selected
            TextBox box;
            QByteArray line;
            for (int i = 0; i < 2000; ++i)
                line += 'w' + QByteArray::number(i) + ' ';
            box.loadBytes(line);
            const long start = sci(box, Sci::SCI_POSITIONFROMLINE, 2);
            sci(box, Sci::SCI_SETSEL, start, sci(box, Sci::SCI_POSITIONFROMLINE, 4) - 1);
            box.SendScintilla(Sci::SCI_REPLACESEL, "");
            const qint64 at = box.fromDisplay(start);
            const QByteArray across = box.bytesAt(start - 4, start + 4);   // found in no other place
            QCOMPARE(box.finder(across, textsearch::Compare::Binary)().start, at - 3);   // before bytes() copies
            const QByteArray model = box.bytes().toByteArray();
            sci(box, Sci::SCI_SETSEL, how ? start - 1 : start + 1, how == 1 ? start - 1 : start + 1);
            QTest::keyClick(&box, how ? Qt::Key_Delete : Qt::Key_Backspace);
            QCOMPARE(box.bytes(), how == 2 ? model : QByteArray(model).remove(at - 1 + how, 1));
            QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(box.bytes(), how == 2 ? line : model);
        }
    }

    void rowsStartWhereCharactersStart()
    {
        // Rows start after a space where there is one, before an ideograph (not before its stop) in East Asian
        // text; in lines with neither, never with an accent or a skin tone.
        const QByteArray pieces[] = {"word ", "字字字。", "e\xCC\x81\xCC\xA3", "ab👍🏻"};
        for (const QByteArray &unit : pieces) {
            TextBox box;
            box.loadBytes(unit.repeated(20000));
            const bool wholeUnits = unit.endsWith(' ') || unit.startsWith("字");
            for (long r = 1; r < sci(box, Sci::SCI_GETLINECOUNT); ++r) {
                const long at = sci(box, Sci::SCI_POSITIONFROMLINE, r);
                const QByteArray row = box.bytesAt(at, at + 8);
                const char32_t c = QString::fromUtf8(row).toUcs4().value(0);
                QVERIFY2(wholeUnits ? row.startsWith(unit.first(3)) : QChar::category(c) != QChar::Mark_NonSpacing
                                                 && (c < 0x1F3FB || c > 0x1F3FF) && (row[0] & 0xC0) != 0x80,
                         qPrintable(QString::number(r)));
            }
        }
    }
};

ZENDRAL_TEST_MAIN(TestLongLines)
#include "tst_longlines.moc"
