// SPDX-License-Identifier: GPL-3.0-or-later
// The text box's keys, caret, clusters, fonts and colours, and the edge cases of its positions; the property
// test of its bytes and positions is tst_longlines.
#include "platform/TextBox.h"
#include "support/TestMain.h"
#include <QScrollBar>
#include <QTimer>
#include <optional>

using Sci = QsciScintillaBase;

namespace {
// A key pressed in "one Two|\nthree" (the caret after "Two"); `text` null: unchanged.
struct Key { const char *tag; int key, modifiers; const char *text = nullptr; int selStart = 7;
             LineEnd eol = LineEnd::Lf; };
}

class TestTextBox : public QObject
{
    Q_OBJECT
    TextBox *box = nullptr;
    long sci(unsigned int msg, unsigned long w = 0, long l = 0) { return box->SendScintilla(msg, w, l); }
    long caretX() { return sci(Sci::SCI_POINTXFROMPOSITION, 0, sci(Sci::SCI_GETCURRENTPOS)); }

private Q_SLOTS:
    void init() { box = new TextBox; box->show(); QVERIFY(QTest::qWaitForWindowExposed(box)); }
    void cleanup() { delete box; }

    void byteOrderMarkIsACharacter()
    {
        // A U+FEFF that starts the text or the selection is a character like any other; positions beyond the end clamp.
        box->setText(QStringLiteral("\uFEFFa\uFEFFb"));
        box->setSelStart(2);
        box->setSelLength(9);
        const QString selected = box->SelText();
        box->setSelStart(9);
        QCOMPARE(std::tuple(box->Text(), selected, box->SelStart()), std::tuple(u"\uFEFFa\uFEFFb", u"\uFEFFb", 4LL));
    }

    void removalLengthBeyond32Bits()
    {
        // A removal's length comes in 32 bits (2^32 + 5 bytes as 5): a 5-byte removal announced as 1 byte long
        // leaves the positions mapping as the text's.
        const QString text = QString::fromUcs4(U"ab\uFFFFcd\uFFFEef");
        box->setText(text);
        Q_EMIT box->SCN_MODIFIED(1, Sci::SC_MOD_BEFOREDELETE, nullptr, 1, 0, 0, 0, 0, 0, 0);
        const QSignalBlocker quiet(box);
        sci(Sci::SCI_DELETERANGE, 1, 5);
        QCOMPARE(std::pair(box->Text(), box->length()), std::pair(QString(text).remove(1, 3), qint64(text.size() - 3)));
    }

    void firstPositionQueryOnABigTextIsLongWork()
    {
        // The UTF-16 line index of 16 MB is built off the window's thread, with the busy cursor.
        box->loadBytes(QByteArray("abcdefg\n").repeated(1 << 21) + "\u00E9!");
        std::optional<Qt::CursorShape> shape;
        QTimer::singleShot(0, [&] { if (QCursor *c = QApplication::overrideCursor()) shape = c->shape(); });
        QCOMPARE(std::tuple(box->toUtf16(box->byteLength()), shape, QApplication::overrideCursor()),
                 std::tuple((16 << 20) + 2, Qt::WaitCursor, nullptr));
    }

    void caretStepsOverWholeCharacters()
    {
        // The caret, Shift selections and word moves never stop inside a noncharacter, and a plain move selects
        // nothing; word deletions take it whole.
        box->setText(QString::fromUcs4(U"caf\u00E9 \uFFFF\U0010FFFE x\uFDD0\n"));
        using Mods = Qt::KeyboardModifiers;
        const auto onEdge = [&](qint64 byte) { return byte == box->byteLength()
                                                      || (box->bytes()[byte] & 0xC0) != 0x80; };
        for (auto [key, mods] :
             {std::pair{Qt::Key_Right, Mods(Qt::NoModifier)}, {Qt::Key_Right, Mods(Qt::ShiftModifier)},
              {Qt::Key_Right, Mods(Qt::ControlModifier)}, {Qt::Key_Left, Mods(Qt::NoModifier)},
              {Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier}}) {
            sci(key == Qt::Key_Right ? Sci::SCI_DOCUMENTSTART : Sci::SCI_DOCUMENTEND);
            for (int i = 0; i < 14; ++i) {
                QTest::keyClick(box, key, mods);
                QTRY_VERIFY(onEdge(sci(Sci::SCI_GETCURRENTPOS)) && onEdge(sci(Sci::SCI_GETANCHOR)));
                QTRY_COMPARE(box->SelLength() == 0, !(mods & Qt::ShiftModifier));
            }
        }
        // A selection the component leaves inside noncharacters (a click between their bytes) reads as whole ones.
        sci(Sci::SCI_SETSEL, 7, 11);
        QCOMPARE(std::tuple(box->SelStart(), box->SelLength(), box->SelText()),
                 std::tuple(5LL, 3LL, QString::fromUcs4(U"\uFFFF\U0010FFFE")));
        box->setText(QString::fromUcs4(U"ab \uFFFF\uFFFE cd\U0001FFFF"));
        box->setSelStart(3);
        QTest::keyClick(box, Qt::Key_Delete, Qt::ControlModifier);
        sci(Sci::SCI_DOCUMENTEND);
        QTest::keyClick(box, Qt::Key_Backspace, Qt::ControlModifier);
        QVERIFY(box->bytes().isValidUtf8());
    }

    void clustersGoWhole()
    {
        // What a reader sees as one character is selected and deleted whole; Backspace takes its last code point.
        for (const char *c : {"e\u0301", "\U0001F44D\U0001F3FD", "\U0001F1E9\U0001F1EA",
                              "\U0001F468\u200D\U0001F469\u200D\U0001F467"}) {
            const QString cluster = QString::fromUtf8(c);
            box->setText(cluster + u'x');
            QTest::keyClick(box, Qt::Key_Right, Qt::ShiftModifier);
            QTRY_COMPARE(box->SelText(), cluster);
            box->setSelStart(0);
            QTest::keyClick(box, Qt::Key_Delete);
            QCOMPARE(box->Text(), u"x");
            box->setText(cluster + u'x');
            box->setSelStart(cluster.size());
            QTest::keyClick(box, Qt::Key_Backspace);
            QCOMPARE(box->Text(), cluster.chopped(cluster.back().isLowSurrogate() ? 2 : 1) + u'x');
        }
    }

    void undoStepEndsWhereTheCaretMoved()
    {
        // Typing either side of a caret move, by key or by click, is undone in two steps.
        for (bool click : {false, true}) {
            box->setText(QString());
            sci(Sci::SCI_EMPTYUNDOBUFFER);
            QTest::keyClicks(box, QStringLiteral("alpha"));
            click ? QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, QPoint(box->viewport()->width() - 2, 4))
                  : QTest::keyClick(box, Qt::Key_End);
            QTest::keyClicks(box, QStringLiteral(" beta"));
            QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(box->Text(), u"alpha");
        }
    }

    void keys_data()
    {
        // The component's programmer bindings neither edit nor type: Alt with a letter, and with a key it would bind
        // (its bindings all go by one clear; Ctrl keys: e2e_x11.sh). Ctrl+Backspace and Enter (typing the document's
        // line end; Return: tst_filecommands) work as in a plain text box; tst_longlines presses the other plain keys.
        QTest::addColumn<Key>("k");
        const int ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
        for (const Key &k :
             {Key{"alt+letter", Qt::Key_A, alt}, {"alt+shift+right rectangle", Qt::Key_Right, alt | Qt::ShiftModifier},
              {"ctrl+backspace", Qt::Key_Backspace, ctrl, "one \nthree", 4},
              {"keypad enter, CR document", Qt::Key_Enter, 0, "one Two\r\nthree", 8, LineEnd::Cr}})
            QTest::newRow(k.tag) << k;
    }

    void keys()
    {
        QFETCH(Key, k);
        box->setLineEnd(k.eol);
        const QString before = QStringLiteral("one Two\nthree");
        box->setText(before);
        box->setSelStart(7);
        QTest::keyClick(box, Qt::Key(k.key), Qt::KeyboardModifiers(k.modifiers));
        QCOMPARE(std::tuple(box->Text(), box->SelStart(), box->SelLength(), sci(Sci::SCI_GETZOOM)),
                 std::tuple(k.text ? QString::fromUtf8(k.text) : before, qint64(k.selStart), 0LL, 0L));
    }

    void keysTypeEveryCharacter()
    {
        // Key events whose text the component would drop (its first unit not printable): each goes in as typed,
        // over the selection, one undo step each.
        int changes = 0;
        connect(box, &TextBox::changed, box, [&] { ++changes; });
        for (const QString &typed : {QStringLiteral("a😀b𝄞c"), QString::fromUtf16(u"\u0645\u200C\u06CC\u200D"),
                                     QString::fromUtf16(u"\uE000\U000F0000x")}) {
            box->setText(QStringLiteral("one Two"));
            box->setSelStart(4);
            box->setSelLength(3);
            changes = 0;
            QString last;
            for (char32_t c : typed.toUcs4()) {
                last = QString::fromUcs4(&c, 1);
                QKeyEvent press(QEvent::KeyPress, int(c), Qt::NoModifier, last);
                QApplication::sendEvent(box, &press);
            }
            QCOMPARE(std::tuple(box->bytes().toByteArray(), box->SelStart(), changes >= typed.toUcs4().size()),
                     std::tuple((QStringLiteral("one ") + typed).toUtf8(), box->length(), true));
            QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(box->Text(), QStringLiteral("one ") + typed.chopped(last.size()));
        }
    }

    void wideLinesScrollSideways()
    {
        // Lines wider than the box are not wrapped: a load brings the scroll bar (where the view follows the caret is
        // e2e_x11's, on a real display). A loaded text has 64-bit positions and no style bytes.
        QByteArray text;
        for (int i = 0; i < 60; ++i)
            text += QByteArray(140, char('a' + i % 26)) + '\n';
        box->resize(300, 200);
        QCOMPARE(box->horizontalScrollBar()->maximum(), 0);   // nothing to scroll to in an empty text
        box->loadBytes(text);
        QTRY_VERIFY(box->horizontalScrollBar()->maximum() > 0);
        QCOMPARE(sci(Sci::SCI_GETDOCUMENTOPTIONS),
                 long(Sci::SC_DOCUMENTOPTION_TEXT_LARGE | Sci::SC_DOCUMENTOPTION_STYLES_NONE));
        QTRY_COMPARE(caretX(), 2);   // the text's inset from the border, as a text box has it
    }

    void editsAreAnnouncedUnpainted()
    {
        // What the component inserts itself (a redo) is announced, to the journal, when the event loop comes round,
        // painted or not (a minimized window); when a new text comes first, as it was made, not read from that text.
        TextBox hidden;
        QByteArrayList seen;
        connect(&hidden, &TextBox::edited, [&](qint64 at, qint64 removed, QByteArrayView in) {
            seen << QByteArray::number(at) + (removed ? '-' + QByteArray::number(removed) : '+' + in.toByteArray());
        });
        hidden.setSelText(QStringLiteral("ab"));
        for (int round = 0; round < 3; ++round) {
            hidden.SendScintilla(Sci::SCI_UNDO);
            hidden.SendScintilla(Sci::SCI_REDO);
            if (round == 2)
                hidden.loadBytes("new");
            QCoreApplication::processEvents();
            QCOMPARE(std::pair(seen.size(), seen.last()), std::pair(qsizetype(3 + 2 * round), QByteArray("0+ab")));
        }
    }

    void loadStartsAFreshDocument()
    {
        // Every byte survives a load (the property test's texts hold every kind); an empty one is empty.
        box->loadBytes({});
        QVERIFY(box->isEmpty());
        // The caret at 0, nothing selected, and undo reaches no further back than the load. Input methods see only
        // the caret's line.
        box->setSelStart(2);
        box->setSelLength(3);
        box->loadBytes("first line\nab\xF0\x9F\x98\x80" "cd\nthird");
        QCOMPARE(std::pair(box->SelStart(), box->SelLength()), std::pair(0LL, 0LL));
        QTest::keyClicks(box, QStringLiteral("X"));
        sci(Sci::SCI_UNDO);
        sci(Sci::SCI_UNDO);
        QCOMPARE(box->Text(), QStringLiteral("first line\nab\U0001F600cd\nthird"));
        box->setSelStart(15);   // in "ab😀cd", selecting back from after the emoji to the "b"
        sci(Sci::SCI_SETANCHOR, box->toBytePos(12));
        const auto query = [this](Qt::InputMethodQuery q) { return static_cast<QWidget *>(box)->inputMethodQuery(q); };
        QCOMPARE(std::tuple(query(Qt::ImSurroundingText).toString(), query(Qt::ImCursorPosition),
                            query(Qt::ImAnchorPosition)),
                 std::tuple(QStringLiteral("ab\U0001F600cd"), QVariant(4), QVariant(1)));
        const QRect caret = query(Qt::ImCursorRectangle).toRect();
        QVERIFY(caret.height() > 0 && caret.x() == caretX());
        // A caret put inside a leading noncharacter comes from 0: it goes on to the character's end.
        box->loadBytes("\xEF\xBF\xBFx");
        sci(Sci::SCI_GOTOPOS, 1);
        QTRY_COMPARE(box->SelStart(), 1);
    }

    void changesFontAndColours()
    {
        // Every change is notified; struck-through text stays struck through as it changes, and is no longer after.
        int changes = 0;
        connect(box, &TextBox::changed, [&] { ++changes; });
        box->setFontStrikethru(true);
        QTest::keyClicks(box, QStringLiteral("hi"));
        QTest::keyClick(box, Qt::Key_Backspace);
        sci(Sci::SCI_UNDO);
        box->setSelStart(0);
        box->setSelText(QStringLiteral("x"));
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(changes, 6);
        QTRY_VERIFY(sci(Sci::SCI_INDICATORVALUEAT, 8, 0) && sci(Sci::SCI_INDICATORVALUEAT, 8, 1));
        box->loadBytes("loaded");   // a new text too
        QTRY_VERIFY(sci(Sci::SCI_INDICATORVALUEAT, 8, 5));
        box->setFontStrikethru(false);
        QCOMPARE(sci(Sci::SCI_INDICATORVALUEAT, 8, 0), 0);
        // The font reaches both styles; a selection has the scheme's highlight.
        box->setFontItalic(true);
        box->setFontBold(true);
        box->setFontUnderline(true);
        box->setFontSize(12);
        for (unsigned long style : {0, 1})
            QCOMPARE(std::tuple(sci(Sci::SCI_STYLEGETITALIC, style), sci(Sci::SCI_STYLEGETBOLD, style),
                                sci(Sci::SCI_STYLEGETUNDERLINE, style), sci(Sci::SCI_STYLEGETSIZEFRACTIONAL, style)),
                     std::tuple(1L, 1L, 1L, 1200L));
        box->setText(QStringLiteral("          "));
        sci(Sci::SCI_SELECTALL);
        const QColor highlight = box->palette().color(QPalette::Active, QPalette::Highlight);
        QTRY_COMPARE(box->viewport()->grab().toImage().pixelColor(20, 6), highlight);
        // The caret takes the text colour unless it is too close to the background, else black or white.
        for (auto [fore, back, caret] :
             {std::tuple{0x60u, 0u, 0x60u}, {0xFFC800u, 0xFFC800u, 0u}, {0x202020u, 0x303030u, 0xFFFFFFu}})
            QCOMPARE(TextBox::caretColor(fore, back), caret);
    }
};

ZENDRAL_TEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
