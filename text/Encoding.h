// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a file's characters are stored: UTF-8 or UTF-16 (each with or without a
// byte-order mark), Windows-1252 through its own lossless mapping, or any other
// encoding the system's converters know by name (Shift_JIS, windows-1251, ...).
#include <QByteArray>
#include <QString>
#include <optional>

namespace textfile {

struct Encoding {
    enum class Kind : quint8 { Utf8, Utf16LE, Utf16BE, Windows1252, Named };
    Kind kind = Kind::Utf8;
    bool mark = false;   // the file starts with a byte-order mark
    QByteArray name;     // the converter's name, upper case; only for Named

    static const Encoding Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252;
    // Any name the converters know, spelt any way ("utf8", "CP1252", "shift_jis");
    // nullopt for a name they do not know.
    static std::optional<Encoding> named(QByteArrayView name);
    // The mark's bytes when `mark` is set, else none.
    QByteArray markBytes() const;
    // As people write it: "UTF-8", "UTF-16LE", "Windows-1251", "Shift_JIS".
    QString displayName() const;
    bool operator==(const Encoding &) const = default;
};

inline const Encoding Encoding::Utf8{Kind::Utf8, false, {}};
inline const Encoding Encoding::Utf8Bom{Kind::Utf8, true, {}};
inline const Encoding Encoding::Utf16LE{Kind::Utf16LE, true, {}};
inline const Encoding Encoding::Utf16BE{Kind::Utf16BE, true, {}};
inline const Encoding Encoding::Windows1252{Kind::Windows1252, false, {}};

}
