// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include <QClipboard>
#include <QColorDialog>
#include <QFontDialog>
#include <QImage>
#include <QMenu>
#include <cmath>

using Command = void (Form1::*)();
const Command cut = &Form1::mnueditcut_Click, copy = &Form1::mnueditcopy_Click, paste = &Form1::mnueditpaste_Click;
// `cmd` run on `text` with a selection, directly or through `key` (null cmd: the box's own key).
struct Edit { Command cmd; FakeClipboard::Holds holds; QString text; int start, length;
              QString outText; int caret, selLength; QKeyCombination key = {}; };
struct Paint { Command cmd; quint32 fore, back; qint64 chosen;
               quint32 outFore, outBack; };   // colours set first; chosen < 0: cancel
// The text area's menu opened on `text` with a selection, and its `items` chosen in turn: what each opening enabled.
struct Popup { QString text; int length; FakeClipboard::Holds holds; QStringList items, enabled; QString out, clip; };
Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(Popup)
Q_DECLARE_METATYPE(Paint)

class TestEditCommands : public QObject
{
    Q_OBJECT
    EditorFixture f;

    static FontChoice fontOf(const TextBox *b)
    {
        return {b->FontName(), b->FontSize(), b->FontBold(), b->FontItalic(), b->FontStrikethru(), b->FontUnderline()};
    }

    // "XY" on the clipboard as `holds` says, a saved `text` with a selection.
    void setUp(FakeClipboard::Holds holds, const QString &text, int start, int length)
    {
        f.t->clipboard.content = QStringLiteral("XY");
        f.t->clipboard.hold(holds);
        f.form->Text1->setText(text);
        f.form->Text1->setSelStart(start);
        f.form->Text1->setSelLength(length);
        f.form->Saved = true;
    }

private Q_SLOTS:
    // The system clipboard holds what the box's own bindings would use.
    void init() { QVERIFY(f.start()); QGuiApplication::clipboard()->setText(QStringLiteral("system")); }
    void cleanup() { f.finish(); }

    void editCommands_data()
    {
        QTest::addColumn<Edit>("e");
        using enum FakeClipboard::Holds;
        const std::pair<const char *, FakeClipboard::Holds> holds[] = {
            {"empty", Nothing}, {"image only", ImageOnly}, {"unreadable", Unreadable}};
        for (auto [name, h] : holds) {   // Cut (and so Copy) whatever it holds; Paste needs readable text
            QTest::addRow("cut, clipboard %s", name) << Edit{cut, h, "abcd", 1, 2, "ad", 1, 0};
            QTest::addRow("paste, clipboard %s", name) << Edit{paste, h, "abcd", 1, 2, "abcd", 1, 2};
        }
        // With text on the clipboard too. The menu's keys run the commands; the box's own bindings (system clipboard)
        // never do.
        QTest::newRow("Shift+Del, non-BMP and CR LF")
            << Edit{cut, Text, "a\U0001F600\r\nb", 1, 4, "ab", 1, 0, Qt::SHIFT | Qt::Key_Delete};
        QTest::newRow("Ctrl+V over a selection") << Edit{paste, Text, "abcd", 1, 2, "aXYd", 3, 0, Qt::CTRL | Qt::Key_V};
        QTest::newRow("Shift+Ins at the caret, after non-BMP")
            << Edit{paste, Text, "a\U0001F600b", 3, 0, "a\U0001F600XYb", 5, 0, Qt::SHIFT | Qt::Key_Insert};
        QTest::newRow("Ctrl+Ins, clipboard empty")
            << Edit{copy, Nothing, "abcd", 1, 2, "abcd", 1, 2, Qt::CTRL | Qt::Key_Insert};
        // An edit by the box's keys makes the text unsaved, a key changing nothing not; an emptied new one is saved.
        QTest::newRow("Backspace") << Edit{nullptr, Nothing, "abcd", 3, 0, "abd", 2, 0, Qt::Key_Backspace};
        QTest::newRow("Ctrl+Z") << Edit{nullptr, Nothing, "abcd", 0, 0, "", 0, 0, Qt::CTRL | Qt::Key_Z};
        QTest::newRow("unbound Ctrl+Q") << Edit{nullptr, Nothing, "abcd", 1, 0, "abcd", 1, 0, Qt::CTRL | Qt::Key_Q};
    }
    void editCommands()
    {
        QFETCH(Edit, e);
        setUp(e.holds, e.text, e.start, e.length);
        const bool pressed = e.key.key() != Qt::Key_unknown, copies = (e.cmd == cut || e.cmd == copy) && e.length;
        const bool invalid = !pressed && e.cmd == paste && !f.t->clipboard.hasText();
        if (invalid)
            f.t->dialogs.answer(MsgAnswer::Ok);
        f.form->Timer1_Timer();   // the menu state as the timer leaves it
        pressed ? QTest::keyClick(f.form->Text1, e.key.key(), e.key.keyboardModifiers()) : (f.form->*e.cmd)();
        const TextBox *box = f.form->Text1;
        const bool saved = e.text == e.outText || e.outText.isEmpty();
        QCOMPARE(std::tuple(box->Text(), box->SelStart(), box->SelLength(), f.form->Saved, f.t->clipboard.content),
                 std::tuple(e.outText, e.caret, e.selLength, saved,
                            copies ? e.text.mid(e.start, e.length) : QStringLiteral("XY")));
        // Paste is enabled exactly while the clipboard holds text, whatever the document holds.
        const bool holdsText = copies || e.holds == FakeClipboard::Holds::Text
                               || e.holds == FakeClipboard::Holds::Unreadable;
        QCOMPARE(std::tuple(QGuiApplication::clipboard()->text(), f.t->dialogs.messages(),
                            f.form->mnueditpaste->isEnabled()),
                 std::tuple(QStringLiteral("system"), invalid ? QStringList{form1text::invalidFormat()} : QStringList{},
                            holdsText));
    }

    void textMenu_data()
    {
        QTest::addColumn<Popup>("p");
        using enum FakeClipboard::Holds;
        const QString all = "undo cut copy paste delete all", sel = "undo cut copy delete all", none = "undo paste all";
        QTest::newRow("cut, undo, redo")
            << Popup{"abcd", 2, Nothing, {"cut", "undo", "redo"}, {sel, none, "undo redo paste all"}, "ad", "bc"};
        QTest::newRow("delete, paste, select all")
            << Popup{"abcd", 1, Text, {"delete", "paste", "all", ""}, {all, none, none, all}, "aXYcd", "XY"};
    }
    // Opened by the mouse, then by Shift+F10, on a selection from 1.
    void textMenu()
    {
        QFETCH(Popup, p);
        setUp(p.holds, p.text, 1, p.length);
        auto *menu = f.form->findChild<QMenu *>(QStringLiteral("textMenu"));
        QStringList enabled;
        for (const QString &chosen : p.items) {
            QContextMenuEvent request(QContextMenuEvent::Mouse, {5, 5}, {5, 5});
            enabled.isEmpty() ? void(QApplication::sendEvent(f.form->Text1->viewport(), &request))
                              : QTest::keyClick(f.form->Text1, Qt::Key_F10, Qt::ShiftModifier);
            QTRY_VERIFY(menu->isVisible());
            QStringList on;
            for (QAction *a : menu->actions())
                on << (a->isEnabled() && !a->isSeparator() ? a->objectName().mid(4) : QString());
            enabled << on.join(u' ').simplified();
            if (QAction *a = menu->findChild<QAction *>("text" + chosen))
                a->trigger();
            menu->close();
        }
        // Its changes mark the text unsaved, as any edit does; Copy and Cut leave the system clipboard alone.
        QCOMPARE(std::tuple(enabled, f.form->Text1->Text(), f.t->clipboard.content, f.form->Saved,
                            QGuiApplication::clipboard()->text()),
                 std::tuple(p.enabled, p.out, p.clip, p.out == p.text, QStringLiteral("system")));
    }

    // The choice replaces the whole font; the next dialog starts from it, not from the box; cancel changes nothing.
    void font()
    {
        const FontChoice first{"Arial", 14, true, false, true, true};
        f.form->Text1->setFontItalic(true);
        f.t->dialogs.chooseFont(first);
        f.t->dialogs.cancelFont();
        f.form->mnueditfont_Click();
        f.form->Text1->setFontSize(30);
        f.form->mnueditfont_Click();
        const QList<ScriptedDialogs::Shown> shown = f.t->dialogs.shown();
        QCOMPARE(std::tuple(fontOf(f.form->Text1), shown[0].font, shown[1].font, shown[1].flags),
                 std::tuple(FontChoice{"Arial", 30, true, false, true, true}, FontChoice{shown[0].font.name}, first,
                            259));
    }

    void copyOfABigSelection()
    {
        // Tens of megabytes are converted for the clipboard as long work: every character arrives.
        f.form->Text1->loadBytes(QByteArray("abcdefg\n").repeated(2 << 20));
        f.form->mnueditall_Click();
        f.form->mnueditcopy_Click();
        QCOMPARE(f.t->clipboard.content.size(), 16 << 20);
    }

    // The chosen colour, or both kept when cancelled; the caret shows whatever the two colours.
    void color_data()
    {
        QTest::addColumn<Paint>("p");
        const Command back = &Form1::mnutoolbcolor_Click, fore = &Form1::mnutooltcolor_Click;
        QTest::newRow("Text Color, cancelled") << Paint{fore, 0x00FF00, 0xFF0000, -1, 0x00FF00, 0xFF0000};
        QTest::newRow("white on white") << Paint{back, 0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
        QTest::newRow("nearly the same blue text") << Paint{fore, 0, 0xFF0000, 0xF01010, 0xF01010, 0xFF0000};
    }
    void color()
    {
        QFETCH(Paint, p);
        f.form->Text1->setForeColor(p.fore);
        f.form->Text1->setBackColor(p.back);
        p.chosen < 0 ? f.t->dialogs.cancelColor() : f.t->dialogs.chooseColor(quint32(p.chosen));
        (f.form->*p.cmd)();
        QCOMPARE(std::tuple(f.t->dialogs.shown().constFirst().flags, f.form->Text1->ForeColor(),
                            f.form->Text1->BackColor(), f.form->Saved), std::tuple(58, p.outFore, p.outBack, true));
        const QColor caret = QRgb(f.form->Text1->SendScintilla(QsciScintillaBase::SCI_GETCARETFORE)),
                     bg = QRgb(p.outBack);
        QVERIFY(std::hypot(caret.red() - bg.red(), caret.green() - bg.green(), caret.blue() - bg.blue()) >= 96);
    }

    // The real Qt backends: awkward text both ways, an image only, a font from 12 pt, pure blue.
    void realBackends()
    {
        QtClipboard clipboard;
        QtDialogs qt;
        Services services{f.t->dialogs, qt, clipboard, f.t->lockKeys, f.t->registry, f.t->launcher, f.t->memory};
        Form1 form(services, f.t->windows);
        const QString text = QStringLiteral("\r\na") + QChar(0) + QStringLiteral("b\r\nc\U0001F600d") + QChar(0);
        form.Text1->setText(text);
        form.mnueditall_Click();
        form.mnueditcut_Click();
        form.mnueditpaste_Click();
        QCOMPARE(std::tuple(QGuiApplication::clipboard()->text(), form.Text1->bytes().toByteArray(),
                            form.mnueditpaste->isEnabled()), std::tuple(text, text.toUtf8(), true));
        QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
        QVERIFY(!form.mnueditpaste->isEnabled());
        f.t->dialogs.answer(MsgAnswer::Ok);
        form.mnueditpaste_Click();

        QFont chosen(QStringLiteral("DejaVu Sans"), 14, QFont::Bold), start;   // a sans family with a bold face
        chosen.setUnderline(true);
        testsupport::whenModal<QFontDialog>([&](QFontDialog *d) {
            start = d->currentFont();
            d->setCurrentFont(chosen);
            d->accept();
        });
        testsupport::allowModalDialogs(true);
        form.mnueditfont_Click();
        testsupport::whenModal<QColorDialog>([](QColorDialog *d) { d->setCurrentColor(Qt::blue); d->accept(); });
        form.mnutoolbcolor_Click();
        testsupport::allowModalDialogs(false);
        QCOMPARE(std::tuple(f.t->dialogs.messages(), start.pointSizeF(), fontOf(form.Text1), form.Text1->BackColor()),
                 std::tuple(QStringList{form1text::invalidFormat()}, 12.0,
                            FontChoice{"DejaVu Sans", 14, true, false, false, true}, 0x00FF0000u));
    }
};

ZENDRAL_TEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
