// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/CalcWindow.h"
#include "platform/Colors.h"
#include "platform/WindowDef.h"
#include "support/CalcKeys.h"
#include "support/Fakes.h"
#include "support/TestMain.h"
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

using calckeys::press;
using calckeys::registers;

class TestCalc : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestServices> ts;
    CalcWindow *calc = nullptr;

    bool open() { return QTest::qWaitForWindowExposed(calc = ts->windows.showCalc()); }
    // A mouse move as the window system delivers it: to whatever lies under the point.
    void moveTo(QWidget *w, QPoint p = {})
    {
        QTest::mouseMove(calc->windowHandle(), w->mapTo(calc, p.isNull() ? w->rect().center() : p));
    }

private slots:
    void init() { ts = std::make_unique<TestServices>(); QLocale::setDefault(QLocale::c()); }

    // The window's keys reach the engine: each sequence is clicked on a fresh window and run on an engine, and after
    // every key the window's engine, display and failure line match the engine's ("comma" rows use the "," locale).
    void wiring_data()
    {
        QTest::addColumn<QString>("keys");
        for (const char *keys : {"1234567890", "12+3-4*5/6=", "2*3=A4=", "[abc]5+=", "[1E308]+[1E308]=5", "9/0="})
            QTest::newRow(keys) << QString::fromLatin1(keys);
        QTest::newRow("comma") << QStringLiteral("1/4=*[2,5]=");
    }
    void wiring()
    {
        QFETCH(QString, keys);
        const bool comma = QByteArray(QTest::currentDataTag()) == "comma";
        QLocale::setDefault(comma ? QLocale(QLocale::German) : QLocale::c());
        CalcEngine e(comma ? u"," : u".");
        QVERIFY(open());
        // In the order of "1234567890+-/*A=".
        QList<QPushButton *> buttons(calc->Command1.begin(), calc->Command1.end());
        buttons << QList<QPushButton *>(calc->Command2.begin(), calc->Command2.end()) << calc->Command4
                << calc->Command5;
        const QRegularExpression keyPattern(QStringLiteral("\\[([^]]*)\\]|."));
        for (const QRegularExpressionMatch &key : keyPattern.globalMatch(keys)) {
            const QChar k = key.captured()[0];
            if (k == u'[') {
                calc->Text1->setText(key.captured(1));
                e.Display = key.captured(1).toStdU16String();
                continue;
            }
            QTest::mouseClick(buttons[QStringLiteral("1234567890+-/*A=").indexOf(k)], Qt::LeftButton);
            const CalcError error = press(e, k);
            QVERIFY2(calc->Text1->text() == QString::fromStdU16String(e.Display)
                     && registers(calc->engine()) == registers(e)
                     && calc->failureText() == QStringList({"", "Not a number", "Overflow"})[int(error)],
                     "window after " + keys.left(key.capturedEnd()).toUtf8());
        }
    }

    // It opens with the focus on "1". The digits and OFF turn light blue under the pointer, the operators do not and
    // keep the moves from the surface, which resets the colours. The command brings a minimized window back as it was
    // (every window comes back by that one path). OFF (Space or Enter on it) and Esc close the window; the next one
    // starts afresh.
    void window()
    {
        QVERIFY(open() && QTest::qWaitForWindowActive(calc));
        QCOMPARE(QApplication::focusWidget(), calc->Command1[0]);
        QPushButton *five = calc->Command1[4], *off = calc->Command3, *plus = calc->Command2[0];
        auto colours = [=] { return std::tuple(def::backColor(five), def::backColor(off), def::backColor(plus)); };
        for (QWidget *w : {five, off, plus})
            moveTo(w);
        QCOMPARE(colours(), std::tuple(ole::LightBlue, ole::LightBlue, ole::ButtonFace));
        moveTo(calc, QPoint(def::px(240), def::px(1400)));   // left of the digit 1: bare surface
        QCOMPARE(colours(), std::tuple(ole::ButtonFace, ole::LightGrey, ole::ButtonFace));
        moveTo(five);
        QTest::mouseClick(calc->Command1[6], Qt::LeftButton);   // 7 +
        QTest::mouseClick(plus, Qt::LeftButton);
        calc->setWindowState(Qt::WindowMinimized);
        QCOMPARE(ts->windows.showCalc(), calc);
        QVERIFY(!calc->isMinimized() && calc->Text1->text() == "7"
                && calc->engine().state() == CalcEngine::State::AwaitingOperand);
        for (auto [control, key] : {std::pair<const char *, Qt::Key>{"Command3", Qt::Key_Space},
                                    {"Command3", Qt::Key_Enter}, {"Text1", Qt::Key_Escape}}) {
            QVERIFY(QTest::qWaitForWindowActive(calc));
            calc->findChild<QWidget *>(control)->setFocus();
            QTest::keyClick(calc->findChild<QWidget *>(control), key);
            QTRY_VERIFY(!ts->windows.calc());
            QVERIFY(open());
            QVERIFY(calc->Text1->text() == "0" && def::backColor(calc->Command1[4]) == ole::ButtonFace
                    && registers(calc->engine()) == registers(CalcEngine()));
        }
    }

    // Found: a key given a fixed background kept a dark scheme's light text. Under a dark scheme every key stays
    // readable, at rest and under the pointer: a background the scheme does not give brings its own text colour.
    void readableUnderADarkScheme()
    {
        const QPalette light = QApplication::palette();
        QApplication::setPalette(QPalette(QColor(40, 40, 40)));
        QVERIFY(open());
        const auto readable = [](QWidget *b) {
            const QPalette p = b->palette();
            return qAbs(qGray(p.color(QPalette::Button).rgb()) - qGray(p.color(QPalette::ButtonText).rgb())) > 100;
        };
        const bool atRest = std::ranges::all_of(calc->findChildren<QPushButton *>(), readable);
        moveTo(calc->Command1[4]);
        moveTo(calc->Command3);
        const bool hovered = readable(calc->Command1[4]) && readable(calc->Command3);
        QApplication::setPalette(light);
        QVERIFY(atRest && hovered);
    }
};

ZENDRAL_TEST_MAIN(TestCalc)
#include "tst_calc.moc"
