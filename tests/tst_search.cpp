// The search on its own, then the Find and Replace windows as built and at work on the editor.
#include "platform/Colors.h"
#include "search/FindDialog.h"
#include "search/ReplaceDialog.h"
#include "search/SearchDefs.h"
#include "search/TextSearch.h"
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using textsearch::Compare;
using Sel = std::pair<qint64, qint64>;

namespace {
QString u(const char *utf8) { return QString::fromUtf8(utf8); }
enum Mode { Find, Exact, Grayed, Replace };   // Find and its case choice, or Replace
struct Press {
    Mode mode = Find;
    QByteArray doc;
    const char *what = nullptr, *with = nullptr;   // null: the box's initial text
    int presses = 1;
    Sel sel;                         // the editor's selection at the end
    QByteArray after;                // null: the document is unchanged
    const char *message = "", *enterIn = nullptr;   // shown by the last press; the box that gets Enter, not a click
};
constexpr const char *NotFound = "Sorry Friend,String Not Found";
// Typing over a box's text leaves the caret after it, nothing selected.
void type(QPlainTextEdit *box, const QString &text) { box->setPlainText(text); box->moveCursor(QTextCursor::End); }
}

class TestSearch : public QObject
{
    Q_OBJECT
    EditorFixture f;
    // Find or Replace over an editor holding `doc` (its line ends as the text has them), active.
    QWidget *open(bool isFind, const QByteArray &doc = {})
    {
        if (!f.t && !f.start())
            return nullptr;
        using enum TextBox::LineEnd;
        f.form->Text1->setLineEnd(doc.contains("\r\n") ? CrLf : doc.contains('\r') ? Cr : Lf);
        f.form->Text1->loadBytes(doc);
        f.form->Saved = true;
        QWidget *w = isFind ? static_cast<QWidget *>(f.t->windows.showFind()) : f.t->windows.showReplace();
        return QTest::qWaitForWindowActive(w) ? w : nullptr;
    }
    QByteArray document() const { return f.form->Text1->bytes().toByteArray(); }
    Sel selection() const { return {f.form->Text1->SelStart(), f.form->Text1->SelLength()}; }

private Q_SLOTS:
    void cleanup() { f.finish(); f.t.reset(); }   // fresh services even after a failure

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("caseBlind");   // 1-based hit, 0: none
        QTest::addColumn<int>("exact");
        const QString pair = u("😀"), far = u(" needle Needle");
        QTest::newRow("empty text, empty what") << QString() << QString() << 0 << 0;
        QTest::newRow("empty what") << u("abc") << QString() << 1 << 1;
        QTest::newRow("first of several") << u("xAxaxa") << u("a") << 2 << 4;
        QTest::newRow("hit at the end") << u("xxxab") << u("AB") << 4 << 0;
        QTest::newRow("ascii") << u("xABCx abc") << u("abc") << 2 << 7;
        QTest::newRow("latin-1") << u("xÄÖÜx") << u("äöü") << 2 << 0;
        QTest::newRow("long s, shorter in UTF-8") << u("Maſs") << u("ss") << 3 << 0;
        QTest::newRow("kelvin sign, longer in UTF-8") << u("5 K") << u("k") << 3 << 0;
        QTest::newRow("dotted capital I") << u("İ") << u("i") << 1 << 0;
        QTest::newRow("pairs before the hit") << pair + u("a") + pair + u("bB") << u("B") << 6 << 7;
        QTest::newRow("deseret, beyond the BMP") << u("x𐐀") << u("𐐨") << 2 << 0;
        QTest::newRow("beyond 32767") << QString(40000, u'x') + far << u("Needle") << 40002 << 40009;
        QTest::newRow("beyond 65535") << QString(70000, u'x') + far << u("Needle") << 70002 << 70009;
    }

    void search()
    {
        QFETCH(QString, text);
        QFETCH(QString, what);
        QFETCH(int, caseBlind);
        QFETCH(int, exact);
        const QByteArray bytes = text.toUtf8();   // the UTF-8 form agrees, its hit in UTF-16 terms
        auto at = [&bytes](qint64 byte) { return qint64(QString::fromUtf8(bytes.left(byte)).size()); };
        for (const auto &[compare, expected] : {std::pair(Compare::Text, caseBlind), std::pair(Compare::Binary, exact)}) {
            QCOMPARE(textsearch::InStr(text, what, compare), expected);
            const textsearch::Match m = textsearch::findUtf8(bytes, what.toUtf8(), compare);
            QCOMPARE(m.found() ? Sel(at(m.start) + 1, at(m.end) - at(m.start)) : Sel(0, 0), Sel(expected, expected ? what.size() : 0));
        }
    }

    void everySimpleCaseMappingMatches()
    {
        for (char32_t c = 0; c <= char32_t(QChar::LastValidCodePoint); ++c)
            for (char32_t m : {QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c), QChar::toCaseFolded(c)})
                QVERIFY2(textsearch::caseKey(m) == textsearch::caseKey(c), qPrintable(QString::number(c, 16)));
    }

    void windows_data()
    {
        QTest::addColumn<bool>("isFind");
        QTest::addColumn<QString>("captions");   // title, then the controls in order of creation
        QTest::newRow("find") << true << u("Find|Case Sensitive|Cancel|&Find| |Find Text:| |Find What?");
        QTest::newRow("replace") << false << u("Form2|&Cancel |&Replace| ||Replace With..|Replace What?");
    }

    void windows()
    {
        QFETCH(bool, isFind);
        QFETCH(QString, captions);
        const def::Form &d = isFind ? findDefinition() : replaceDefinition();
        const QSize size(def::px(d.clientWidth), def::px(d.clientHeight));
        for (int round = 0; round < 2; ++round) {   // Esc unloads the window: the next one is built afresh
            QPointer<QWidget> w = open(isFind);
            QVERIFY(w);
            QCOMPARE(w->size(), size);
            w->resize(size / 2);   // dragging the frame moves no control; the Find window's frame is fixed
            QTRY_COMPARE(w->size(), isFind ? size : size / 2);
            QStringList seen{w->windowTitle()};
            for (const def::Control &c : d.controls) {
                auto *child = w->findChild<QWidget *>(QString::fromLatin1(c.name));
                QVERIFY2(child && child->parentWidget() == w, c.name);
                QCOMPARE(child->geometry(), QRect(def::px(c.left), def::px(c.top), def::px(c.width), def::px(c.height)));
                seen << child->property(qobject_cast<QPlainTextEdit *>(child) ? "plainText" : "text").toString();
            }
            QCOMPARE(seen.join(u'|'), captions);
            if (auto *find = qobject_cast<FindDialog *>(w))   // the band Label2 hides "Find Text:", not "Find What?"
                QVERIFY(find->Label3->visibleRegion().isEmpty() && !find->Label1->visibleRegion().isEmpty());
            for (QPlainTextEdit *box : w->findChildren<QPlainTextEdit *>())
                type(box, u("typed"));
            QTest::keyClick(w->focusWidget(), Qt::Key_Escape);
            QTRY_VERIFY(!w);
        }
    }

    void press_data()
    {
        QTest::addColumn<Press>("c");
        const QByteArray far(70000, 'x');
        QTest::newRow("find case-blind") << Press{Find, "xABCx", "abc", "", 1, {1, 3}};
        QTest::newRow("find grayed is case-blind") << Press{Grayed, "xABCx", "abc", "", 1, {1, 3}};
        QTest::newRow("find exact misses") << Press{Exact, "xABCx", "abc", "", 1, {1, 0}, {}, NotFound};
        QTest::newRow("find the first, every press") << Press{Find, "one two one", "ONE", "", 2, {0, 3}};
        QTest::newRow("find empty text") << Press{Find, "abc", "", "", 1, {0, 0}};
        QTest::newRow("find in empty document") << Press{Find, "", "", "", 1, {0, 0}, {}, NotFound};
        QTest::newRow("find one blank when fresh") << Press{Find, "ab cd", nullptr, "", 1, {2, 1}};
        QTest::newRow("find after surrogate pairs") << Press{Find, "😀😀ab", "😀A", "", 1, {2, 3}};
        QTest::newRow("find after invalid bytes") << Press{Find, "\xff\xfe\xc3(abc", "ABC", "", 1, {4, 3}};
        QTest::newRow("find no-break space") << Press{Exact, "a\u00a0b a b", "a\u00a0b", "", 1, {0, 3}};
        QTest::newRow("find line break as CR LF") << Press{Find, "xx one\r\ntwo", "ONE\ntwo", "", 1, {3, 8}};
        QTest::newRow("find Enter, then a break") << Press{Find, "abc xabc\r\n", "abc", "", 2, {5, 5}, {}, "", "Text1"};
        QTest::newRow("replace case-blind") << Press{Replace, "xABCx", "abc", "Q", 1, {2, 0}, "xQx"};
        QTest::newRow("replace three, then message") << Press{Replace, "cat, Cat and CAT", "cat", "dog", 4, {1, 0}, "dog, dog and dog", "Cannot Find cat"};
        QTest::newRow("replace a by aa grows") << Press{Replace, "xa ya", "a", "aa", 3, {3, 0}, "xaaaa ya"};
        QTest::newRow("replace by nothing deletes") << Press{Replace, "one two", "one ", "", 1, {0, 0}, "two"};
        QTest::newRow("replace by one blank when fresh") << Press{Replace, "a-b", "-", nullptr, 1, {2, 0}, "a b"};
        QTest::newRow("replace long s by sharp s") << Press{Replace, "Maſs", "SS", "ß", 1, {3, 0}, "Maß"};
        QTest::newRow("replace after surrogate pairs") << Press{Replace, "😀😀ab", "B", "😀", 1, {7, 0}, "😀😀a😀"};
        QTest::newRow("replace beyond 65535") << Press{Replace, far + "Needle!", "needle", "pin", 1, {70003, 0}, far + "pin!"};
        QTest::newRow("replace line breaks as CR LF") << Press{Replace, "one\r\ntwo", "E\nT", "X\nY", 1, {6, 0}, "onX\r\nYwo"};
        QTest::newRow("replace empty text") << Press{Replace, "abc", "", "x", 1, {1, 0}, {}, "Please Enter Text To Find And Replace"};
        QTest::newRow("replace Enter in Text1, then a break") << Press{Replace, "a\na\nb", "a", "1", 2, {3, 0}, "1\n1b", "", "Text1"};
        QTest::newRow("replace Enter in Text2, then a break") << Press{Replace, "aab", "a", "1", 2, {3, 0}, "11\nb", "", "Text2"};
    }

    void press()
    {
        QFETCH(Press, c);
        QWidget *w = open(c.mode != Replace, c.doc);
        QVERIFY(w);
        auto *box = w->findChild<QPlainTextEdit *>(u("Text1"));
        auto *command1 = w->findChild<QPushButton *>(u("Command1"));
        auto *keyBox = c.enterIn ? w->findChild<QPlainTextEdit *>(u(c.enterIn)) : nullptr;
        if (c.what)
            type(box, u(c.what));
        if (auto *replace = qobject_cast<ReplaceDialog *>(w); replace && c.with)
            type(replace->Text2, u(c.with));
        if (auto *find = qobject_cast<FindDialog *>(w))
            find->Check1->setCheckState(c.mode == Exact ? Qt::Checked : c.mode == Grayed ? Qt::PartiallyChecked : Qt::Unchecked);
        const QString typed = keyBox ? keyBox->toPlainText() : QString();
        f.form->Text1->lower();
        for (int press = 1; press <= c.presses; ++press) {   // each starts from the top, wherever the caret is
            f.form->Text1->setSelStart(qMin<qint64>(1, c.doc.size()));
            command1->setFocus();
            const bool fails = press == c.presses && *c.message;
            if (fails)
                f.t->dialogs.answer(MsgAnswer::Ok);
            if (keyBox)   // the main key, then the keypad's
                QTest::keyClick(keyBox, press % 2 ? Qt::Key_Return : Qt::Key_Enter);
            else
                command1->click();
            QTRY_COMPARE(QApplication::focusWidget(), fails ? box : static_cast<QWidget *>(f.form->Text1));
        }
        QCOMPARE(f.t->dialogs.messages(), *c.message ? QStringList{u(c.message)} : QStringList());
        QCOMPARE(selection(), c.sel);
        QCOMPARE(document(), c.after.isNull() ? c.doc : c.after);
        QCOMPARE(f.form->Saved, c.after.isNull());   // a change that Exit would not ask about could be lost
        if (keyBox)   // the key ran the command with the texts as they were, then broke the line in its box
            QCOMPARE(keyBox->toPlainText(), typed + QString(c.presses, u'\n'));
        if (!*c.message) {   // the editing area came to the front; back in Find, its whole text is selected
            QCOMPARE(f.form->Text1->parentWidget()->children().last(), f.form->Text1);
            w->activateWindow();
            QTRY_COMPARE(box->textCursor().selectedText().size(), c.mode == Replace ? 0 : box->toPlainText().size());
        }
    }

    void hoverColours()
    {
        f.t = std::make_unique<TestServices>();   // no editor: the pointer's moves go to the first window under it
        ReplaceDialog *r = f.t->windows.showReplace();
        QVERIFY(QTest::qWaitForWindowActive(r));
        auto colours = [r] { return std::pair(def::backColor(r->Command1), def::backColor(r->Command3)); };
        QCOMPARE(colours(), std::pair(ole::ButtonFace, ole::ButtonFace));
        // A button turns light blue under the pointer; a label or a box changes nothing; the bare surface resets both.
        for (QWidget *w : QWidgetList{r->Command1, r->Label1, r->Text1, r->Text2})
            QTest::mouseMove(w, QPoint(5, 5));
        QCOMPARE(colours(), std::pair(ole::LightBlue, ole::ButtonFace));
        QTest::mouseMove(r->Command3);
        QCOMPARE(colours(), std::pair(ole::LightBlue, ole::LightBlue));
        QCOMPARE(r->Command3->palette().color(QPalette::Button), QColor(0xC0, 0xC0, 0xFF));
        QTest::mouseMove(r, QPoint(def::px(60), def::px(60)));
        QCOMPARE(colours(), std::pair(ole::ButtonFace, ole::ButtonFace));
    }

    void closedEditorLeavesTheMessages()
    {
        // Both windows outlive the editor: a press shows the message instead of crashing.
        auto *find = static_cast<FindDialog *>(open(true));
        auto *replace = static_cast<ReplaceDialog *>(open(false));
        QVERIFY(find && replace);
        f.form->close();
        QTRY_VERIFY(!f.t->windows.form1());
        type(replace->Text1, u("abc"));
        f.t->dialogs.answer(MsgAnswer::Ok);
        f.t->dialogs.answer(MsgAnswer::Ok);
        find->Command1->click();
        QTest::keyClick(replace->Text2, Qt::Key_Return);
        QCOMPARE(f.t->dialogs.messages(), QStringList({u(NotFound), u("Cannot Find abc")}));
    }
};

ZENDRAL_TEST_MAIN(TestSearch)
#include "tst_search.moc"
