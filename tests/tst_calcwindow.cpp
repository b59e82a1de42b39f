#include "calc/CalcDef.h"
#include "calc/CalcIcon.h"
#include "calc/CalcWindow.h"
#include "editor/Icons.h"
#include "platform/Colors.h"
#include "support/Fakes.h"
#include "support/TestMain.h"
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSet>
#include <QWindow>
#include <memory>

namespace {
QString digits(int count, char c = '9') { return QString(count, QLatin1Char(c)); }
}

class TestCalcWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void windowProperties();
    void icon();
    void controls();
    void tabOrder();
    void opensWithZero();
    void digitButtons_data();
    void digitButtons();
    void operatorButtons_data();
    void operatorButtons();
    void equalsAndClear();
    void typedDisplayIsRead();
    void failures_data();
    void failures();
    void overflowOfEqualsEmptiesDisplay();
    void hoverColours();
    void hoverIgnoresOtherControls_data();
    void hoverIgnoresOtherControls();
    void escapeAndOffClose_data();
    void escapeAndOffClose();
    void longDisplayKeepsEveryDigit();
    void reopenedWhileOpenKeepsCalculation();
    void commaLocale();

private:
    CalcWindow *open();
    void click(QPushButton *b);
    void keys(const QString &sequence);
    void moveTo(QWidget *target, QPoint local = {});
    void moveOverSurface();
    static quint32 back(QWidget *w) { return def::backColor(w); }

    std::unique_ptr<TestServices> ts;
    CalcWindow *calc = nullptr;
};

void TestCalcWindow::init()
{
    ts = std::make_unique<TestServices>();
    calc = open();
}

void TestCalcWindow::cleanup()
{
    QLocale::setDefault(QLocale::c());
    ts.reset();
    calc = nullptr;
}

CalcWindow *TestCalcWindow::open()
{
    CalcWindow *w = ts->windows.showCalc();
    if (!QTest::qWaitForWindowExposed(w))
        qWarning("calculator not exposed");
    return w;
}

void TestCalcWindow::click(QPushButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton);
}

// Clicks the buttons for a sequence of keys: digits, + - / *, = and A (AC).
void TestCalcWindow::keys(const QString &sequence)
{
    static const QString ops = QStringLiteral("+-/*");
    for (QChar c : sequence) {
        if (c.isDigit())
            click(calc->Command1[(c.digitValue() + 9) % 10]);
        else if (ops.contains(c))
            click(calc->Command2[ops.indexOf(c)]);
        else if (c == QLatin1Char('='))
            click(calc->Command5);
        else if (c == QLatin1Char('A'))
            click(calc->Command4);
    }
}

// A mouse move as the window system delivers it: to whatever lies under the point.
void TestCalcWindow::moveTo(QWidget *target, QPoint local)
{
    const QPoint p = target == calc ? local : target->mapTo(calc, local.isNull() ? target->rect().center() : local);
    QTest::mouseMove(calc->windowHandle(), p);
}

void TestCalcWindow::moveOverSurface()
{
    // Left of the digit 1, below the display: no control there.
    moveTo(calc, QPoint(def::px(240), def::px(1400)));
}

void TestCalcWindow::windowProperties()
{
    QVERIFY(calc);
    QCOMPARE(calc, ts->windows.calc());
    QCOMPARE(calc->objectName(), QStringLiteral("calc"));
    QCOMPARE(calc->windowTitle(), QStringLiteral("My Parvix(Calculator)"));
    QVERIFY(!(calc->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(calc->windowFlags() & Qt::WindowMinimizeButtonHint));
    QCOMPARE(calc->size(), QSize(468, 270));
    QCOMPARE(calc->minimumSize(), calc->maximumSize());
    QCOMPARE(back(calc), 0x80000018u);
    QCOMPARE(calc->palette().color(QPalette::Window), ole::toQColor(0x80000018));
    QCOMPARE(calc->font().pointSizeF(), 9.75);
    QVERIFY(calc->font().bold());
    QVERIFY(calc->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(calc->parentWidget(), nullptr);
    const QRect screen = calc->screen()->availableGeometry();
    QVERIFY(qAbs(calc->frameGeometry().center().x() - screen.center().x()) <= 4);
    QVERIFY(qAbs(calc->frameGeometry().center().y() - screen.center().y()) <= 16);
}

void TestCalcWindow::icon()
{
    const QImage image = calcicon::image();
    QCOMPARE(image.size(), QSize(48, 48));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    QVERIFY(colours.size() <= 256);
    QVERIFY(colours.size() > 4);
    QVERIFY(image != icons::zendralImage());
    QVERIFY(!calc->windowIcon().isNull());
    QVERIFY(calc->windowIcon().availableSizes().contains(QSize(48, 48)));
}

void TestCalcWindow::controls()
{
    QStringList digitCaptions, operatorCaptions;
    for (QPushButton *b : calc->Command1)
        digitCaptions << b->text();
    for (QPushButton *b : calc->Command2)
        operatorCaptions << b->text();
    QCOMPARE(digitCaptions.join(QLatin1Char('|')), QStringLiteral("1|2| 3| 4| 5| 6| 7| 8| 9| 0"));
    QCOMPARE(operatorCaptions.join(QLatin1Char('|')), QStringLiteral("+| -| /| *"));
    QCOMPARE(calc->Command3->text(), QStringLiteral("OFF"));
    QCOMPARE(calc->Command4->text(), QStringLiteral("AC"));
    QCOMPARE(calc->Command5->text(), QStringLiteral("="));
    QCOMPARE(calc->Command1[9]->geometry(), QRect(def::px(1320), def::px(3360), def::px(615), def::px(495)));
    QCOMPARE(calc->Command3->geometry(), QRect(def::px(5640), def::px(1200), def::px(1095), def::px(615)));

    // Only the graphical buttons paint their colour; " 3" starts in the border colour.
    for (QPushButton *b : calc->Command1)
        QCOMPARE(back(b), b == calc->Command1[2] ? 0x8000000Au : ole::ButtonFace);
    QCOMPARE(calc->Command1[2]->palette().color(QPalette::Button), ole::toQColor(0x8000000A));
    QCOMPARE(back(calc->Command3), ole::LightGrey);
    QCOMPARE(back(calc->Command4), 0x00C0FFC0u);
    for (QPushButton *b : {calc->Command1[0], calc->Command3, calc->Command4})
        QVERIFY(b->autoFillBackground());
    for (QPushButton *b : {calc->Command2[0], calc->Command5})
        QVERIFY(!b->autoFillBackground());

    QCOMPARE(calc->Command5->font().pointSizeF(), 13.5);
    QVERIFY(calc->Command5->font().bold());
    QCOMPARE(calc->Command2[3]->font().pointSizeF(), 13.5);
    QVERIFY(!calc->Command2[3]->font().bold());
    QCOMPARE(calc->Command1[4]->font(), calc->font());
}

void TestCalcWindow::tabOrder()
{
    QCOMPARE(calc->findChildren<QPushButton *>().size(), 17);
    QCOMPARE(calc->findChildren<QLineEdit *>().size(), 1);
    QCOMPARE(calc->Text1->geometry(), QRect(def::px(480), def::px(240), def::px(5895), def::px(495)));
    QVERIFY(calc->Text1->alignment() & Qt::AlignRight);

    QStringList chain;
    QWidget *w = calc->Command1[0];
    for (int i = 0; i < 18; ++i, w = w->nextInFocusChain()) {
        while (w->focusPolicy() == Qt::NoFocus || w == calc)
            w = w->nextInFocusChain();
        chain << w->objectName();
    }
    QCOMPARE(chain.join(QLatin1Char(' ')),
             QStringLiteral("Command1_0 Command1_1 Command1_2 Command1_3 Command1_4 Command1_5 Command1_6 Command1_7 "
                            "Command1_8 Command1_9 Text1 Command2_0 Command2_1 Command2_2 Command2_3 Command3 Command4 "
                            "Command5"));
}

void TestCalcWindow::opensWithZero()
{
    QCOMPARE(calc->Text1->text(), QStringLiteral("0"));
    QCOMPARE(calc->engine().state(), CalcEngine::State::Entering);
    QCOMPARE(calc->failureText(), QString());
    // "=" at once shows 0, and digits then do nothing until an operator or AC.
    keys(QStringLiteral("=58"));
    QCOMPARE(calc->Text1->text(), QStringLiteral("0"));
    keys(QStringLiteral("+58"));
    QCOMPARE(calc->Text1->text(), QStringLiteral("58"));
}

void TestCalcWindow::digitButtons_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("display");
    for (int i = 0; i < 10; ++i)
        QTest::addRow("Command1 %d", i) << i << QStringLiteral("7%1").arg((i + 1) % 10);
}

void TestCalcWindow::digitButtons()
{
    QFETCH(int, index);
    QFETCH(QString, display);
    calc->Text1->setText(QStringLiteral("7"));
    click(calc->Command1[index]);
    QCOMPARE(calc->Text1->text(), display);
    QCOMPARE(calc->engine().Display, display.toStdU16String());
}

void TestCalcWindow::operatorButtons_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("result");
    QTest::newRow("+") << 0 << "8";
    QTest::newRow("-") << 1 << "4";
    QTest::newRow("/") << 2 << "3";
    QTest::newRow("*") << 3 << "12";
}

void TestCalcWindow::operatorButtons()
{
    QFETCH(int, index);
    QFETCH(QString, result);
    keys(QStringLiteral("6"));
    click(calc->Command2[index]);
    QCOMPARE(calc->engine().PendingOp, double(index));
    QCOMPARE(calc->engine().FirstOperand, 6.0);
    QCOMPARE(calc->engine().state(), CalcEngine::State::AwaitingOperand);
    QCOMPARE(calc->Text1->text(), QStringLiteral("6"));
    keys(QStringLiteral("2="));
    QCOMPARE(calc->Text1->text(), result);
}

void TestCalcWindow::equalsAndClear()
{
    keys(QStringLiteral("12+3"));
    click(calc->Command5);
    QCOMPARE(calc->Text1->text(), QStringLiteral("15"));
    click(calc->Command5);
    QCOMPARE(calc->Text1->text(), QStringLiteral("27"));
    QCOMPARE(calc->engine().state(), CalcEngine::State::ShowingResult);
    click(calc->Command4);
    QCOMPARE(calc->Text1->text(), QStringLiteral("0"));
    QCOMPARE(calc->engine().state(), CalcEngine::State::Entering);
    keys(QStringLiteral("4="));
    QCOMPARE(calc->Text1->text(), QStringLiteral("16"));   // 12 + 4: AC keeps the pending operation
}

void TestCalcWindow::typedDisplayIsRead()
{
    calc->Text1->clear();
    QTest::keyClicks(calc->Text1, QStringLiteral("2.5"));
    keys(QStringLiteral("*4="));
    QCOMPARE(calc->Text1->text(), QStringLiteral("10"));
    // Typed over a result, the typed number is the next left operand.
    calc->Text1->selectAll();
    QTest::keyClicks(calc->Text1, QStringLiteral("7"));
    keys(QStringLiteral("-2="));
    QCOMPARE(calc->Text1->text(), QStringLiteral("5"));
}

void TestCalcWindow::failures_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("message");

    const QString nan = QStringLiteral("Not a number");
    const QString ovf = QStringLiteral("Overflow");
    for (const char *key : {"5", "+", "="}) {
        QTest::addRow("text, key %s", key) << "abc" << key << nan;
        QTest::addRow("empty, key %s", key) << "" << key << nan;
        QTest::addRow("309 nines, key %s", key) << digits(309) << key << ovf;
    }
}

void TestCalcWindow::failures()
{
    QFETCH(QString, display);
    QFETCH(QString, key);
    QFETCH(QString, message);

    calc->Text1->setText(display);
    keys(key);
    QCOMPARE(calc->Text1->text(), display);
    QCOMPARE(calc->failureText(), message);
    QVERIFY(calc->findChild<QLabel *>(QStringLiteral("failure"))->isVisible());
    QVERIFY(ts->dialogs.shown().isEmpty());

    click(calc->Command4);
    QCOMPARE(calc->Text1->text(), QStringLiteral("0"));
    QCOMPARE(calc->failureText(), QString());
    keys(QStringLiteral("3+4="));
    QCOMPARE(calc->Text1->text(), QStringLiteral("7"));
}

void TestCalcWindow::overflowOfEqualsEmptiesDisplay()
{
    calc->Text1->setText(QStringLiteral("1E300"));
    keys(QStringLiteral("*"));
    calc->Text1->setText(QStringLiteral("1E10"));
    keys(QStringLiteral("="));
    QCOMPARE(calc->Text1->text(), QString());
    QCOMPARE(calc->failureText(), QStringLiteral("Overflow"));
    keys(QStringLiteral("5"));   // no result shown after a product: the empty display is no number
    QCOMPARE(calc->Text1->text(), QString());
    QCOMPARE(calc->failureText(), QStringLiteral("Not a number"));
    // Typing a number retires the explanation and carries on from it.
    calc->Text1->setFocus();
    QTest::keyClicks(calc->Text1, QStringLiteral("2"));
    QCOMPARE(calc->failureText(), QString());
    keys(QStringLiteral("="));
    QCOMPARE(calc->Text1->text(), QStringLiteral("2E+300"));
    QVERIFY(ts->dialogs.shown().isEmpty());
}

void TestCalcWindow::hoverColours()
{
    QPushButton *five = calc->Command1[4];
    QPushButton *three = calc->Command1[2];
    QCOMPARE(back(three), 0x8000000Au);

    moveTo(five);
    QCOMPARE(back(five), ole::LightBlue);
    QCOMPARE(five->palette().color(QPalette::Button), ole::toQColor(ole::LightBlue));
    QCOMPARE(back(three), 0x8000000Au);
    moveTo(five, QPoint(3, 3));
    QCOMPARE(back(five), ole::LightBlue);

    // Straight onto another button: both stay light blue.
    moveTo(calc->Command3);
    QCOMPARE(back(calc->Command3), ole::LightBlue);
    QCOMPARE(back(five), ole::LightBlue);

    moveOverSurface();
    QCOMPARE(back(calc->Command3), ole::LightGrey);
    for (QPushButton *b : calc->Command1)
        QCOMPARE(back(b), ole::ButtonFace);   // " 3" too, from now on
    QCOMPARE(back(calc->Command4), 0x00C0FFC0u);

    // The explanation of a failure lies on the surface.
    calc->Text1->setText(QStringLiteral("x"));
    keys(QStringLiteral("+"));
    moveTo(three);
    moveTo(calc->findChild<QLabel *>(QStringLiteral("failure")));
    QCOMPARE(back(three), ole::ButtonFace);
}

void TestCalcWindow::hoverIgnoresOtherControls_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"Command2_0", "Command2_1", "Command2_2", "Command2_3", "Command4", "Command5", "Text1"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestCalcWindow::hoverIgnoresOtherControls()
{
    QFETCH(QString, name);
    QWidget *control = calc->findChild<QWidget *>(name);
    QVERIFY(control);
    moveTo(calc->Command1[0]);
    moveTo(calc->Command3);
    moveTo(control);
    moveTo(control, QPoint(2, 2));
    QCOMPARE(back(calc->Command1[0]), ole::LightBlue);
    QCOMPARE(back(calc->Command3), ole::LightBlue);
    QCOMPARE(back(calc->Command1[2]), 0x8000000Au);
    QCOMPARE(back(control), name == QLatin1String("Command4") ? 0x00C0FFC0u : name == QLatin1String("Text1") ? 0u : ole::ButtonFace);
}

void TestCalcWindow::escapeAndOffClose_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OFF") << "OFF";
    QTest::newRow("Esc in the display") << "Esc display";
    QTest::newRow("Esc on a button") << "Esc button";
    QTest::newRow("close box") << "close";
}

void TestCalcWindow::escapeAndOffClose()
{
    QFETCH(QString, how);
    keys(QStringLiteral("7+"));
    moveTo(calc->Command1[4]);
    QVERIFY(QTest::qWaitForWindowActive(calc));
    if (how == QLatin1String("OFF")) {
        click(calc->Command3);
    } else if (how == QLatin1String("close")) {
        calc->close();
    } else {
        QWidget *target = how.endsWith(QLatin1String("display")) ? static_cast<QWidget *>(calc->Text1) : calc->Command2[1];
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
    }
    QTRY_VERIFY(!ts->windows.calc());

    // Created afresh from its definition: display, engine and colours.
    calc = open();
    QCOMPARE(calc->Text1->text(), QStringLiteral("0"));
    QCOMPARE(back(calc->Command1[4]), ole::ButtonFace);
    QCOMPARE(back(calc->Command1[2]), 0x8000000Au);
    keys(QStringLiteral("3="));
    QCOMPARE(calc->Text1->text(), QStringLiteral("3"));
}

void TestCalcWindow::longDisplayKeepsEveryDigit()
{
    const QString typed = QStringLiteral("0.") + digits(40000, '1');
    calc->Text1->setText(typed);
    QCOMPARE(calc->Text1->text(), typed);
    keys(QStringLiteral("7"));
    QCOMPARE(calc->Text1->text(), typed + QLatin1Char('7'));
}

void TestCalcWindow::reopenedWhileOpenKeepsCalculation()
{
    keys(QStringLiteral("6*7="));
    QCOMPARE(calc->Text1->text(), QStringLiteral("42"));
    QCOMPARE(ts->windows.showCalc(), calc);
    QCOMPARE(calc->Text1->text(), QStringLiteral("42"));
    QCOMPARE(calc->engine().state(), CalcEngine::State::ShowingResult);
}

void TestCalcWindow::commaLocale()
{
    calc->close();
    QTRY_VERIFY(!ts->windows.calc());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    calc = open();
    keys(QStringLiteral("1/4="));
    QCOMPARE(calc->Text1->text(), QStringLiteral("0,25"));
    calc->Text1->setText(QStringLiteral("2,5"));
    keys(QStringLiteral("*4="));
    QCOMPARE(calc->Text1->text(), QStringLiteral("10"));
    calc->Text1->setText(QStringLiteral("2.5"));
    keys(QStringLiteral("+"));
    QCOMPARE(calc->failureText(), QStringLiteral("Not a number"));
}

ZENDRAL_TEST_MAIN(TestCalcWindow)
#include "tst_calcwindow.moc"
