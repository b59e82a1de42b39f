// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The line end a document writes when Enter is pressed or a line break is inserted.
#include <QByteArray>

enum class LineEnd { CrLf, Lf, Cr };

inline QByteArray lineEndBytes(LineEnd eol)
{
    switch (eol) {
    case LineEnd::CrLf: return QByteArrayLiteral("\r\n");
    case LineEnd::Cr: return QByteArrayLiteral("\r");
    case LineEnd::Lf: break;
    }
    return QByteArrayLiteral("\n");
}
