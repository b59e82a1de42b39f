// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator engine alone, without a window or widgets: key sequences
// against their final state and failures, and the 15-digit read-back.
#include "support/CalcKeys.h"
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <bit>
#include <cmath>

using calckeys::press;
using calckeys::registers;

class TestCalcEngine : public QObject
{
    Q_OBJECT

private slots:
    // Keys: digits, + - / *, = and A (AC); [text] is typed over the display. After: the final state (E entering,
    // A awaiting an operand, R showing a result), then N (not a number) or O (overflow) per failed key.
    void keys_data()
    {
        for (const char *column : {"keys", "display", "after"})
            QTest::addColumn<QString>(column);
        auto row = [](const char *tag, const QString &keys, const QString &display, const char *after) {
            QTest::newRow(tag) << keys << display << QString::fromLatin1(after);
        };
        row("= at once is 0 + 0; R digit ignored", "=57", "0", "R");
        row("repeated =, down to 0.0001", "1/10=*===", "0.0001", "R");
        row("left operand from the 15-digit text", "1/3=*3=", "0.999999999999999", "R");
        row("difference overflows, empty display fails", "[-1E308]-[1E308]=5+=", "", "AONNN");
        row("blanks around; 1E-05", "[ 0.00001\t]+0=", "1E-05", "R");
        // Found: a display whose nearest double is the largest one but whose digits exceed it was read as that double.
        row("rounds to the largest but lies above it", "[1.7976931348623158E308]+", "1.7976931348623158E308", "EO");
        for (const QString bad : {"", "-", "1E+", "1.2.3", "1,000", "inf", "１"})
            row(qPrintable("not a number: " + bad), "[" + bad + "]+", bad, "EN");
    }
    // Each sequence runs on an engine alone. After every key, a failure other than an overflowing "=" changes nothing.
    void keys()
    {
        QFETCH(QString, keys);
        CalcEngine e;
        QString after;
        const QRegularExpression keyPattern(QStringLiteral("\\[([^]]*)\\]|."));
        for (const QRegularExpressionMatch &key : keyPattern.globalMatch(keys)) {
            const QChar k = key.captured()[0];
            const CalcEngine before = e;
            if (k == u'[')
                e.Display = key.captured(1).toStdU16String();
            const CalcError error = k == u'[' ? CalcError::None : press(e, k);
            after += u"-NO"[int(error)];   // None, NotANumber, Overflow
            if (error != CalcError::None && !(k == u'=' && error == CalcError::Overflow))
                QVERIFY2(registers(e) == registers(before), keys.left(key.capturedEnd()).toUtf8());
        }
        QTEST(QString::fromStdU16String(e.Display), "display");
        QTEST(QChar(u"EAR"[int(e.state())]) + after.remove(u'-'), "after");
    }

    // Any double (any bit pattern, or one near the plain / exponent edges), read back from
    // its text in either locale, is its rounding to 15 significant digits.
    void readBackIsFifteenDigitRounding()
    {
        QRandomGenerator random(20240611);
        for (int i = 0; i < 300000; ++i) {
            const double x = i % 2 ? std::bit_cast<double>(random.generate64())
                                   : std::pow(10.0, random.bounded(-6, 17)) * (1 - random.generateDouble() * 1e-14);
            char reference[40];
            std::snprintf(reference, sizeof reference, "%.14e", x);
            // Rounded down where it rounds beyond the largest double, and no negative zero.
            double expected = std::strtod(reference, nullptr);
            expected = std::isinf(expected) ? std::copysign(1.79769313486231e308, x) : expected + 0.0;
            for (const char16_t *sep : {u".", u","}) {
                const CalcNumber back = CalcEngine::ValueOf(CalcEngine::TextOf(x, sep), sep);
                const bool same = back.value == expected && std::signbit(back.value) == std::signbit(expected);
                if (std::isfinite(x) && (back.error != CalcError::None || !same))
                    QFAIL(qPrintable(QString::number(x, 'g', 17)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCalcEngine)
#include "tst_calcengine.moc"
