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

// UTF-16 decoders let unpaired surrogates through, and UTF-8 cannot hold them.
inline bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}
