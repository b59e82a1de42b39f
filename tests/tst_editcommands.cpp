// Edit, font and colour commands of the main window, their keys, and the real Qt backends.
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include <QClipboard>
#include <QColorDialog>
#include <QFontDialog>
#include <QImage>
#include <cmath>

using Holds = FakeClipboard::Holds;
using Command = void (Form1::*)();
const Command cut = &Form1::mnueditcut_Click, copy = &Form1::mnueditcopy_Click, paste = &Form1::mnueditpaste_Click;
// `cmd` run on `text` with a selection, directly or through `key` (null cmd: the key is disabled).
struct Edit { Command cmd; Holds holds; QString text; int start, length; QString outText; int caret, selLength; QKeyCombination key = {}; };
struct Paint { Command cmd; quint32 fore, back; qint64 chosen; };   // colours set first; chosen < 0: cancel
Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(Paint)

class TestEditCommands : public QObject
{
    Q_OBJECT
    EditorFixture f;

    static FontChoice fontOf(const TextBox *b)
    {
        return {b->FontName(), b->FontSize(), b->FontBold(), b->FontItalic(), b->FontStrikethru(), b->FontUnderline()};
    }

private Q_SLOTS:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.finish(); }

    void editCommands_data()
    {
        QTest::addColumn<Edit>("e");
        using enum FakeClipboard::Holds;
        const std::pair<const char *, Holds> holds[] = {{"empty", Nothing}, {"image only", ImageOnly}, {"text", Text}, {"unreadable", Unreadable}};
        for (auto [name, h] : holds) {   // Cut and Copy whatever it holds; Paste needs readable text
            QTest::addRow("cut, clipboard %s", name) << Edit{cut, h, "abcd", 1, 2, "ad", 1, 0};
            QTest::addRow("copy, clipboard %s", name) << Edit{copy, h, "abcd", 1, 2, "abcd", 1, 2};
            if (h != Text)
                QTest::addRow("paste, clipboard %s", name) << Edit{paste, h, "abcd", 1, 2, "abcd", 1, 2};
        }
        QTest::newRow("cut, nothing selected") << Edit{cut, Text, "abcd", 2, 0, "abcd", 2, 0};
        QTest::newRow("cut, non-BMP and CR LF") << Edit{cut, Text, "a\U0001F600\r\nb", 1, 4, "ab", 1, 0};
        QTest::newRow("paste over a selection") << Edit{paste, Text, "abcd", 1, 2, "aXYd", 3, 0};
        QTest::newRow("paste at the caret, after non-BMP") << Edit{paste, Text, "a\U0001F600b", 3, 0, "a\U0001F600XYb", 5, 0};
        // The menu's keys run the commands; the box's own bindings (system clipboard) never do.
        QTest::newRow("Ctrl+X") << Edit{cut, Text, "abcd", 1, 2, "ad", 1, 0, Qt::CTRL | Qt::Key_X};
        QTest::newRow("Shift+Del") << Edit{cut, Text, "abcd", 1, 2, "ad", 1, 0, Qt::SHIFT | Qt::Key_Delete};
        QTest::newRow("Ctrl+C") << Edit{copy, Text, "abcd", 1, 2, "abcd", 1, 2, Qt::CTRL | Qt::Key_C};
        QTest::newRow("Ctrl+C, clipboard empty") << Edit{copy, Nothing, "abcd", 1, 2, "abcd", 1, 2, Qt::CTRL | Qt::Key_C};
        QTest::newRow("Ctrl+Ins") << Edit{copy, Text, "abcd", 1, 2, "abcd", 1, 2, Qt::CTRL | Qt::Key_Insert};
        QTest::newRow("Ctrl+V") << Edit{paste, Text, "abcd", 1, 2, "aXYd", 3, 0, Qt::CTRL | Qt::Key_V};
        QTest::newRow("Shift+Ins") << Edit{paste, Text, "abcd", 1, 2, "aXYd", 3, 0, Qt::SHIFT | Qt::Key_Insert};
        QTest::newRow("Ctrl+V, disabled") << Edit{nullptr, Nothing, "", 0, 0, "", 0, 0, Qt::CTRL | Qt::Key_V};
        QTest::newRow("Shift+Ins, disabled") << Edit{nullptr, Nothing, "", 0, 0, "", 0, 0, Qt::SHIFT | Qt::Key_Insert};
        QTest::newRow("Ctrl+A") << Edit{&Form1::mnueditall_Click, Text, "abcd", 1, 2, "abcd", 0, 4, Qt::CTRL | Qt::Key_A};
    }
    void editCommands()
    {
        QFETCH(Edit, e);
        QGuiApplication::clipboard()->setText(QStringLiteral("system"));
        f.t->clipboard.holds = e.holds;
        f.t->clipboard.content = QStringLiteral("XY");
        TextBox *box = f.form->Text1;
        box->setText(e.text);
        box->setSelStart(e.start);
        box->setSelLength(e.length);
        f.form->Saved = true;
        const bool pressed = e.key.key() != Qt::Key_unknown, copies = e.cmd == cut || e.cmd == copy;
        const bool invalid = !pressed && e.cmd == paste && !f.t->clipboard.hasText();
        if (invalid)
            f.t->dialogs.answer(MsgAnswer::Ok);
        f.form->Timer1_Timer();   // the menu state as the timer leaves it
        pressed ? QTest::keyClick(box, e.key.key(), e.key.keyboardModifiers()) : (f.form->*e.cmd)();
        QCOMPARE(f.t->dialogs.messages(), invalid ? QStringList{"Invalid Data Format"} : QStringList{});
        QCOMPARE(box->Text(), e.outText);
        QCOMPARE(box->SelStart(), e.caret);
        QCOMPARE(box->SelLength(), e.selLength);
        QCOMPARE(f.t->clipboard.content, copies ? e.text.mid(e.start, e.length) : QStringLiteral("XY"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("system"));
        QCOMPARE(f.form->Saved, e.text == e.outText);
    }

    // The choice replaces the whole font; the next dialog starts from it, not from the box; cancel changes nothing.
    void font()
    {
        TextBox *box = f.form->Text1;
        const FontChoice first{"Arial", 14, true, false, false, true};
        box->setFontItalic(true);
        f.t->dialogs.chooseFont(first);
        f.t->dialogs.cancelFont();
        f.form->mnueditfont_Click();
        box->setFontSize(30);
        f.form->mnueditfont_Click();
        QCOMPARE(fontOf(box), (FontChoice{"Arial", 30, true, false, false, true}));
        const auto &shown = f.t->dialogs.shown();
        QCOMPARE(shown[0].font, (FontChoice{shown[0].font.name, 12, false, false, false, false}));
        QCOMPARE(shown[1].font, first);
        QCOMPARE(shown[1].flags, 259);
    }

    // The chosen colour, or both kept when cancelled; the caret shows whatever the two colours.
    void color_data()
    {
        QTest::addColumn<Paint>("p");
        const Command back = &Form1::mnutoolbcolor_Click, fore = &Form1::mnutooltcolor_Click;
        QTest::newRow("Back Ground, pure blue") << Paint{back, 0, 0xFFFFFF, 0xFF0000};
        QTest::newRow("Back Ground, cancelled") << Paint{back, 0x00FF00, 0xFF0000, -1};
        QTest::newRow("Text Color, cancelled") << Paint{fore, 0x00FF00, 0xFF0000, -1};
        QTest::newRow("white on white") << Paint{back, 0xFFFFFF, 0, 0xFFFFFF};
        QTest::newRow("black text on black") << Paint{fore, 0xFFFFFF, 0, 0};
        QTest::newRow("nearly the same blue text") << Paint{fore, 0, 0xFF0000, 0xF01010};
    }
    void color()
    {
        QFETCH(Paint, p);
        TextBox *box = f.form->Text1;
        box->setForeColor(p.fore);
        box->setBackColor(p.back);
        p.chosen < 0 ? f.t->dialogs.cancelColor() : f.t->dialogs.chooseColor(quint32(p.chosen));
        (f.form->*p.cmd)();
        const bool toBack = p.cmd == &Form1::mnutoolbcolor_Click, chosen = p.chosen >= 0;
        const quint32 back = toBack && chosen ? quint32(p.chosen) : p.back;
        QCOMPARE(f.t->dialogs.shown().constFirst().flags, 58);
        QCOMPARE(box->BackColor(), back);
        QCOMPARE(box->ForeColor(), !toBack && chosen ? quint32(p.chosen) : p.fore);
        QVERIFY(f.form->Saved);
        const QColor caret = QRgb(box->SendScintilla(QsciScintillaBase::SCI_GETCARETFORE)), bg = QRgb(back);
        QVERIFY(std::hypot(caret.red() - bg.red(), caret.green() - bg.green(), caret.blue() - bg.blue()) >= 96);
    }

    // The real Qt backends: awkward text both ways, an image only, a font from 12 pt, pure blue.
    void realBackends()
    {
        QtClipboard clipboard;
        QtDialogs qt;
        Services services{f.t->dialogs, qt, clipboard, f.t->lockKeys, f.t->registry, f.t->launcher};
        Form1 form(services, f.t->windows);
        const QString text = QStringLiteral("a") + QChar(0) + QStringLiteral("b\r\nc\U0001F600d"), other = "\r\n" + text + QChar(0);
        form.Text1->setText(text);
        form.mnueditall_Click();
        form.mnueditcut_Click();
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
        QGuiApplication::clipboard()->setText(other);   // as another program would
        form.mnueditpaste_Click();
        QCOMPARE(form.Text1->bytes().toByteArray(), other.toUtf8());
        QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
        f.t->dialogs.answer(MsgAnswer::Ok);
        form.mnueditpaste_Click();
        QCOMPARE(f.t->dialogs.messages(), QStringList{"Invalid Data Format"});

        QFont chosen(QStringLiteral("DejaVu Sans"), 14, QFont::Bold), start;   // a sans family with a bold face
        chosen.setUnderline(true);
        testsupport::whenModal<QFontDialog>([&](QFontDialog *d) { start = d->currentFont(); d->setCurrentFont(chosen); d->accept(); });
        testsupport::allowModalDialogs(true);
        form.mnueditfont_Click();
        testsupport::whenModal<QColorDialog>([](QColorDialog *d) { d->setCurrentColor(Qt::blue); d->accept(); });
        form.mnutoolbcolor_Click();
        testsupport::allowModalDialogs(false);
        QCOMPARE(start.pointSizeF(), 12.0);
        QCOMPARE(fontOf(form.Text1), (FontChoice{"DejaVu Sans", 14, true, false, false, true}));
        QCOMPARE(form.Text1->BackColor(), 0x00FF0000u);
    }
};

ZENDRAL_TEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
