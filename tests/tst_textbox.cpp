// The text box keeps every byte and maps positions exactly as a QString would.
#include "platform/TextBox.h"
#include "support/TestMain.h"
#include <QRandomGenerator>

class TestTextBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void utf16MappingMatchesQString();
    void bytesSurviveExactly_data();
    void bytesSurviveExactly();
    void selectionInCodeUnits();
    void setSelTextLeavesCaretAfterInsert();
    void enterInsertsTheDocumentsLineEnd_data();
    void enterInsertsTheDocumentsLineEnd();
    void keyPressReportsTypedCharacters_data();
    void keyPressReportsTypedCharacters();
    void reservedShortcutsNeverReachTheBox();
    void everyChangeIsNotified();
    void fontAndColours();
};

namespace {
// Random text over ASCII, CR/LF, NUL, 2- and 3-byte characters and surrogate pairs.
QString randomText(QRandomGenerator &rng, int length)
{
    static const char32_t pool[] = {U'a', U'Z', U' ', U'\r', U'\n', U'\0', U'\t', 0xE9, 0xA0, 0x3B1,
                                    0x20AC, 0x65E5, 0xFEFF, 0x1F600, 0x10348, 0x1D11E};
    QString s;
    for (int i = 0; i < length; ++i) {
        const char32_t c = pool[rng.bounded(int(std::size(pool)))];
        s += QString::fromUcs4(&c, 1);
    }
    return s;
}
}

void TestTextBox::utf16MappingMatchesQString()
{
    TextBox box;
    QRandomGenerator rng(20261207);
    for (int round = 0; round < 40; ++round) {
        const QString text = randomText(rng, int(rng.bounded(1, 400)));
        box.setText(text);
        QCOMPARE(box.Text(), text);
        QCOMPARE(box.length(), text.size());
        const QByteArray utf8 = text.toUtf8();
        // Every character boundary maps both ways.
        qint64 bytePos = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            if (i < text.size() && text[i].isLowSurrogate())
                continue;
            QCOMPARE(box.toUtf16(bytePos), i);
            QCOMPARE(box.toBytePos(i), bytePos);
            if (i < text.size())
                bytePos += (text[i].isHighSurrogate() ? text.mid(i, 2) : text.mid(i, 1)).toUtf8().size();
        }
        QCOMPARE(bytePos, utf8.size());
        // A random selection reads back as the same slice of the QString.
        const qint64 start = rng.bounded(int(text.size() + 1));
        const qint64 len = rng.bounded(int(text.size() - start + 1));
        if ((start < text.size() && text[start].isLowSurrogate())
            || (start + len < text.size() && text[start + len].isLowSurrogate()))
            continue;
        box.setSelStart(start);
        box.setSelLength(len);
        QCOMPARE(box.SelStart(), start);
        QCOMPARE(box.SelLength(), len);
        QCOMPARE(box.SelText(), text.mid(start, len));
    }
}

void TestTextBox::bytesSurviveExactly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("crlf, cr, lf") << QByteArray("a\r\nb\rc\nd");
    QTest::newRow("nul") << QByteArray("x\0y\0\0z", 6);
    QTest::newRow("nbsp and bom-like char") << QByteArray("a\xC2\xA0" "b\xEF\xBB\xBF" "c");
    QTest::newRow("only line ends") << QByteArray("\r\n\r\n\n\r");
    QTest::newRow("empty") << QByteArray();
}

void TestTextBox::bytesSurviveExactly()
{
    QFETCH(QByteArray, bytes);
    TextBox box;
    box.loadBytes(bytes);
    QCOMPARE(box.bytes().toByteArray(), bytes);
    QCOMPARE(box.byteLength(), bytes.size());
    QCOMPARE(box.isEmpty(), bytes.isEmpty());
    QCOMPARE(box.Text(), QString::fromUtf8(bytes));
}

void TestTextBox::selectionInCodeUnits()
{
    TextBox box;
    box.setText(QString::fromUtf8("a😀b\0c", 8));
    box.setSelStart(1);
    box.setSelLength(3);
    QCOMPARE(box.SelText(), QString::fromUtf8("😀b"));
    // Out-of-range values clamp as a text box does.
    box.setSelStart(100);
    QCOMPARE(box.SelStart(), box.length());
    QCOMPARE(box.SelLength(), 0);
    box.setSelStart(0);
    box.setSelLength(1000);
    QCOMPARE(box.SelLength(), box.length());
}

void TestTextBox::setSelTextLeavesCaretAfterInsert()
{
    TextBox box;
    box.setText(QStringLiteral("abcd"));
    box.setSelStart(1);
    box.setSelLength(2);
    box.setSelText(QString::fromUtf16(u"X\0\U0001F600", 4));
    QCOMPARE(box.Text(), QString::fromUtf16(u"aX\0\U0001F600d", 6));
    QCOMPARE(box.SelStart(), 5);
    QCOMPARE(box.SelLength(), 0);
}

void TestTextBox::enterInsertsTheDocumentsLineEnd_data()
{
    QTest::addColumn<TextBox::LineEnd>("eol");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("crlf") << TextBox::LineEnd::CrLf << QByteArray("a\r\n");
    QTest::newRow("lf") << TextBox::LineEnd::Lf << QByteArray("a\n");
    QTest::newRow("cr") << TextBox::LineEnd::Cr << QByteArray("a\r");
}

void TestTextBox::enterInsertsTheDocumentsLineEnd()
{
    QFETCH(TextBox::LineEnd, eol);
    QFETCH(QByteArray, expected);
    TextBox box;
    box.setLineEnd(eol);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::keyClick(&box, Qt::Key_A);
    QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(box.bytes().toByteArray(), expected);
}

void TestTextBox::keyPressReportsTypedCharacters_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("code");
    QTest::newRow("letter") << int(Qt::Key_Q) << int(Qt::NoModifier) << int('q');
    QTest::newRow("digit") << int(Qt::Key_5) << int(Qt::NoModifier) << int('5');
    QTest::newRow("enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << 13;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << 8;
    QTest::newRow("escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << 27;
    QTest::newRow("ctrl+z") << int(Qt::Key_Z) << int(Qt::ControlModifier) << 26;
    QTest::newRow("arrow") << int(Qt::Key_Left) << int(Qt::NoModifier) << 0;
    QTest::newRow("delete") << int(Qt::Key_Delete) << int(Qt::NoModifier) << 0;
    QTest::newRow("function key") << int(Qt::Key_F7) << int(Qt::NoModifier) << 0;
}

void TestTextBox::keyPressReportsTypedCharacters()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    TextBox box;
    QList<int> codes;
    box.onKeyPress = [&](int c) { codes << c; };
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::keyClick(&box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(codes, code ? QList<int>{code} : QList<int>{});
}

void TestTextBox::reservedShortcutsNeverReachTheBox()
{
    TextBox box;
    box.setText(QStringLiteral("abc"));
    box.setReservedShortcuts({QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_A)});
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(box.SelLength(), 0);
    box.setSelStart(0);
    box.setSelLength(3);
    QTest::keyClick(&box, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(box.Text(), QStringLiteral("abc"));
}

void TestTextBox::everyChangeIsNotified()
{
    TextBox box;
    int changes = 0;
    connect(&box, &TextBox::changed, [&] { ++changes; });
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::keyClicks(&box, QStringLiteral("hi"));
    QCOMPARE(changes, 2);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QCOMPARE(changes, 3);
    box.SendScintilla(QsciScintillaBase::SCI_UNDO);
    QCOMPARE(changes, 4);
    box.setSelStart(0);
    box.setSelText(QStringLiteral("x"));
    QCOMPARE(changes, 5);
    QTest::keyClick(&box, Qt::Key_Delete);
    QCOMPARE(changes, 6);
}

void TestTextBox::fontAndColours()
{
    TextBox box;
    box.setFontName(QStringLiteral("DejaVu Serif"));
    box.setFontSize(14);
    box.setFontBold(true);
    box.setFontUnderline(true);
    box.setFontStrikethru(true);
    QCOMPARE(box.FontName(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(box.FontSize(), 14.0);
    QVERIFY(box.FontBold() && box.FontUnderline() && box.FontStrikethru() && !box.FontItalic());
    box.setBackColor(0x00FF0000);
    box.setForeColor(0x0000FF00);
    QCOMPARE(box.BackColor(), 0x00FF0000u);
    QCOMPARE(box.ForeColor(), 0x0000FF00u);
    // The caret takes the text colour, so it shows on any background.
    QCOMPARE(quint32(box.SendScintilla(QsciScintillaBase::SCI_GETCARETFORE)), 0x0000FF00u);
    QCOMPARE(quint32(box.SendScintilla(QsciScintillaBase::SCI_STYLEGETBACK, QsciScintillaBase::STYLE_DEFAULT)), 0x00FF0000u);
}

ZENDRAL_TEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
