#include "calc/CalcEngine.h"
#include "support/TestMain.h"
#include <QRandomGenerator>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {
QString q(const std::u16string &s) { return QString::fromStdU16String(s); }
std::u16string u(const QString &s) { return s.toStdU16String(); }

using State = CalcEngine::State;
}
Q_DECLARE_METATYPE(CalcEngine::State)

namespace {

// Everything the engine holds, to compare before and after a key.
struct Snapshot {
    std::u16string display;
    double pendingOp, firstOperand, secondOperand, result;
    std::int16_t resultShown, newEntry;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snap(const CalcEngine &e)
{
    return {e.Display, e.PendingOp, e.FirstOperand, e.SecondOperand, e.Result, e.ResultShown, e.NewEntry};
}

QString describe(const Snapshot &s)
{
    return QStringLiteral("display '%1' op %2 first %3 second %4 result %5 shown %6 new %7")
        .arg(q(s.display)).arg(s.pendingOp).arg(s.firstOperand).arg(s.secondOperand).arg(s.result)
        .arg(s.resultShown).arg(s.newEntry);
}

// One key: a digit, + - / *, =, AC; "type:TEXT" puts TEXT in the display as the
// user typing into it would; "nines:N" types N nines.
CalcError press(CalcEngine &e, const QString &key)
{
    if (key.size() == 1 && key[0].isDigit())
        return e.PressDigit(key[0].digitValue());
    static const QString ops = QStringLiteral("+-/*");
    if (key.size() == 1 && ops.contains(key))
        return e.PressOperator(int(ops.indexOf(key)));
    if (key == QLatin1String("="))
        return e.PressEquals();
    if (key == QLatin1String("AC")) {
        e.ClearAll();
        return CalcError::None;
    }
    if (key.startsWith(QLatin1String("type:"))) {
        e.Display = u(key.mid(5));
        return CalcError::None;
    }
    if (key.startsWith(QLatin1String("nines:"))) {
        e.Display = u(QString(key.mid(6).toInt(), QLatin1Char('9')));
        return CalcError::None;
    }
    qFatal("unknown key %s", qPrintable(key));
}

// Runs a script of keys separated by blanks. ">TEXT" checks the display (">"
// alone: empty); "!nan" / "!ovf" check that the key before failed so. Any other
// failure is an error. Returns what went wrong, or nothing.
QString run(CalcEngine &e, const QString &script)
{
    CalcError last = CalcError::None;
    QString lastKey;
    bool accounted = true;
    for (const QString &token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token.startsWith(QLatin1Char('>'))) {
            if (q(e.Display) != token.mid(1))
                return QStringLiteral("after %1: display '%2', expected '%3'").arg(lastKey, q(e.Display), token.mid(1));
            continue;
        }
        if (token == QLatin1String("!nan") || token == QLatin1String("!ovf")) {
            const CalcError expected = token == QLatin1String("!nan") ? CalcError::NotANumber : CalcError::Overflow;
            if (last != expected)
                return QStringLiteral("%1 gave error %2, expected %3").arg(lastKey).arg(int(last)).arg(token);
            accounted = true;
            continue;
        }
        if (!accounted)
            return QStringLiteral("%1 failed with %2").arg(lastKey).arg(int(last));
        lastKey = token;
        last = press(e, token);
        accounted = last == CalcError::None;
    }
    if (!accounted)
        return QStringLiteral("%1 failed with %2").arg(lastKey).arg(int(last));
    return {};
}

// The reference 15-digit rounding, through the C library.
double rounded15(double x)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", x);
    const double r = std::strtod(text, nullptr);
    return std::isinf(r) ? std::copysign(1.79769313486231e308, x) : r;
}

bool sameDouble(double a, double b) { return a == b && std::signbit(a) == std::signbit(b); }
}

class TestCalcEngine : public QObject
{
    Q_OBJECT
private slots:
    void resetState();
    void sequences_data();
    void sequences();
    void transitions_data();
    void transitions();
    void failuresChangeNothing_data();
    void failuresChangeNothing();
    void overflowOfEquals_data();
    void overflowOfEquals();
    void repeatedEqualsRunsIntoOverflow();
    void outOfRangeKeysIgnored();
    void textOf_data();
    void textOf();
    void valueOf_data();
    void valueOf();
    void roundTripIsFifteenDigitRounding();
    void commaLocale();
};

void TestCalcEngine::resetState()
{
    CalcEngine e;
    e.Display = u"42";
    e.FirstOperand = e.SecondOperand = e.Result = 7;
    e.PendingOp = CalcEngine::OpMultiply;
    e.ResultShown = e.NewEntry = CalcEngine::FlagTrue;
    e.Reset();
    QCOMPARE(snap(e), (Snapshot{u"0", 0, 0, 0, 0, 0, 0}));
    QCOMPARE(e.state(), State::Entering);
    QCOMPARE(CalcEngine::OpAdd, 0);
    QCOMPARE(CalcEngine::OpSubtract, 1);
    QCOMPARE(CalcEngine::OpDivide, 2);
    QCOMPARE(CalcEngine::OpMultiply, 3);
}

void TestCalcEngine::sequences_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<State>("finalState");

    QTest::newRow("equals at once is 0+0, digits then ignored") << "= >0 5 >0 7 >0" << State::ShowingResult;
    QTest::newRow("operator ends ignoring digits") << "= 5 + 6 >6" << State::Entering;
    QTest::newRow("AC ends ignoring digits") << "= 5 AC 6 >6" << State::Entering;
    QTest::newRow("zero display replaced, never extended") << "0 0 7 >7" << State::Entering;
    QTest::newRow("repeated equals") << "1 2 + 3 = >15 = >27 = >39" << State::ShowingResult;
    QTest::newRow("no precedence, no chaining") << "2 + 3 * 4 = >12" << State::ShowingResult;
    QTest::newRow("right operand is the value shown") << "5 + = >10" << State::ShowingResult;
    QTest::newRow("divide by zero shows 0") << "9 / 0 = >0" << State::Entering;
    QTest::newRow("after divide by zero") << "9 / 0 = 3 = >3" << State::ShowingResult;
    QTest::newRow("left operand from the 15-digit text")
        << "1 / 3 = >0.333333333333333 * 3 = >0.999999999999999" << State::ShowingResult;
    QTest::newRow("two thirds rounded") << "2 / 3 = >0.666666666666667" << State::ShowingResult;
    QTest::newRow("eight nines squared")
        << "9 9 9 9 9 9 9 9 * 9 9 9 9 9 9 9 9 = >9.9999998E+15" << State::ShowingResult;
    QTest::newRow("negative result, negative zero as 0") << "3 - 8 = >-5 * 0 = >0" << State::ShowingResult;
    QTest::newRow("AC keeps the pending operation") << "2 * 3 = AC 4 = >8" << State::ShowingResult;
    QTest::newRow("digit after result") << "2 + 2 = 5 >4" << State::ShowingResult;
    QTest::newRow("typed decimal display") << "type:2.5 * 4 = >10" << State::ShowingResult;
    QTest::newRow("typed text, digit") << "type:abc 5 !nan >abc AC >0" << State::Entering;
    QTest::newRow("typed text, operator") << "type:abc + !nan >abc AC >0" << State::Entering;
    QTest::newRow("typed text, equals") << "type:abc = !nan >abc AC >0" << State::Entering;
    QTest::newRow("309 nines, digit") << "nines:309 5 !ovf AC >0" << State::Entering;
    QTest::newRow("309 nines, operator") << "nines:309 * !ovf AC 3 >3" << State::Entering;
    QTest::newRow("309 nines, equals") << "nines:309 = !ovf AC >0" << State::Entering;
    QTest::newRow("308 nines still a number") << "nines:308 + >" + QString(308, QLatin1Char('9')) << State::AwaitingOperand;
    QTest::newRow("digits build beyond 15 digits")
        << "1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 >123456789012345678" << State::Entering;
    QTest::newRow("long number rounded on equals")
        << "1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 + 0 = >1.23456789012346E+17" << State::ShowingResult;
    QTest::newRow("zero written as 0.0 is replaced") << "type:0.0 4 >4" << State::Entering;
    QTest::newRow("zero written with blanks is replaced") << "type:-0E7 2 >2" << State::Entering;
    QTest::newRow("typed number extended") << "type:2.5 5 >2.55" << State::Entering;
    QTest::newRow("subnormal result") << "type:1E-300 / type:1E+20 = >9.99988867182683E-321" << State::ShowingResult;
    QTest::newRow("underflow to zero") << "type:1E-300 * type:1E-300 = >0" << State::ShowingResult;
    QTest::newRow("divide by zero keeps the old result") << "8 + 2 = / 0 = >0 = >0 + 1 = >1" << State::ShowingResult;
    QTest::newRow("fresh engine as if 0 + keyed") << "5 = >5" << State::ShowingResult;
}

void TestCalcEngine::sequences()
{
    QFETCH(QString, script);
    QFETCH(State, finalState);
    CalcEngine e;
    const QString problem = run(e, script);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(e.state(), finalState);
}

// Every cell of the state table: reach the state, press one key, check the state,
// display and registers after it.
void TestCalcEngine::transitions_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<State>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<State>("after");
    QTest::addColumn<QString>("display");
    QTest::addColumn<double>("firstOperand");
    QTest::addColumn<double>("pendingOp");

    const QString entering = QStringLiteral("8 * 1 2 = AC 6");      // 8 * pending, display 6
    const QString awaiting = QStringLiteral("8 * 1 2 = AC 6 -");    // 6 - pending
    const QString showing = QStringLiteral("8 * 6 =");              // 48 shown, 8 * pending
    const QString enteringDiv = QStringLiteral("8 / 2 = AC 0");
    const QString awaitingDiv = QStringLiteral("0 /");
    const QString showingDiv = QStringLiteral("0 / 5 =");

    QTest::newRow("entering digit") << entering << State::Entering << "7" << State::Entering << "67" << 8.0 << 3.0;
    QTest::newRow("entering operator") << entering << State::Entering << "+" << State::AwaitingOperand << "6" << 6.0 << 0.0;
    QTest::newRow("entering equals") << entering << State::Entering << "=" << State::ShowingResult << "48" << 8.0 << 3.0;
    QTest::newRow("entering AC") << entering << State::Entering << "AC" << State::Entering << "0" << 8.0 << 3.0;
    QTest::newRow("entering zero divisor") << enteringDiv << State::Entering << "=" << State::Entering << "0" << 8.0 << 2.0;

    QTest::newRow("awaiting digit") << awaiting << State::AwaitingOperand << "7" << State::Entering << "7" << 6.0 << 1.0;
    QTest::newRow("awaiting operator") << awaiting << State::AwaitingOperand << "/" << State::AwaitingOperand << "6" << 6.0 << 2.0;
    QTest::newRow("awaiting equals") << awaiting << State::AwaitingOperand << "=" << State::ShowingResult << "0" << 6.0 << 1.0;
    QTest::newRow("awaiting AC") << awaiting << State::AwaitingOperand << "AC" << State::Entering << "0" << 6.0 << 1.0;
    QTest::newRow("awaiting zero divisor") << awaitingDiv << State::AwaitingOperand << "=" << State::AwaitingOperand << "0" << 0.0 << 2.0;

    QTest::newRow("showing digit") << showing << State::ShowingResult << "7" << State::ShowingResult << "48" << 8.0 << 3.0;
    QTest::newRow("showing operator") << showing << State::ShowingResult << "-" << State::AwaitingOperand << "48" << 48.0 << 1.0;
    QTest::newRow("showing equals") << showing << State::ShowingResult << "=" << State::ShowingResult << "384" << 8.0 << 3.0;
    QTest::newRow("showing AC") << showing << State::ShowingResult << "AC" << State::Entering << "0" << 8.0 << 3.0;
    QTest::newRow("showing zero divisor") << showingDiv << State::ShowingResult << "=" << State::ShowingResult << "0" << 0.0 << 2.0;
}

void TestCalcEngine::transitions()
{
    QFETCH(QString, setup);
    QFETCH(State, before);
    QFETCH(QString, key);
    QFETCH(State, after);
    QFETCH(QString, display);
    QFETCH(double, firstOperand);
    QFETCH(double, pendingOp);

    CalcEngine e;
    const QString problem = run(e, setup);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(e.state(), before);
    const std::int16_t newEntryBefore = e.NewEntry;
    const double resultBefore = e.Result;

    QCOMPARE(press(e, key), CalcError::None);
    QCOMPARE(e.state(), after);
    QCOMPARE(q(e.Display), display);
    QCOMPARE(e.FirstOperand, firstOperand);
    QCOMPARE(e.PendingOp, pendingOp);
    if (key == QLatin1String("=")) {
        // "=" never touches the new-entry flag; a zero divisor keeps the old result.
        QCOMPARE(e.NewEntry, newEntryBefore);
        if (display == QLatin1String("0") && pendingOp == CalcEngine::OpDivide)
            QCOMPARE(e.Result, resultBefore);
    }
}

void TestCalcEngine::failuresChangeNothing_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("error");

    const int nan = int(CalcError::NotANumber), ovf = int(CalcError::Overflow);
    struct Display { const char *tag; const char *setup; int error; };
    const Display displays[] = {
        {"text", "type:abc", nan},
        {"empty", "type:", nan},
        {"blanks", "type:\t", nan},
        {"grouped", "type:1,000", nan},
        {"309 nines", "nines:309", ovf},
        {"1E309", "type:1E309", ovf},
        {"text while awaiting", "4 + type:x", nan},
        {"huge while awaiting", "4 * nines:400", ovf},
    };
    for (const Display &d : displays) {
        for (const char *key : {"5", "0", "+", "*", "="})
            QTest::addRow("%s, key %s", d.tag, key) << QString::fromLatin1(d.setup) << QString::fromLatin1(key) << d.error;
    }
    // A shown result ignores digits without reading the display, so they cannot fail.
    QTest::newRow("text after result, operator") << "2 + 2 = type:abc" << "-" << nan;
    QTest::newRow("text after result, equals") << "2 + 2 = type:abc" << "=" << nan;
}

void TestCalcEngine::failuresChangeNothing()
{
    QFETCH(QString, setup);
    QFETCH(QString, key);
    QFETCH(int, error);

    CalcEngine e;
    const QString problem = run(e, setup);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const Snapshot before = snap(e);
    QCOMPARE(int(press(e, key)), error);
    QVERIFY2(snap(e) == before, qPrintable(describe(snap(e)) + QStringLiteral(" / before: ") + describe(before)));

    e.ClearAll();
    QCOMPARE(q(e.Display), QStringLiteral("0"));
    QCOMPARE(e.state(), State::Entering);
    QCOMPARE(press(e, QStringLiteral("3")), CalcError::None);
    QCOMPARE(q(e.Display), QStringLiteral("3"));
}

void TestCalcEngine::overflowOfEquals_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<double>("secondOperand");
    QTest::addColumn<bool>("resultShown");
    QTest::addColumn<bool>("newEntry");

    // Typing into the display leaves the new-entry flag as the operator key set it.
    QTest::newRow("add marks result shown") << "type:1E308 + type:1E308" << 1e308 << true << true;
    QTest::newRow("add after AC") << "type:1E308 + AC type:1E308" << 1e308 << true << false;
    QTest::newRow("subtract keeps flag") << "type:-1E308 - type:1E308" << 1e308 << false << true;
    QTest::newRow("multiply keeps flag") << "type:1E200 *" << 1e200 << false << true;
    QTest::newRow("multiply after AC") << "type:1E200 * AC type:1E200" << 1e200 << false << false;
    QTest::newRow("multiply after a result") << "type:1E200 * type:1E100 = >1E+300" << 1e300 << true << true;
    QTest::newRow("divide keeps flag") << "type:1E308 / type:0.01" << 0.01 << false << true;
}

void TestCalcEngine::overflowOfEquals()
{
    QFETCH(QString, setup);
    QFETCH(double, secondOperand);
    QFETCH(bool, resultShown);
    QFETCH(bool, newEntry);

    CalcEngine e;
    const QString problem = run(e, setup);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const double first = e.FirstOperand, op = e.PendingOp;
    QCOMPARE(e.PressEquals(), CalcError::Overflow);
    QCOMPARE(q(e.Display), QString());
    QCOMPARE(e.SecondOperand, secondOperand);
    QVERIFY(std::isinf(e.Result));
    QCOMPARE(e.FirstOperand, first);
    QCOMPARE(e.PendingOp, op);
    QCOMPARE(e.ResultShown, resultShown ? CalcEngine::FlagTrue : CalcEngine::FlagFalse);
    QCOMPARE(e.NewEntry, newEntry ? CalcEngine::FlagTrue : CalcEngine::FlagFalse);

    // The empty display: operators and "=" fail, digits fail unless a result is shown.
    const Snapshot after = snap(e);
    QCOMPARE(e.PressOperator(CalcEngine::OpAdd), CalcError::NotANumber);
    QCOMPARE(e.PressEquals(), CalcError::NotANumber);
    QCOMPARE(e.PressDigit(4), resultShown ? CalcError::None : CalcError::NotANumber);
    QVERIFY(snap(e) == after);

    e.ClearAll();
    const QString recovered = run(e, QStringLiteral(">0 2 + 3 = >5"));
    QVERIFY2(recovered.isEmpty(), qPrintable(recovered));
}

void TestCalcEngine::repeatedEqualsRunsIntoOverflow()
{
    CalcEngine e;
    QVERIFY(run(e, QStringLiteral("9 9 9 9 9 9 9 9 * 9 9 9 9 9 9 9 9")).isEmpty());
    double expected = 99999999;
    int presses = 0;
    CalcError error = CalcError::None;
    while (presses < 100 && (error = e.PressEquals()) == CalcError::None) {
        ++presses;
        expected = CalcEngine::ValueOf(CalcEngine::TextOf(expected * 99999999, u"."), u".").value;
        QCOMPARE(CalcEngine::ValueOf(e.Display, u".").value, expected);
    }
    QCOMPARE(error, CalcError::Overflow);
    QCOMPARE(presses, 37);   // about 1E+8 more each time: the 38th press passes 1.8E+308
    QCOMPARE(q(e.Display), QString());
    QCOMPARE(e.FirstOperand, 99999999.0);
    QCOMPARE(e.PressEquals(), CalcError::NotANumber);
    e.ClearAll();
    QCOMPARE(q(e.Display), QStringLiteral("0"));
}

void TestCalcEngine::outOfRangeKeysIgnored()
{
    CalcEngine e;
    QVERIFY(run(e, QStringLiteral("4 +")).isEmpty());
    const Snapshot before = snap(e);
    QCOMPARE(e.PressDigit(10), CalcError::None);
    QCOMPARE(e.PressDigit(-1), CalcError::None);
    QCOMPARE(e.PressOperator(4), CalcError::None);
    QCOMPARE(e.PressOperator(-1), CalcError::None);
    QVERIFY(snap(e) == before);
}

void TestCalcEngine::textOf_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("text");

    const QString dot = QStringLiteral(".");
    const QString comma = QStringLiteral(",");
    QTest::newRow("zero") << 0.0 << dot << "0";
    QTest::newRow("negative zero") << -0.0 << dot << "0";
    QTest::newRow("whole") << 42.0 << dot << "42";
    QTest::newRow("negative fraction below one") << -0.5 << dot << "-0.5";
    QTest::newRow("trailing zeros dropped") << 123.456 << dot << "123.456";
    QTest::newRow("a third") << 1.0 / 3 << dot << "0.333333333333333";
    QTest::newRow("0.0001 plain") << 0.0001 << dot << "0.0001";
    QTest::newRow("0.00012345 plain") << 0.00012345 << dot << "0.00012345";
    QTest::newRow("1E-05 exponent") << 0.00001 << dot << "1E-05";
    QTest::newRow("5E-05 exponent") << 0.00005 << dot << "5E-05";
    QTest::newRow("rounds up into plain range") << 0.00009999999999999999 << dot << "0.0001";
    QTest::newRow("15 nines plain") << 999999999999999.0 << dot << "999999999999999";
    QTest::newRow("15 nines and a bit") << 999999999999999.4 << dot << "999999999999999";
    QTest::newRow("1E+15 exponent") << 1e15 << dot << "1E+15";
    QTest::newRow("rounds up to 1E+14, still plain") << 99999999999999.95 << dot << "100000000000000";
    QTest::newRow("rounds up to 1E+16") << 9999999999999995.0 << dot << "1E+16";
    QTest::newRow("plain fraction with 15 digits") << 12345.678901234567 << dot << "12345.6789012346";
    QTest::newRow("eight nines squared") << 9999999800000001.0 << dot << "9.9999998E+15";
    QTest::newRow("long mantissa") << 123456789012345678.0 << dot << "1.23456789012346E+17";
    QTest::newRow("three-digit exponent") << 1e100 << dot << "1E+100";
    QTest::newRow("negative small") << -1.25e-100 << dot << "-1.25E-100";
    QTest::newRow("subnormal") << 1e-320 << dot << "9.99988867182683E-321";
    QTest::newRow("smallest subnormal") << std::numeric_limits<double>::denorm_min() << dot << "4.94065645841247E-324";
    QTest::newRow("smallest normal") << DBL_MIN << dot << "2.2250738585072E-308";
    QTest::newRow("largest double stays readable") << DBL_MAX << dot << "1.79769313486231E+308";
    QTest::newRow("negative largest") << -DBL_MAX << dot << "-1.79769313486231E+308";
    QTest::newRow("just below the rounding edge") << 1.797693134862314e308 << dot << "1.79769313486231E+308";
    QTest::newRow("infinity has no text") << std::numeric_limits<double>::infinity() << dot << "";
    QTest::newRow("comma fraction") << 2.5 << comma << "2,5";
    QTest::newRow("comma no grouping") << 1234567.5 << comma << "1234567,5";
    QTest::newRow("comma small") << 0.0001 << comma << "0,0001";
    QTest::newRow("comma exponent") << -1.25e-100 << comma << "-1,25E-100";
    QTest::newRow("comma whole") << 1e15 << comma << "1E+15";
}

void TestCalcEngine::textOf()
{
    QFETCH(double, value);
    QFETCH(QString, separator);
    QFETCH(QString, text);
    QCOMPARE(q(CalcEngine::TextOf(value, u(separator))), text);
}

void TestCalcEngine::valueOf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<int>("error");
    QTest::addColumn<double>("value");

    const QString dot = QStringLiteral(".");
    const QString comma = QStringLiteral(",");
    const int ok = int(CalcError::None), nan = int(CalcError::NotANumber), ovf = int(CalcError::Overflow);

    QTest::newRow("zero") << "0" << dot << ok << 0.0;
    QTest::newRow("blanks around") << "  12\t " << dot << ok << 12.0;
    QTest::newRow("plus sign") << "+7" << dot << ok << 7.0;
    QTest::newRow("negative fraction") << "-2.5" << dot << ok << -2.5;
    QTest::newRow("fraction without whole part") << ".5" << dot << ok << 0.5;
    QTest::newRow("separator without fraction") << "5." << dot << ok << 5.0;
    QTest::newRow("exponent") << "1E-05" << dot << ok << 1e-5;
    QTest::newRow("lower-case exponent") << "1e3" << dot << ok << 1000.0;
    QTest::newRow("exponent with plus") << "1E+15" << dot << ok << 1e15;
    QTest::newRow("exponent without sign") << "2.5E2" << dot << ok << 250.0;
    QTest::newRow("nearest double") << "0.1" << dot << ok << 0.1;
    QTest::newRow("many leading zeros") << QString(500, QLatin1Char('0')) + "17" << dot << ok << 17.0;
    QTest::newRow("long digit run") << "1" + QString(300, QLatin1Char('0')) << dot << ok << 1e300;
    QTest::newRow("308 nines") << QString(308, QLatin1Char('9')) << dot << ok << 1e308;
    QTest::newRow("long fraction with big exponent") << "0." + QString(399, QLatin1Char('0')) + "1E+400" << dot << ok << 1.0;
    QTest::newRow("largest double") << "1.7976931348623157E+308" << dot << ok << DBL_MAX;
    QTest::newRow("just above largest, rounds to it") << "1.7976931348623158E+308" << dot << ok << DBL_MAX;
    QTest::newRow("subnormal") << "4.9E-324" << dot << ok << std::numeric_limits<double>::denorm_min();
    QTest::newRow("below subnormals") << "1E-400" << dot << ok << 0.0;
    QTest::newRow("just below half the smallest subnormal") << "2.4E-324" << dot << ok << 0.0;
    QTest::newRow("just above half the smallest subnormal") << "2.5E-324" << dot << ok << std::numeric_limits<double>::denorm_min();
    QTest::newRow("far below") << "1E-99999999999999999999" << dot << ok << 0.0;
    QTest::newRow("zero with huge exponent") << "0E999999999999999999" << dot << ok << 0.0;
    QTest::newRow("comma locale") << "2,5" << comma << ok << 2.5;
    QTest::newRow("comma locale exponent") << "-1,25E-100" << comma << ok << -1.25e-100;

    QTest::newRow("309 nines") << QString(309, QLatin1Char('9')) << dot << ovf << 0.0;
    QTest::newRow("309 nines with a fraction") << QString(309, QLatin1Char('9')) + ".5" << dot << ovf << 0.0;
    QTest::newRow("1E309") << "1E309" << dot << ovf << 0.0;
    QTest::newRow("negative 1E309") << "-1E309" << dot << ovf << 0.0;
    QTest::newRow("rounds to infinity") << "1.7976931348623159E+308" << dot << ovf << 0.0;
    QTest::newRow("15-digit rounding of the largest") << "1.79769313486232E+308" << dot << ovf << 0.0;
    QTest::newRow("huge exponent") << "1E99999999999999999999" << dot << ovf << 0.0;

    QTest::newRow("empty") << "" << dot << nan << 0.0;
    QTest::newRow("only blanks") << "   " << dot << nan << 0.0;
    QTest::newRow("letters") << "abc" << dot << nan << 0.0;
    QTest::newRow("separator alone") << "." << dot << nan << 0.0;
    QTest::newRow("sign alone") << "-" << dot << nan << 0.0;
    QTest::newRow("two signs") << "--1" << dot << nan << 0.0;
    QTest::newRow("exponent without digits") << "1E" << dot << nan << 0.0;
    QTest::newRow("exponent sign without digits") << "1E+" << dot << nan << 0.0;
    QTest::newRow("exponent alone") << "E5" << dot << nan << 0.0;
    QTest::newRow("blank inside") << "1 2" << dot << nan << 0.0;
    QTest::newRow("two separators") << "1.2.3" << dot << nan << 0.0;
    QTest::newRow("digit grouping") << "1,000" << dot << nan << 0.0;
    QTest::newRow("point in comma locale") << "2.5" << comma << nan << 0.0;
    QTest::newRow("hexadecimal") << "0x10" << dot << nan << 0.0;
    QTest::newRow("infinity word") << "inf" << dot << nan << 0.0;
    QTest::newRow("nan word") << "nan" << dot << nan << 0.0;
    QTest::newRow("trailing text") << "12abc" << dot << nan << 0.0;
    QTest::newRow("currency") << "$5" << dot << nan << 0.0;
    QTest::newRow("other script digits") << QString::fromUtf8("\u0661\u0662") << dot << nan << 0.0;
    QTest::newRow("full-width digits") << QString::fromUtf8("\uff11") << dot << nan << 0.0;
    QTest::newRow("embedded nul") << QString(QChar(u'1')) + QChar(0) + QChar(u'2') << dot << nan << 0.0;
}

void TestCalcEngine::valueOf()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(int, error);
    QFETCH(double, value);
    const CalcNumber n = CalcEngine::ValueOf(u(text), u(separator));
    QCOMPARE(int(n.error), error);
    if (n.error == CalcError::None)
        QCOMPARE(n.value, value);
}

// For doubles of every magnitude, reading back the text gives the value rounded to
// 15 significant digits, in either locale, and the text reads back to itself.
void TestCalcEngine::roundTripIsFifteenDigitRounding()
{
    QRandomGenerator random(20240611);
    for (int i = 0; i < 200000; ++i) {
        double x;
        switch (i % 3) {
        case 0: {   // any finite bit pattern, subnormals included
            const quint64 bits = random.generate64();
            std::memcpy(&x, &bits, sizeof x);
            if (!std::isfinite(x))
                continue;
            break;
        }
        case 1:     // ordinary calculator magnitudes
            x = double(qint64(random.generate64() % 2000000001) - 1000000000) / std::pow(10.0, random.bounded(12));
            break;
        default:    // near the plain / exponent boundaries
            x = std::pow(10.0, random.bounded(-6, 17)) * (1 - random.generateDouble() * 1e-14);
            break;
        }
        const std::u16string text = CalcEngine::TextOf(x, u".");
        const CalcNumber back = CalcEngine::ValueOf(text, u".");
        const double expected = rounded15(x) == 0 ? 0.0 : rounded15(x);
        if (back.error != CalcError::None || !sameDouble(back.value, expected)) {
            QFAIL(qPrintable(QStringLiteral("%1 -> %2 -> %3 (error %4), expected %5")
                                 .arg(x, 0, 'g', 17).arg(q(text)).arg(back.value, 0, 'g', 17)
                                 .arg(int(back.error)).arg(expected, 0, 'g', 17)));
        }
        QCOMPARE(CalcEngine::TextOf(back.value, u"."), text);
        const std::u16string commaText = CalcEngine::TextOf(x, u",");
        QVERIFY(commaText.find(u'.') == std::u16string::npos);
        const CalcNumber commaBack = CalcEngine::ValueOf(commaText, u",");
        QCOMPARE(commaBack.error, CalcError::None);
        QVERIFY(sameDouble(commaBack.value, back.value));
    }
}

void TestCalcEngine::commaLocale()
{
    CalcEngine e(u",");
    QVERIFY(run(e, QStringLiteral("1 / 4 = >0,25 * type:2,5 = >0,625")).isEmpty());
    QVERIFY(run(e, QStringLiteral("AC type:1.5 + !nan >1.5")).isEmpty());
    QVERIFY(run(e, QStringLiteral("AC 1 / 3 = * 3 = >0,999999999999999")).isEmpty());
}

ZENDRAL_TEST_MAIN(TestCalcEngine)
#include "tst_calcengine.moc"
