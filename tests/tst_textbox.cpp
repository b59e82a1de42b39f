// The text box keeps every byte and maps positions exactly as a QString would.
#include "platform/TextBox.h"
#include "support/TestMain.h"
#include <QRandomGenerator>

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

    void utf16MappingMatchesQString();
    void bytesSurviveExactly();
    void selectionInCodeUnits();
    void enterInsertsTheDocumentsLineEnd();
    void keyPressReportsTypedCharacters_data();
    void keyPressReportsTypedCharacters();
    void reservedShortcutsNeverReachTheBox();
    void everyChangeIsNotified();
};

void TestTextBox::utf16MappingMatchesQString()
{
    // Random text over ASCII, line ends, NUL, 2- and 3-byte characters and surrogate pairs.
    static const char32_t pool[] = {U'a', U' ', U'\r', U'\n', U'\0', 0xE9, 0xA0, 0x3B1, 0x20AC, 0x65E5, 0xFEFF, 0x1F600, 0x1D11E};
    QRandomGenerator rng(20261207);
    for (int round = 0; round < 40; ++round) {
        QString text;
        for (int i = int(rng.bounded(1, 400)); i > 0; --i)
            text += QString::fromUcs4(&pool[rng.bounded(int(std::size(pool)))], 1);
        box->setText(text);
        QCOMPARE(box->Text(), text);
        QCOMPARE(box->length(), text.size());
        for (qsizetype i = 0; i <= text.size(); ++i) {
            if (i < text.size() && text[i].isLowSurrogate())
                continue;
            const qint64 bytePos = text.left(i).toUtf8().size();
            QCOMPARE(box->toUtf16(bytePos), i);
            QCOMPARE(box->toBytePos(i), bytePos);
        }
    }
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
