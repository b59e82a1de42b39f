// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Key sequences on the calculator engine, for the engine's and the window's tests.
#include "calc/CalcEngine.h"
#include <QString>
#include <tuple>

namespace calckeys {
inline auto registers(const CalcEngine &e)
{
    return std::tuple(e.Display, e.PendingOp, e.FirstOperand, e.SecondOperand, e.Result, e.ResultShown, e.NewEntry);
}

// A key of a sequence on the engine alone: a digit, + - / *, = or A (AC).
inline CalcError press(CalcEngine &e, QChar k)
{
    if (k == u'A')
        return e.ClearAll(), CalcError::None;
    if (k == u'=')
        return e.PressEquals();
    return k.isDigit() ? e.PressDigit(k.digitValue()) : e.PressOperator(int(QStringLiteral("+-/*").indexOf(k)));
}
}
