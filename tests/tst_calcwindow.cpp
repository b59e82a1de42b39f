#include "calc/CalcWindow.h"
#include "platform/Colors.h"
#include "platform/WindowDef.h"
#include "support/Fakes.h"
#include "support/TestMain.h"
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

class TestCalcWindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestServices> ts;
    CalcWindow *calc = nullptr;

    // Clicks digits, + - / *, = and A (AC); [text] is typed over the display.
    void press(const QString &keys)
    {
        for (const QRegularExpressionMatch &key : QRegularExpression(QStringLiteral("\\[([^]]*)\\]|.")).globalMatch(keys)) {
            const QChar k = key.captured()[0];
            const int op = int(QStringLiteral("+-/*").indexOf(k));
            if (k == u'[')
                calc->Text1->setText(key.captured(1));
            else
                QTest::mouseClick(k.isDigit() ? calc->Command1[(k.digitValue() + 9) % 10] : op >= 0 ? calc->Command2[op]
                                  : k == u'=' ? calc->Command5 : calc->Command4, Qt::LeftButton);
        }
    }
    // A mouse move as the window system delivers it: to whatever lies under the point.
    void moveTo(QWidget *w, QPoint at = {}) { QTest::mouseMove(calc->windowHandle(), w->mapTo(calc, at.isNull() ? w->rect().center() : at)); }
    static quint32 back(QWidget *w) { return def::backColor(w); }

private slots:
    void init() { ts = std::make_unique<TestServices>(); QVERIFY(QTest::qWaitForWindowExposed(calc = ts->windows.showCalc())); }

    void keys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("failure");
        const QString nan = QStringLiteral("Not a number"), nines(309, u'9'), ones = "0." + QString(40000, u'1');
        QTest::newRow("opens with 0; = at once, then digits ignored") << "=58" << "0" << "";
        QTest::newRow("every digit") << "1234567890" << "1234567890" << "";
        QTest::newRow("every operator") << "9-2=/7=*6=+1=" << "7" << "";
        QTest::newRow("AC keeps the pending operation") << "2*3=A4=" << "8" << "";
        QTest::newRow("typed display is read") << "[2.5]*4=" << "10" << "";
        QTest::newRow("text kept on failure") << "[abc]5+=" << "abc" << nan;
        QTest::newRow("309 nines kept on failure") << "[" + nines + "]5+=" << nines << "Overflow";
        QTest::newRow("overflow of = empties the display") << "[1E300]*[1E10]=5" << "" << nan;
        QTest::newRow("long display keeps every digit") << "[" + ones + "]7" << ones + "7" << "";
    }
    void keys()
    {
        QFETCH(QString, keys);
        press(keys);
        QTEST(calc->Text1->text(), "display");
        QTEST(calc->failureText(), "failure");
    }

    void hover()
    {
        QPushButton *five = calc->Command1[4], *off = calc->Command3;
        // Onto 5, onto OFF, then over controls that have no hover effect and keep moves from the surface.
        for (QWidget *w : std::initializer_list<QWidget *>{five, off, calc->Command2[0], calc->Command2[3], calc->Command4, calc->Command5, calc->Text1})
            moveTo(w);
        QCOMPARE(std::tuple(back(five), back(off), back(calc->Command1[2]), back(calc->Command2[3]), back(calc->Command4), back(calc->Command5)),
                 std::tuple(ole::LightBlue, ole::LightBlue, 0x8000000Au, ole::ButtonFace, 0x00C0FFC0u, ole::ButtonFace));
        moveTo(calc, QPoint(def::px(240), def::px(1400)));   // left of the digit 1: bare surface
        QCOMPARE(back(off), ole::LightGrey);
        for (QPushButton *b : calc->Command1)
            QCOMPARE(back(b), ole::ButtonFace);
    }

    void closeAndReopen_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::newRow("OFF") << "Command3" << int(Qt::Key_Space);
        QTest::newRow("Esc in the display") << "Text1" << int(Qt::Key_Escape);
    }
    void closeAndReopen()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        press(QStringLiteral("7+"));
        moveTo(calc->Command1[4]);
        QVERIFY(QTest::qWaitForWindowActive(calc));
        calc->findChild<QWidget *>(control)->setFocus();
        QTest::keyClick(calc->findChild<QWidget *>(control), Qt::Key(key));
        QTRY_VERIFY(!ts->windows.calc());
        QVERIFY(QTest::qWaitForWindowExposed(calc = ts->windows.showCalc()));   // afresh: display, engine and colours as defined
        QCOMPARE(std::tuple(calc->Text1->text(), back(calc->Command1[4]), back(calc->Command1[2])), std::tuple(QStringLiteral("0"), ole::ButtonFace, 0x8000000Au));
        press(QStringLiteral("3="));
        QCOMPARE(calc->Text1->text(), QStringLiteral("3"));
    }
};

ZENDRAL_TEST_MAIN(TestCalcWindow)
#include "tst_calcwindow.moc"
