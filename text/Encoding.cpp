// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Encoding.h"
#include <QStringDecoder>

namespace textfile {

std::optional<Encoding> Encoding::named(QByteArrayView name)
{
    const QByteArray upper = name.toByteArray().toUpper();
    const QByteArray plain = QByteArray(upper).replace('-', "").replace('_', "");
    if (plain == "UTF8")
        return Utf8;
    if (plain == "UTF16LE" || plain == "UTF16BE")
        return Encoding{plain.endsWith("LE") ? Kind::Utf16LE : Kind::Utf16BE, false, {}};
    if (plain == "WINDOWS1252" || plain == "CP1252")
        return Windows1252;
    if (upper.isEmpty() || !QStringDecoder(upper.constData()).isValid() || !QStringEncoder(upper.constData()).isValid())
        return std::nullopt;
    return Encoding{Kind::Named, false, upper};
}

QByteArray Encoding::markBytes() const
{
    if (!mark)
        return {};
    switch (kind) {
    case Kind::Utf8: return QByteArrayLiteral("\xEF\xBB\xBF");
    case Kind::Utf16LE: return QByteArrayLiteral("\xFF\xFE");
    case Kind::Utf16BE: return QByteArrayLiteral("\xFE\xFF");
    case Kind::Windows1252:
    case Kind::Named: break;
    }
    return {};
}

QString Encoding::displayName() const
{
    switch (kind) {
    case Kind::Utf8: return QStringLiteral("UTF-8");
    case Kind::Utf16LE: return QStringLiteral("UTF-16LE");
    case Kind::Utf16BE: return QStringLiteral("UTF-16BE");
    case Kind::Windows1252: return QStringLiteral("Windows-1252");
    case Kind::Named: break;
    }
    QString shown = QString::fromLatin1(name);
    if (shown.startsWith(QLatin1String("WINDOWS-")))
        shown.replace(0, 8, QStringLiteral("Windows-"));
    return shown == QLatin1String("SHIFT_JIS") ? QStringLiteral("Shift_JIS")
         : shown == QLatin1String("BIG5")     ? QStringLiteral("Big5")
                                              : shown;
}

}
