// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// UTF-8 bytes as a QString, every character kept: QString::fromUtf8 drops a
// U+FEFF that starts the bytes, which in a text is a character like any other.
#include <QByteArrayView>
#include <QStringDecoder>

inline QString fromUtf8Text(QByteArrayView utf8)
{
    return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom)
        .decode(utf8);
}
