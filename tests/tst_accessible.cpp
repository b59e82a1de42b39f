// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader gets from the windows: the editor's text, caret and
// selection, the reports of its changes, and the name and role of every control.
#include "about/AboutWindow.h"
#include "calc/CalcWindow.h"
#include "search/FindDialog.h"
#include "search/ReplaceDialog.h"
#include "support/Accessibility.h"
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include <QAccessible>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBoundaryFinder>

using Sci = QsciScintillaBase;

namespace {
QStringList *g_log = nullptr;
QObject *g_watched = nullptr;

// The box's text reports as a line each: "insert 3 x", "remove 3 x", "update 3 a>b", "caret 4", "select 1-3".
void record(QAccessibleEvent *e)
{
    if (!g_log || e->object() != g_watched)
        return;
    if (const auto *i = dynamic_cast<QAccessibleTextInsertEvent *>(e))
        *g_log << QStringLiteral("insert %1 %2").arg(i->changePosition()).arg(i->textInserted());
    else if (const auto *r = dynamic_cast<QAccessibleTextRemoveEvent *>(e))
        *g_log << QStringLiteral("remove %1 %2").arg(r->changePosition()).arg(r->textRemoved());
    else if (const auto *u = dynamic_cast<QAccessibleTextUpdateEvent *>(e))
        *g_log << QStringLiteral("update %1 %2>%3").arg(u->changePosition()).arg(u->textRemoved(), u->textInserted());
    else if (const auto *s = dynamic_cast<QAccessibleTextSelectionEvent *>(e))
        *g_log << QStringLiteral("select %1-%2").arg(s->selectionStart()).arg(s->selectionEnd());
    else if (e->type() == QAccessible::TextCaretMoved)
        *g_log << QStringLiteral("caret %1").arg(static_cast<QAccessibleTextCursorEvent *>(e)->cursorPosition());
}

enum class Side { Before, At, After };
struct Span { qsizetype start, end; bool operator==(const Span &) const = default; };

// The item of `type` before, at or after `o`, found on the whole string: lines end after LF, CR LF or a lone CR;
// other items lie between consecutive boundaries of Unicode text segmentation.
Span expectedItem(const QString &t, qsizetype o, QAccessible::TextBoundaryType type, Side side)
{
    const qsizetype end = t.size();
    if (type == QAccessible::LineBoundary) {
        QList<qsizetype> starts{0};
        for (qsizetype i = 0; i < end; ++i)
            if (t[i] == u'\n' || (t[i] == u'\r' && (i + 1 == end || t[i + 1] != u'\n')))
                starts << i + 1;
        qsizetype line = starts.size() - 1;
        while (starts[line] > o)
            --line;
        line += side == Side::Before ? -1 : side == Side::After ? 1 : 0;
        if (line < 0 || line >= starts.size())
            return line < 0 ? Span{0, 0} : Span{end, end};
        return {starts[line], line + 1 < starts.size() ? starts[line + 1] : end};
    }
    QTextBoundaryFinder f(type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                          : type == QAccessible::SentenceBoundary ? QTextBoundaryFinder::Sentence
                                                                  : QTextBoundaryFinder::Grapheme, t);
    const auto next = [&](qsizetype p) {
        f.setPosition(p);
        const qsizetype n = f.toNextBoundary();
        return n < 0 ? end : n;
    };
    const auto previous = [&](qsizetype p) { f.setPosition(p); return qMax<qsizetype>(0, f.toPreviousBoundary()); };
    f.setPosition(o);
    const qsizetype s = o == end || f.isAtBoundary() ? o : previous(o);
    if (side == Side::Before)
        return {s == 0 ? 0 : previous(s), s};
    if (side == Side::At)
        return {s, s == end ? end : next(s)};
    const qsizetype first = s == end ? end : next(s);
    return {first, first == end ? end : next(first)};
}

enum class Act { Type, Key, Paste, Open };
// A selection in the box, what is done there and the reports that follow.
struct Report { int selStart, selLength; Act act; QString arg, reports; };
}
Q_DECLARE_METATYPE(Report)

class TestAccessible : public QObject
{
    Q_OBJECT
    EditorFixture f;
    QStringList log;
    QAccessibleTextInterface *text() { return QAccessible::queryAccessibleInterface(f.form->Text1)->textInterface(); }

private Q_SLOTS:
    void initTestCase()
    {
        QAccessible::installUpdateHandler(record);
        testsupport::setAccessibilityActive(true);
        g_log = &log;
    }
    void init() { QVERIFY(f.start()); g_watched = f.form->Text1; }
    void cleanup() { f.finish(); log.clear(); }

    void textInterfaceReadsAsTheString()
    {
        // Random texts with multi-byte characters, surrogate pairs and every line end, read through the
        // interface as the same QString would read: the text, every item around every offset, caret and selection.
        static const char32_t pool[] = {U'a', U'b', U' ', U' ', U'.', U'\r', U'\n', U'\r', U'\n', 0xE9, 0x20AC, 0x1F600,
                                        U'!', U'A'};
        QRandomGenerator rng(20261207);
        TextBox *box = f.form->Text1;
        QAccessibleTextInterface *iface = text();
        const QAccessible::TextBoundaryType types[] = {QAccessible::CharBoundary, QAccessible::WordBoundary,
                                                       QAccessible::SentenceBoundary, QAccessible::LineBoundary};
        for (int round = 0; round < 25; ++round) {
            QString model;
            for (int i = int(rng.bounded(40)); i > 0; --i)
                model += QString::fromUcs4(&pool[rng.bounded(int(std::size(pool)))], 1);
            box->setText(model);
            QCOMPARE(std::pair(iface->characterCount(), iface->text(0, -1)), std::pair(int(model.size()), model));
            for (qsizetype o = 0; o <= model.size(); ++o) {
                if (o < model.size() && model[o].isLowSurrogate())
                    continue;
                for (auto type : types) {
                    for (Side side : {Side::Before, Side::At, Side::After}) {
                        int s = -5, e = -5;
                        const QString got = side == Side::Before ? iface->textBeforeOffset(int(o), type, &s, &e)
                            : side == Side::At                   ? iface->textAtOffset(int(o), type, &s, &e)
                                                                 : iface->textAfterOffset(int(o), type, &s, &e);
                        const Span want = expectedItem(model, o, type, side);
                        QVERIFY2((Span{s, e} == want) && got == model.mid(want.start, want.end - want.start),
                                 qPrintable(QStringLiteral("round %1 offset %2 type %3 side %4: %5-%6")
                                                .arg(round).arg(o).arg(int(type)).arg(int(side)).arg(s).arg(e)));
                    }
                }
            }
            // The caret and the selection, set either way round, and removed.
            const qsizetype a = rng.bounded(int(model.size()) + 1), b = rng.bounded(int(model.size()) + 1);
            if ((a < model.size() && model[a].isLowSurrogate()) || (b < model.size() && model[b].isLowSurrogate()))
                continue;
            round % 2 ? iface->setSelection(0, int(a), int(b)) : iface->addSelection(int(a), int(b));
            int s = -1, e = -1;
            iface->selection(0, &s, &e);
            QCOMPARE(std::tuple(iface->cursorPosition(), iface->selectionCount(), s, e, box->SelText()),
                     std::tuple(int(b), a != b ? 1 : 0, a != b ? int(qMin(a, b)) : 0, a != b ? int(qMax(a, b)) : 0,
                                model.mid(qMin(a, b), qAbs(a - b))));
            iface->removeSelection(0);
            QCOMPARE(std::pair(iface->selectionCount(), iface->cursorPosition()), std::pair(0, int(b)));
            // An offset inside a surrogate pair stands for the pair's start.
            if (const qsizetype pair = model.indexOf(QChar(0xD83D)); pair >= 0) {
                iface->setCursorPosition(int(pair + 1));
                QCOMPARE(box->SelStart(), pair);
            }
            iface->setCursorPosition(int(a));
            const Span at = expectedItem(model, a, QAccessible::CharBoundary, Side::At);
            const QString got = iface->textAtOffset(-2, QAccessible::CharBoundary, &s, &e);
            QCOMPARE(std::tuple(box->SelStart(), box->SelLength(), got),
                     std::tuple(qint64(a), 0LL, model.mid(a, at.end - a)));
        }
        int s = 0, e = 0;
        QCOMPARE(std::tuple(iface->textAtOffset(int(box->length()) + 1, QAccessible::LineBoundary, &s, &e), s, e),
                 std::tuple(QString(), -1, -1));
    }

    void editsThroughTheInterfaceAreChanges()
    {
        // Insert, delete and replace edit the text as typing does: undoable, and the document is unsaved.
        TextBox *box = f.form->Text1;
        box->setText(QStringLiteral("a\U0001F600\r\nb"));
        f.form->Saved = true;
        auto *edit = QAccessible::queryAccessibleInterface(box)->editableTextInterface();
        edit->insertText(3, QStringLiteral("\u00E9"));
        const bool saved = f.form->Saved;
        edit->deleteText(1, 3);
        edit->replaceText(2, 4, QStringLiteral("xy"));
        const QString edited = box->Text();
        box->SendScintilla(Sci::SCI_UNDO);
        QCOMPARE(std::tuple(saved, edited, box->Text()), std::tuple(false, u"a\u00E9xyb", u"a\u00E9\r\nb"));
        // Rectangles and points agree: a character's rectangle leads back to it (the first one's from its very corner).
        const QPoint middle = text()->characterRect(4).center(), corner = text()->characterRect(0).topLeft();
        QCOMPARE(std::pair(text()->offsetAtPoint(middle), text()->offsetAtPoint(corner)), std::pair(4, 0));
        // The end has a rectangle too, where the caret stands, as wide as a blank; past the end there is none.
        const int end = int(box->length());
        QVERIFY(text()->characterRect(end).width() > 1 && text()->characterRect(end + 1).isNull());
    }

    void changesAreReported_data()
    {
        QTest::addColumn<Report>("r");
        // In "a\u00E9\U0001F600\r\nbc d", offsets in UTF-16 units; a removal is half of the paste's update.
        QTest::newRow("typing") << Report{8, 0, Act::Type, "x", "insert 8 x | caret 9"};
        QTest::newRow("Shift+Right selects") << Report{6, 0, Act::Key, "Shift+Right", "caret 7 | select 6-7"};
        QTest::newRow("paste over selection") << Report{6, 2, Act::Paste, "Z", "update 6 bc>Z | caret 7 | select 7-7"};
        // A file opened replaces the text whole: no text in the report, the client reads what it needs.
        QTest::newRow("Open") << Report{1, 0, Act::Open, "new text", "update 0 > | caret 0"};
    }
    void changesAreReported()
    {
        QFETCH(Report, r);
        TextBox *box = f.form->Text1;
        box->setText(QStringLiteral("a\u00E9\U0001F600\r\nbc d"));
        box->setSelStart(r.selStart);
        box->setSelLength(r.selLength);
        QTRY_VERIFY(!log.isEmpty());   // the set-up's own reports, then a clean slate
        log.clear();
        QTemporaryDir dir;
        if (r.act == Act::Type)
            QTest::keyClicks(box, r.arg);
        if (r.act == Act::Key)
            QTest::keySequence(box, QKeySequence(r.arg));
        if (r.act == Act::Paste) {
            f.t->clipboard.setText(r.arg);
            f.form->mnueditpaste->trigger();
        }
        if (r.act == Act::Open) {
            f.form->Saved = true;
            f.open(f.write(dir.filePath(QStringLiteral("new.txt")), r.arg.toUtf8()));
        }
        QTRY_COMPARE(log.join(QStringLiteral(" | ")), r.reports);
    }

    // The README's promise: each window and each control a screen reader stops at has a name to say (a word, not a
    // symbol such as the calculator's "+"); the editing area is editable text, named by its window.
    void everyControlHasItsName()
    {
        WindowRegistry &w = f.t->windows;
        const std::function<QWidget *()> windows[] = {[&]() -> QWidget * { return f.form; },
                                                      [&] { return w.showFind(); }, [&] { return w.showReplace(); },
                                                      [&] { return w.showCalc(); }, [&] { return w.showAbout(); }};
        const QList<QAccessible::Role> stops{QAccessible::Window, QAccessible::Button, QAccessible::CheckBox,
                                             QAccessible::EditableText};
        const QRegularExpression word(QStringLiteral("\\w"));
        int named = 0;
        for (const auto &show : windows) {
            QWidget *window = show();
            const QList<QWidget *> controls = window->findChildren<QWidget *>() << window;
            for (QWidget *c : controls) {
                QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(c);
                if (c == f.form->Text1 || !c->isVisibleTo(window) || !stops.contains(iface->role()))
                    continue;
                QVERIFY2(iface->text(QAccessible::Name).contains(word), qPrintable(c->objectName()));
                ++named;
            }
        }
        QAccessibleInterface *text1 = QAccessible::queryAccessibleInterface(f.form->Text1);
        QCOMPARE(std::tuple(named, text1->role(), text1->text(QAccessible::Name)),
                 std::tuple(33, QAccessible::EditableText, QStringLiteral("Text")));
        // Find's label that another covers whole is never seen, so it is not read.
        QVERIFY(QAccessible::queryAccessibleInterface(w.showFind()->findChild<QWidget *>("Label3"))->state().invisible);
    }
};

ZENDRAL_TEST_MAIN(TestAccessible)
#include "tst_accessible.moc"
