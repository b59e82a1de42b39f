// The text box keeps every byte and maps positions exactly as a QString would.
#include "platform/TextBox.h"
#include "support/TestMain.h"
#include <QRandomGenerator>
#include <QScrollBar>

class TestTextBox : public QObject
{
    Q_OBJECT
    TextBox *box = nullptr;

private Q_SLOTS:
    void init()
    {
        box = new TextBox;
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
    }
    void cleanup() { delete box; }

    void editsKeepPositionsAndCharactersWhole();
    void caretStepsOverWholeCharacters();
    void bytesSurviveExactly();
    void selectionInCodeUnits();
    void enterInsertsTheDocumentsLineEnd();
    void keyPressReportsTypedCharacters_data();
    void keyPressReportsTypedCharacters();
    void reservedShortcutsNeverReachTheBox();
    void onlyPlainEditingKeys_data();
    void onlyPlainEditingKeys();
    void viewFollowsTheCaretSideways();
    void loadStartsAFreshDocument();
    void everyChangeIsNotified();
};

namespace {
// UTF-16 units that one Backspace (back) or Delete removes at `pos`: a CR LF
// pair and a surrogate pair go whole.
int unitsDeleted(const QString &text, qsizetype pos, bool back)
{
    const qsizetype at = back ? pos - 2 : pos;
    if (at >= 0 && at + 1 < text.size() && ((text[at] == u'\r' && text[at + 1] == u'\n') || text[at].isHighSurrogate()))
        return back ? (text[pos - 1] == u'\n' || text[pos - 1].isLowSurrogate() ? 2 : 1) : 2;
    return back ? (pos > 0 ? 1 : 0) : (pos < text.size() ? 1 : 0);
}
}

void TestTextBox::editsKeepPositionsAndCharactersWhole()
{
    // Random texts and edits, checked against the same edits on a QString: the
    // buffer stays valid UTF-8 (no character split, noncharacters included) and
    // every UTF-16 position maps as the QString's, across CR LF joins and splits.
    static const char32_t pool[] = {U'a', U' ', U'\r', U'\n', U'\r', U'\n', U'\0', 0xE9, 0x20AC, 0xFEFF, 0x1F600,
                                    0xFFFF, 0xFFFE, 0xFDD0, 0xFDEF, 0x1FFFF, 0x10FFFE};
    QRandomGenerator rng(20261207);
    const auto piece = [&](int most) {
        QString s;
        for (int i = int(rng.bounded(1, most + 1)); i > 0; --i)
            s += QString::fromUcs4(&pool[rng.bounded(int(std::size(pool)))], 1);
        return s;
    };
    const auto boundary = [&](const QString &s) {
        qsizetype i = rng.bounded(int(s.size()) + 1);
        return i < s.size() && s[i].isLowSurrogate() ? i - 1 : i;
    };
    for (int round = 0; round < 40; ++round) {
        QString model = piece(60);
        box->setText(model);
        for (int step = 0; step < 30; ++step) {
            const qsizetype pos = boundary(model);
            box->setSelStart(pos);
            switch (rng.bounded(4)) {
            case 0: {   // an insertion, line ends included
                const QString s = piece(4);
                box->setSelText(s);
                model.insert(pos, s);
                break;
            }
            case 1: {   // a removal through the selection
                const qsizetype end = qMax(pos, boundary(model));
                box->setSelLength(end - pos);
                box->setSelText(QString());
                model.remove(pos, end - pos);
                break;
            }
            default: {   // Backspace or Delete typed
                const bool back = rng.bounded(2);
                QTest::keyClick(box, back ? Qt::Key_Backspace : Qt::Key_Delete);
                const int n = unitsDeleted(model, pos, back);
                model.remove(back ? pos - n : pos, n);
                QCOMPARE(box->SelStart(), back ? pos - n : pos);
                break;
            }
            }
            QVERIFY2(box->bytes().isValidUtf8(), qPrintable(QStringLiteral("round %1 step %2").arg(round).arg(step)));
            QCOMPARE(box->Text(), model);
            QCOMPARE(box->length(), model.size());
            for (qsizetype i = 0; i <= model.size(); ++i) {
                if (i < model.size() && model[i].isLowSurrogate())
                    continue;
                const qint64 bytePos = model.left(i).toUtf8().size();
                QCOMPARE(box->toBytePos(i), bytePos);
                QCOMPARE(box->toUtf16(bytePos), i);
            }
        }
    }
}

void TestTextBox::caretStepsOverWholeCharacters()
{
    // The caret, Shift selections and word moves never stop inside a noncharacter;
    // Backspace and Delete take it whole (one Backspace once split U+FFFF).
    box->setText(QString::fromUcs4(U"caf\u00E9 \uFFFF\U0010FFFE x\uFDD0\n"));
    using Mods = Qt::KeyboardModifiers;
    for (auto [key, mods] : {std::pair{Qt::Key_Right, Mods(Qt::NoModifier)}, {Qt::Key_Right, Mods(Qt::ShiftModifier)},
                             {Qt::Key_Right, Mods(Qt::ControlModifier)}, {Qt::Key_Left, Mods(Qt::NoModifier)},
                             {Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier}}) {
        box->SendScintilla(key == Qt::Key_Right ? QsciScintillaBase::SCI_DOCUMENTSTART : QsciScintillaBase::SCI_DOCUMENTEND);
        for (int i = 0; i < 14; ++i) {
            QTest::keyClick(box, key, mods);
            QTRY_COMPARE(box->toBytePos(box->toUtf16(box->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS))),
                         box->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
            const QByteArray sel = box->SelText().toUtf8();
            QCOMPARE(QString::fromUtf8(sel).toUtf8(), sel);
        }
    }
    for (auto [from, key, left] : {std::tuple{8, Qt::Key_Backspace, U"caf\u00E9 \uFFFF x\uFDD0\n"}, {6, Qt::Key_Backspace, U"caf\u00E9  x\uFDD0\n"},
                                   {7, Qt::Key_Delete, U"caf\u00E9  x\n"}}) {
        box->setSelStart(from);
        QTest::keyClick(box, key);
        QCOMPARE(box->Text(), QString::fromUcs4(left));
    }
    box->setText(QString::fromUcs4(U"ab \uFFFF\uFFFE cd\U0001FFFF"));
    box->setSelStart(3);
    QTest::keyClick(box, Qt::Key_Delete, Qt::ControlModifier);
    box->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QTest::keyClick(box, Qt::Key_Backspace, Qt::ControlModifier);
    QVERIFY(box->bytes().isValidUtf8());
}

void TestTextBox::bytesSurviveExactly()
{
    for (const QByteArray &bytes : {QByteArray("a\r\nb\rc\nd"), QByteArray("x\0y\0\0z", 6), QByteArray("a\xC2\xA0" "b\xEF\xBB\xBF"), QByteArray()}) {
        box->loadBytes(bytes);
        QCOMPARE(box->bytes().toByteArray(), bytes);
        QCOMPARE(box->isEmpty(), bytes.isEmpty());
        QCOMPARE(box->Text(), QString::fromUtf8(bytes));
    }
}

void TestTextBox::selectionInCodeUnits()
{
    box->setText(QString::fromUtf16(u"a\U0001F600b\0cd", 7));
    box->setSelStart(1);
    box->setSelLength(3);
    QCOMPARE(box->SelText(), QString::fromUtf16(u"\U0001F600b"));
    box->setSelText(QString::fromUtf16(u"X\0Y", 3));
    QCOMPARE(box->Text(), QString::fromUtf16(u"aX\0Y\0cd", 7));
    QCOMPARE(box->SelStart(), 4);   // right after the inserted text
    QCOMPARE(box->SelLength(), 0);
    // Out-of-range values clamp as a text box does.
    box->setSelStart(100);
    QCOMPARE(box->SelStart(), box->length());
    box->setSelStart(0);
    box->setSelLength(1000);
    QCOMPARE(box->SelLength(), box->length());
    // A U+FEFF that starts the text or the selection is a character like any other.
    box->setText(QStringLiteral("\uFEFFa\uFEFFb"));
    QCOMPARE(box->Text(), QStringLiteral("\uFEFFa\uFEFFb"));
    box->setSelStart(2);
    box->setSelLength(2);
    QCOMPARE(box->SelText(), QStringLiteral("\uFEFFb"));
}

void TestTextBox::enterInsertsTheDocumentsLineEnd()
{
    for (auto [eol, bytes] : {std::pair{TextBox::LineEnd::CrLf, "\r\n"}, {TextBox::LineEnd::Lf, "\n"}, {TextBox::LineEnd::Cr, "\r"}}) {
        box->loadBytes({});
        box->setLineEnd(eol);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->bytes().toByteArray(), QByteArray(bytes));
    }
}

void TestTextBox::keyPressReportsTypedCharacters_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("code");   // 0: no typed character
    const int none = Qt::NoModifier;
    for (auto [tag, key, mods, code] : {std::tuple{"letter", int(Qt::Key_Q), none, int('q')}, {"enter", Qt::Key_Return, none, 13},
                                        {"backspace", Qt::Key_Backspace, none, 8}, {"escape", Qt::Key_Escape, none, 27},
                                        {"ctrl+z", Qt::Key_Z, int(Qt::ControlModifier), 26}, {"arrow", Qt::Key_Left, none, 0},
                                        {"delete", Qt::Key_Delete, none, 0}, {"function key", Qt::Key_F7, none, 0},
                                        {"alt+letter", Qt::Key_A, int(Qt::AltModifier), 0}})
        QTest::newRow(tag) << key << mods << code;
}

void TestTextBox::keyPressReportsTypedCharacters()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    QList<int> codes;
    box->onKeyPress = [&](int c) { codes << c; };
    QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(codes, code ? QList<int>{code} : QList<int>{});
    if (modifiers & Qt::AltModifier)
        QVERIFY(box->isEmpty());   // an Alt key that opens no menu types nothing
}

void TestTextBox::reservedShortcutsNeverReachTheBox()
{
    box->setText(QStringLiteral("abc"));
    box->setReservedShortcuts({QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_A)});
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(box->SelLength(), 0);
    box->setSelLength(3);
    QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(box->Text(), QStringLiteral("abc"));
}

void TestTextBox::onlyPlainEditingKeys_data()
{
    // From "one Two|" (caret after "Two"): the component's programmer bindings
    // neither edit nor type; the keys of a plain text box still work.
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("then");   // typed after the key
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    const int none = 0, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier, cs = ctrl | shift;
    const QString same = QStringLiteral("one Two\nthree");
    for (auto [tag, key, mods] : {std::tuple{"ctrl+u lowercase", int(Qt::Key_U), ctrl}, {"ctrl+shift+u", Qt::Key_U, cs},
                                  {"ctrl+d duplicate", Qt::Key_D, ctrl}, {"ctrl+l cut line", Qt::Key_L, ctrl},
                                  {"ctrl+shift+l", Qt::Key_L, cs}, {"ctrl+t swap lines", Qt::Key_T, ctrl},
                                  {"ctrl+shift+t", Qt::Key_T, cs}, {"ctrl+1", Qt::Key_1, ctrl}, {"ctrl+;", Qt::Key_Semicolon, ctrl},
                                  {"ctrl+.", Qt::Key_Period, ctrl}, {"ctrl+[", Qt::Key_BracketLeft, ctrl},
                                  {"ctrl+/", Qt::Key_Slash, ctrl}, {"alt+backspace", Qt::Key_Backspace, int(Qt::AltModifier)},
                                  {"ctrl+shift+backspace", Qt::Key_Backspace, cs}, {"ctrl+shift+delete", Qt::Key_Delete, cs},
                                  {"ctrl+keypad plus zoom", Qt::Key_Plus, ctrl | Qt::KeypadModifier}})
        QTest::newRow(tag) << key << mods << QString() << same << 7 << 0;
    QTest::newRow("insert is no overtype") << int(Qt::Key_Insert) << none << "x" << "one Twox\nthree" << 8 << 0;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << "" << "one Tw\nthree" << 6 << 0;
    QTest::newRow("ctrl+backspace") << int(Qt::Key_Backspace) << ctrl << "" << "one \nthree" << 4 << 0;
    QTest::newRow("ctrl+left") << int(Qt::Key_Left) << ctrl << "" << same << 4 << 0;
    QTest::newRow("home") << int(Qt::Key_Home) << none << "" << same << 0 << 0;
    QTest::newRow("shift+home") << int(Qt::Key_Home) << shift << "" << same << 0 << 7;
    QTest::newRow("ctrl+shift+end") << int(Qt::Key_End) << cs << "" << same << 7 << 6;
    QTest::newRow("ctrl+z") << int(Qt::Key_Z) << ctrl << "" << QString() << 0 << 0;
}

void TestTextBox::onlyPlainEditingKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, then);
    box->setText(QStringLiteral("one Two\nthree"));
    box->setSelStart(7);
    QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTest::keyClicks(box, then);
    QTEST(box->Text(), "text");
    QTEST(int(box->SelStart()), "selStart");
    QTEST(int(box->SelLength()), "selLength");
    QCOMPARE(box->SendScintilla(QsciScintillaBase::SCI_GETZOOM), 0);
}

void TestTextBox::viewFollowsTheCaretSideways()
{
    // 60 lines of 140 characters in a narrow box: wherever the caret goes, the
    // view scrolls to show it with room to spare, and the scroll bar is there after a load.
    QByteArray text;
    for (int i = 0; i < 60; ++i)
        text += QByteArray(140, char('a' + i % 26)) + '\n';
    box->resize(300, 200);
    box->loadBytes(text);
    QTRY_VERIFY(box->horizontalScrollBar()->maximum() > 0);
    const auto caretX = [&] { return box->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, box->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)); };
    const auto shown = [&] { return caretX() >= 0 && caretX() + 4 <= box->viewport()->width(); };
    for (auto [key, mods] : {std::pair{Qt::Key_End, Qt::KeyboardModifiers()}, {Qt::Key_Home, {}}, {Qt::Key_Down, {}}, {Qt::Key_End, Qt::ShiftModifier},
                             {Qt::Key_Left, {}}, {Qt::Key_Right, {}}, {Qt::Key_Right, {}}, {Qt::Key_End, Qt::ControlModifier}}) {
        QTest::keyClick(box, key, mods);
        QTRY_VERIFY2(shown(), qPrintable(QStringLiteral("x %1 of %2").arg(caretX()).arg(box->viewport()->width())));
    }
    // A Find hit far along a line is selected through the positions.
    box->setSelStart(141 * 30 + 135);
    box->setSelLength(3);
    QTRY_VERIFY(shown());
}

void TestTextBox::loadStartsAFreshDocument()
{
    // After a load: the caret at 0, nothing selected, and undo reaches no
    // further back than the load. Input methods see only the caret's line.
    box->setText(QStringLiteral("old text"));
    box->setSelStart(2);
    box->setSelLength(3);
    box->loadBytes("first line\nab\xF0\x9F\x98\x80" "cd\nthird");
    QCOMPARE(box->SelStart(), 0);
    QCOMPARE(box->SelLength(), 0);
    box->SendScintilla(QsciScintillaBase::SCI_UNDO);
    QCOMPARE(box->Text(), QStringLiteral("first line\nab\U0001F600cd\nthird"));
    QTest::keyClicks(box, QStringLiteral("X"));
    box->SendScintilla(QsciScintillaBase::SCI_UNDO);
    box->SendScintilla(QsciScintillaBase::SCI_UNDO);
    QCOMPARE(box->Text(), QStringLiteral("first line\nab\U0001F600cd\nthird"));

    box->setSelStart(15);   // in "ab😀cd", selecting back from after the emoji to the "b"
    box->SendScintilla(QsciScintillaBase::SCI_SETANCHOR, (unsigned long)box->toBytePos(12));
    const QWidget *widget = box;
    QCOMPARE(widget->inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("ab\U0001F600cd"));
    QCOMPARE(widget->inputMethodQuery(Qt::ImCursorPosition).toInt(), 4);
    QCOMPARE(widget->inputMethodQuery(Qt::ImAnchorPosition).toInt(), 1);
    const QRect caret = widget->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QVERIFY(caret.height() > 0);
    QCOMPARE(caret.x(), box->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, box->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)));
}

void TestTextBox::everyChangeIsNotified()
{
    int changes = 0;
    connect(box, &TextBox::changed, [&] { ++changes; });
    QTest::keyClicks(box, QStringLiteral("hi"));
    QTest::keyClick(box, Qt::Key_Backspace);
    box->SendScintilla(QsciScintillaBase::SCI_UNDO);
    box->setSelStart(0);
    box->setSelText(QStringLiteral("x"));
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(changes, 6);
}

ZENDRAL_TEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
