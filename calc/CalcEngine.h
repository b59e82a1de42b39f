// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calculator's state and arithmetic, free of any toolkit so it can be run
// and tested without a window. A four-function calculator with one pending
// operation; numbers pass from one key to the next only through the display
// text, so a result is reused with the 15 significant digits it shows.
#include <cstdint>
#include <string>
#include <string_view>

// Why a key failed. The key's handler reports it; the engine never throws for it.
enum class CalcError { None, NotANumber, Overflow };

// A display text read as a number: `value` is meaningful only when `error` is None.
struct CalcNumber {
    CalcError error = CalcError::None;
    double value = 0;
};

class CalcEngine
{
public:
    // Operator codes: the index of the operator button.
    static constexpr int OpAdd = 0;
    static constexpr int OpSubtract = 1;
    static constexpr int OpDivide = 2;
    static constexpr int OpMultiply = 3;

    // The flags are stored as numbers and tested against the true value.
    static constexpr std::int16_t FlagTrue = -1;
    static constexpr std::int16_t FlagFalse = 0;

    enum class State { Entering, AwaitingOperand, ShowingResult };

    // `decimalSeparator`: the user's locale's, used to read and write the display.
    explicit CalcEngine(std::u16string decimalSeparator = u".");

    std::u16string DecimalSeparator;

    // The display, copied in from the window's text box before each key and back after it.
    std::u16string Display = u"0";

    // The registers.
    double PendingOp = OpAdd;              // holds a whole number 0 to 3
    std::int16_t ResultShown = FlagFalse;  // the display shows a result; digit keys are ignored
    std::int16_t NewEntry = FlagFalse;     // the next digit starts a new number
    double FirstOperand = 0;
    double SecondOperand = 0;
    double Result = 0;

    void Reset();
    // A digit 0 to 9; anything else is ignored.
    CalcError PressDigit(int digit);
    // An operator code 0 to 3; anything else is ignored.
    CalcError PressOperator(int code);
    CalcError PressEquals();
    void ClearAll();

    State state() const;

    // A display text as a number: an optional sign, digits with at most one
    // decimal separator among them (at least one digit), an optional exponent
    // (E or e, optional sign, digits), blanks around it. Anything else is
    // NotANumber; a magnitude that rounds beyond the largest finite double is
    // Overflow, however the digits are written. The value is the nearest double.
    static CalcNumber ValueOf(std::u16string_view text, std::u16string_view decimalSeparator);
    // A number as display text: 15 significant digits, plain for decimal
    // exponents -4 to 14, otherwise mantissa, "E", sign and at least two
    // exponent digits; trailing zeros dropped, no grouping, negative zero "0".
    // Not-finite values have no text (empty).
    static std::u16string TextOf(double value, std::u16string_view decimalSeparator);

private:
    CalcNumber displayValue() const { return ValueOf(Display, DecimalSeparator); }
};
