// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/CalcEngine.h"
#include <algorithm>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <string>

namespace {
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Exponents far beyond any double's range read as this, so long exponent digit
// runs cannot overflow the arithmetic on them.
constexpr long long ExponentCap = 1'000'000'000'000'000LL;

CalcNumber signedZero(bool negative) { return {CalcError::None, negative ? -0.0 : 0.0}; }

// The exact decimal digits of the largest double (309 of them, 1797...8368). A
// number whose first digit stands for 10^308 overflows when its digits compare
// greater, even where its nearest double would be the largest one.
const std::string &largestDigits()
{
    static const std::string digits = [] {
        char buffer[DBL_MAX_10_EXP + 8];
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, DBL_MAX, std::chars_format::fixed, 0);
        return std::string(buffer, written.ptr);
    }();
    return digits;
}

std::u16string widen(std::string_view ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}
}

CalcEngine::CalcEngine(std::u16string decimalSeparator) : DecimalSeparator(std::move(decimalSeparator))
{
    Reset();
}

void CalcEngine::Reset()
{
    Display = u"0";
    FirstOperand = 0;
    SecondOperand = 0;
    Result = 0;
    PendingOp = OpAdd;
    ResultShown = FlagFalse;
    NewEntry = FlagFalse;
}

CalcError CalcEngine::PressDigit(int digit)
{
    if (digit < 0 || digit > 9)
        return CalcError::None;
    // A result on show ignores digits without even reading the display.
    if (ResultShown == FlagTrue)
        return CalcError::None;
    const CalcNumber shown = displayValue();
    if (shown.error != CalcError::None)
        return shown.error;
    // A zero display, however written, is replaced rather than extended.
    if (shown.value == 0)
        Display.clear();
    if (NewEntry == FlagTrue) {
        Display.clear();
        NewEntry = FlagFalse;
    }
    Display.push_back(char16_t(u'0' + digit));
    return CalcError::None;
}

CalcError CalcEngine::PressOperator(int code)
{
    if (code < OpAdd || code > OpMultiply)
        return CalcError::None;
    const CalcNumber shown = displayValue();
    if (shown.error != CalcError::None)
        return shown.error;
    // The operation pending before is dropped, not evaluated.
    FirstOperand = shown.value;
    NewEntry = FlagTrue;
    PendingOp = code;
    ResultShown = FlagFalse;
    return CalcError::None;
}

CalcError CalcEngine::PressEquals()
{
    const CalcNumber shown = displayValue();
    if (shown.error != CalcError::None)
        return shown.error;
    SecondOperand = shown.value;

    double value;
    if (PendingOp == OpAdd)
        value = FirstOperand + SecondOperand;
    else if (PendingOp == OpSubtract)
        value = FirstOperand - SecondOperand;
    else if (PendingOp == OpMultiply)
        value = FirstOperand * SecondOperand;
    else if (PendingOp == OpDivide) {
        if (SecondOperand == 0) {
            // Dividing by zero shows 0 and leaves everything else as it was.
            Display = u"0";
            return CalcError::None;
        }
        value = FirstOperand / SecondOperand;
    } else {
        return CalcError::None;
    }

    Display.clear();
    Result = value;
    // Addition marks the result shown before the range test; the others after it.
    if (PendingOp == OpAdd)
        ResultShown = FlagTrue;
    if (!std::isfinite(Result))
        return CalcError::Overflow;
    Display = TextOf(Result, DecimalSeparator);
    ResultShown = FlagTrue;
    return CalcError::None;
}

void CalcEngine::ClearAll()
{
    Display = u"0";
    ResultShown = FlagFalse;
    NewEntry = FlagFalse;
}

CalcEngine::State CalcEngine::state() const
{
    if (ResultShown == FlagTrue)
        return State::ShowingResult;
    if (NewEntry == FlagTrue)
        return State::AwaitingOperand;
    return State::Entering;
}

CalcNumber CalcEngine::ValueOf(std::u16string_view text, std::u16string_view separator)
{
    if (separator.empty())
        separator = u".";
    std::size_t i = 0, end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;
    text = text.substr(0, end);

    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';

    // Every digit of the mantissa, integer and fraction together.
    std::string digits;
    long long fractionDigits = 0;
    while (i < end && isDigit(text[i]))
        digits.push_back(char(text[i++]));
    if (text.substr(i).starts_with(separator)) {
        i += separator.size();
        for (; i < end && isDigit(text[i]); ++i, ++fractionDigits)
            digits.push_back(char(text[i]));
    }
    if (digits.empty())
        return {CalcError::NotANumber, 0};

    long long exponent = 0;
    if (i < end && (text[i] == u'E' || text[i] == u'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            negativeExponent = text[i++] == u'-';
        if (i == end || !isDigit(text[i]))
            return {CalcError::NotANumber, 0};
        for (; i < end && isDigit(text[i]); ++i)
            exponent = std::min(exponent * 10 + (text[i] - u'0'), ExponentCap);
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != end)
        return {CalcError::NotANumber, 0};

    // Normalise to significant digits d1 d2 ... times a power of ten, so the
    // magnitude is known before converting.
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return signedZero(negative);
    const std::size_t last = digits.find_last_not_of('0');
    const long long trailingZeros = static_cast<long long>(digits.size() - 1 - last);
    digits = digits.substr(first, last + 1 - first);
    // The power of ten of the first significant digit.
    const long long leading = exponent - fractionDigits + trailingZeros + static_cast<long long>(digits.size()) - 1;
    if (leading > DBL_MAX_10_EXP || (leading == DBL_MAX_10_EXP && digits > largestDigits()))
        return {CalcError::Overflow, 0};
    if (leading < -325)   // below half the smallest subnormal: rounds to zero
        return signedZero(negative);

    std::string normal;
    normal.reserve(digits.size() + 16);
    if (negative)
        normal.push_back('-');
    normal.push_back(digits[0]);
    if (digits.size() > 1) {
        normal.push_back('.');
        normal.append(digits, 1);
    }
    normal.push_back('e');
    normal.append(std::to_string(leading));

    double value = 0;
    const auto [ptr, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (ec == std::errc::result_out_of_range)
        return leading > 0 ? CalcNumber{CalcError::Overflow, 0} : signedZero(negative);
    if (ec != std::errc() || ptr != normal.data() + normal.size())
        return {CalcError::NotANumber, 0};
    if (std::isinf(value))
        return {CalcError::Overflow, 0};
    return {CalcError::None, value};
}

std::u16string CalcEngine::TextOf(double value, std::u16string_view separator)
{
    if (!std::isfinite(value))
        return {};
    if (separator.empty())
        separator = u".";

    // Rounded to 15 significant digits: "d.dddddddddddddde+XX".
    char buffer[40];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    std::string_view s(buffer, written.ptr - buffer);
    const bool negative = s.front() == '-';
    if (negative)
        s.remove_prefix(1);
    const std::size_t e = s.find('e');
    std::string digits;
    digits.push_back(s[0]);
    digits.append(s.substr(2, e - 2));
    int exponent = 0;
    std::from_chars(s.data() + e + 1 + (s[e + 1] == '+'), s.data() + s.size(), exponent);

    // The largest doubles round up past the double range; written that way the
    // display could not be read back, so they are rounded down instead.
    if (exponent == 308 && digits > "179769313486231")
        digits = "179769313486231";

    const std::size_t lastSignificant = digits.find_last_not_of('0');
    if (lastSignificant == std::string::npos)
        return u"0";   // zero, also negative zero
    digits.resize(lastSignificant + 1);

    std::u16string out;
    if (negative)
        out.push_back(u'-');
    if (exponent >= -4 && exponent <= 14) {
        if (exponent >= 0) {
            const std::size_t whole = std::size_t(exponent) + 1;
            if (digits.size() <= whole) {
                out += widen(digits);
                out.append(whole - digits.size(), u'0');
            } else {
                out += widen(std::string_view(digits).substr(0, whole));
                out += separator;
                out += widen(std::string_view(digits).substr(whole));
            }
        } else {
            out.push_back(u'0');
            out += separator;
            out.append(std::size_t(-exponent - 1), u'0');
            out += widen(digits);
        }
        return out;
    }

    out.push_back(char16_t(digits[0]));
    if (digits.size() > 1) {
        out += separator;
        out += widen(std::string_view(digits).substr(1));
    }
    out.push_back(u'E');
    out.push_back(exponent < 0 ? u'-' : u'+');
    std::string power = std::to_string(exponent < 0 ? -exponent : exponent);
    if (power.size() < 2)
        power.insert(0, 1, '0');
    out += widen(power);
    return out;
}
