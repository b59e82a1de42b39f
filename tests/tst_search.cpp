// SPDX-License-Identifier: GPL-3.0-or-later
// The Find and Replace windows as built and at work on the editor.
#include "platform/Colors.h"
#include "search/FindDialog.h"
#include "search/ReplaceDialog.h"
#include "search/SearchDefs.h"
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

using Sel = std::pair<qint64, qint64>;

static QString u(const char *utf8) { return QString::fromUtf8(utf8); }
enum Mode { Find, Exact, Replace };   // Find and its case choice, or Replace
// Null texts: not typed; `sel` and `after`: the editor at the end, `after` null if unchanged.
struct Press {
    Mode mode; QByteArray doc; const char *what, *with; int presses; Sel sel; QByteArray after;
    QString message;                  // shown by the last press
    const char *enterIn = nullptr;    // the box that gets Enter, not a click (Enter on a button: e2e_x11.sh)
    Qt::KeyboardModifiers firstEnter = {};   // held with the first Enter
};
// Typed into a box: the caret after the text.
static void type(QPlainTextEdit *box, const QString &text)
{
    box->setPlainText(text);
    box->moveCursor(QTextCursor::End);
}

class TestSearch : public QObject
{
    Q_OBJECT
    EditorFixture f;
    QWidget *open(bool isFind, const QByteArray &doc = {})   // Find or Replace over an editor holding `doc`, active
    {
        if (!f.t && !f.start())
            return nullptr;
        f.form->Text1->setLineEnd(doc.contains("\r\n") ? LineEnd::CrLf : LineEnd::Lf);
        f.form->Text1->loadBytes(doc);
        f.form->Saved = true;
        QWidget *w = isFind ? static_cast<QWidget *>(f.t->windows.showFind()) : f.t->windows.showReplace();
        return QTest::qWaitForWindowActive(w) ? w : nullptr;
    }

private Q_SLOTS:
    void cleanup() { f.finish(); f.t.reset(); }   // fresh services even after a failure

    void windows()
    {
        // Esc, or Enter on the focused cancel button, unloads a window: the next one is built afresh.
        for (auto [isFind, key] : {std::pair(true, Qt::Key_Escape), {true, Qt::Key_Enter}, {false, Qt::Key_Escape},
                                   {false, Qt::Key_Return}}) {
            QPointer<QWidget> w = open(isFind);
            QVERIFY(w);
            QVERIFY(isFind || w->findChild<QPlainTextEdit *>(u("Text1"))->toPlainText().isEmpty());   // opens empty
            for (QPlainTextEdit *box : w->findChildren<QPlainTextEdit *>())
                type(box, u("typed"));
            QWidget *target = key == Qt::Key_Escape ? w->focusWidget()
                                                    : w->findChild<QWidget *>(u(isFind ? "Command2" : "Command3"));
            target->setFocus();
            QTest::keyClick(target, key);
            QTRY_VERIFY(!w);
        }
        // Both outlive the editor: a press then shows the message instead of crashing. A button of Replace turns light
        // blue under the pointer; a label or a box changes nothing; the bare surface resets both.
        QWidget *find = open(true), *replace = open(false);
        QVERIFY(find && replace);
        f.form->close();
        QTRY_VERIFY(!f.t->windows.form1());
        auto *r = static_cast<ReplaceDialog *>(replace);
        const QMap<quint32, char> states{{ole::LightBlue, 'B'}, {ole::ButtonFace, '-'}};
        auto state = [&](QWidget *b) { return states.value(def::backColor(b), '?'); };
        for (const auto &[w, blue] : {std::pair<QWidget *, const char *>{r->Command1, "B-"}, {r->Label1, "B-"},
                                      {r->Text1, "B-"}, {r->Text2, "B-"}, {r->Command3, "BB"}, {r, "--"},
                                      {r->Command3, "-B"}}) {
            QTest::mouseMove(w, QPoint(4, 4));
            QCOMPARE(QByteArray() + state(r->Command1) + state(r->Command3), QByteArray(blue));
        }
        type(r->Text1, u("abc"));
        for (QWidget *w : {find, replace}) {
            f.t->dialogs.answer(MsgAnswer::Ok);
            w->findChild<QPushButton *>(u("Command1"))->click();
        }
        QCOMPARE(f.t->dialogs.messages(), QStringList({searchtext::notFound(), searchtext::cannotFind("abc")}));
    }

    void press_data()
    {
        QTest::addColumn<Press>("c");
        const QByteArray far(70000, 'x');
        const auto row = [](const char *tag, const Press &p) { QTest::newRow(tag) << p; };
        // A text this big is searched as long work (the search's being dropped there went unseen).
        row("find past 16 MB", {Exact, QByteArray("x\n").repeated(8 << 20) + "hit", "hit", nullptr, 1, {16 << 20, 3}});
        row("find case-blind, Shift+Enter, a break",
            {Find, "xABC\r\n abc", "abc", nullptr, 2, {1, 5}, {}, "", "Text1", Qt::ShiftModifier});
        row("replace U+2028 as itself", {Replace, "a\nb\u2028c", "B\u2028", "\u2028\n", 1, {4, 0}, "a\n\u2028\nc"});
        row("replace long s past 65535", {Replace, far + "😀Maſs!", "MASS", "😀", 1, {70004, 0}, far + "😀😀!"});
        row("replace empty text", {Replace, "abc", "", "x", 1, {1, 0}, {}, searchtext::nothingToReplace()});
        row("replace Enter in Text1, then a break", {Replace, "a\na\nb", "a", "1", 2, {3, 0}, "1\n1b", "", "Text1"});
        row("replace Shift+Enter in Text2, then a break",
            {Replace, "aab\r\n", "a", "1", 2, {4, 0}, "11\r\nb\r\n", "", "Text2", Qt::ShiftModifier});
    }

    void press()
    {
        QFETCH(Press, c);
        QWidget *w = open(c.mode != Replace, c.doc);
        QVERIFY(w);
        auto box = [w](const char *name) { return w->findChild<QPlainTextEdit *>(u(name)); };
        auto *command1 = w->findChild<QPushButton *>(u("Command1"));
        QPlainTextEdit *text1 = box("Text1"), *keyBox = c.enterIn ? box(c.enterIn) : nullptr;
        for (const auto &[name, text] : {std::pair("Text1", c.what), {"Text2", c.mode == Replace ? c.with : nullptr}})
            if (text)
                type(box(name), u(text));
        if (auto *check = w->findChild<QCheckBox *>())
            check->setCheckState(c.mode == Exact ? Qt::Checked : Qt::Unchecked);
        TextBox *editor = f.form->Text1;
        editor->lower();
        if (!c.message.isEmpty())   // only the last press fails
            f.t->dialogs.answer(MsgAnswer::Ok);
        for (int press = 1; press <= c.presses; ++press) {   // each starts from the top, wherever the caret is
            editor->setSelStart(qMin<qint64>(1, c.doc.size()));
            command1->setFocus();
            const bool fails = press == c.presses && !c.message.isEmpty();
            if (keyBox)   // the main key, then the keypad's
                QTest::keyClick(keyBox, press % 2 ? Qt::Key_Return : Qt::Key_Enter,
                                press == 1 ? c.firstEnter : Qt::NoModifier);
            else
                command1->click();
            QTRY_COMPARE(QApplication::focusWidget(), fails ? text1 : static_cast<QWidget *>(editor));
        }
        // Saved: a change that Exit would not ask about could be lost.
        QCOMPARE(std::tuple(f.t->dialogs.messages(), Sel(editor->SelStart(), editor->SelLength()),
                            editor->bytes().toByteArray(), f.form->Saved),
                 std::tuple(c.message.isEmpty() ? QStringList() : QStringList{c.message}, c.sel,
                            c.after.isNull() ? c.doc : c.after, c.after.isNull()));
        if (keyBox)   // the key ran the command with the texts as they were, then broke the line in its barless box
            QCOMPARE(std::pair(keyBox->toPlainText(), keyBox->verticalScrollBar()->isVisible()),
                     std::pair(u(keyBox == text1 ? c.what : c.with) + QString(c.presses, u'\n'), false));
        // A hit brings the editing area to the front; back in Find after a hit, its whole text is selected.
        QCOMPARE(editor->parentWidget()->children().last() == editor, c.presses > 1 || c.message.isEmpty());
        w->activateWindow();
        const bool whole = c.mode != Replace && c.message.isEmpty();
        QTRY_COMPARE(text1->textCursor().selectedText().size(), whole ? text1->toPlainText().size() : 0);
    }
};

ZENDRAL_TEST_MAIN(TestSearch)
#include "tst_search.moc"
