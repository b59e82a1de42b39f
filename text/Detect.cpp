// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Detect.h"
#include "text/Utf8.h"
#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <langinfo.h>
#include <uchardet.h>

namespace textfile {

namespace {
// A UTF-8 character cut off by the end of `bytes`: its length so far, else 0.
qsizetype cutCharacter(QByteArrayView bytes)
{
    for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const uchar b = uchar(bytes[bytes.size() - back]);
        if ((b & 0xC0) == 0x80)
            continue;
        const qsizetype length = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

// The text `sample` reads as in `encoding` when that gives back the same bytes.
std::optional<QString> readBack(const Encoding &encoding, QByteArrayView sample, bool whole)
{
    const QByteArray mark = encoding.markBytes();
    if (!sample.startsWith(mark))
        return std::nullopt;
    QByteArrayView body = sample.sliced(mark.size());
    switch (encoding.kind) {
    case Encoding::Kind::Utf8:
        if (!whole)
            body.chop(cutCharacter(body));
        return body.isValidUtf8() ? std::optional(QString::fromUtf8(body)) : std::nullopt;
    case Encoding::Kind::Windows1252:   // any bytes do; the text is only weighed against other readings
    {
        QStringDecoder decoder("windows-1252");
        return QString(decoder.decode(body));
    }
    case Encoding::Kind::Utf16LE:
    case Encoding::Kind::Utf16BE: {
        if (body.size() % 2 && whole)
            return std::nullopt;
        const bool le = encoding.kind == Encoding::Kind::Utf16LE;
        QStringDecoder decoder(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::ConvertInitialBom);
        QString text = decoder.decode(body.first(body.size() & ~qsizetype(1)));
        if (!whole && !text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1);
        return decoder.hasError() || hasLoneSurrogate(text) ? std::nullopt : std::optional(text);
    }
    case Encoding::Kind::Named:
        break;
    }
    QStringDecoder decoder(encoding.name.constData(), QStringConverter::Flag::ConvertInitialBom);
    QStringEncoder encoder(encoding.name.constData());
    if (!decoder.isValid() || !encoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(body);
    if (!whole && !text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    if (decoder.hasError() || hasLoneSurrogate(text))
        return std::nullopt;
    const QByteArray back = encoder.encode(text);
    // A decoder holds back a character cut off at the sample's end.
    const bool same = whole ? back == body : body.startsWith(back) && body.size() - back.size() <= 4;
    return same && !encoder.hasError() ? std::optional(text) : std::nullopt;
}

// A reading with C1 controls is a wrong guess: no text uses them.
bool plausible(const QString &text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x80 && c.unicode() < 0xA0; });
}

// Signs of a reading in the wrong code page: characters beyond ASCII that are
// neither letters nor marks (symbols where letters belong), and capitals right
// after small letters inside a word ("dÚjÓ" for "déjà").
qsizetype oddCharacters(const QString &text)
{
    qsizetype odd = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        odd += c.unicode() >= 0x80 && !c.isLetter() && !c.isMark() && !c.isSpace();
        odd += i > 0 && c.isUpper() && text[i - 1].isLower() && (c.unicode() >= 0x80 || text[i - 1].unicode() >= 0x80);
    }
    return odd;
}

// UTF-16 without a mark, when NULs stand in every other byte as ASCII in UTF-16 puts them.
std::optional<Encoding> utf16ByNuls(QByteArrayView sample)
{
    const qsizetype units = sample.size() / 2;
    qsizetype nulLow = 0, nulHigh = 0;   // in the first and the second byte of a unit
    for (qsizetype i = 0; i < units * 2; i += 2) {
        nulLow += sample[i] == 0;
        nulHigh += sample[i + 1] == 0;
    }
    const auto pattern = [units](qsizetype nuls, qsizetype others) {
        return nuls > 0 && nuls * 32 >= units && others * 8 <= nuls;
    };
    if (pattern(nulHigh, nulLow))
        return Encoding{Encoding::Kind::Utf16LE, false, {}};
    if (pattern(nulLow, nulHigh))
        return Encoding{Encoding::Kind::Utf16BE, false, {}};
    return std::nullopt;
}

// Code pages that read most bytes alike; the detector often names the wrong member.
const QList<QList<QByteArray>> kFamilies = {
    {"WINDOWS-1252", "ISO-8859-1", "ISO-8859-15"}, {"WINDOWS-1250", "ISO-8859-2"}, {"WINDOWS-1253", "ISO-8859-7"},
    {"WINDOWS-1254", "ISO-8859-9"}, {"WINDOWS-1255", "ISO-8859-8"}, {"WINDOWS-1257", "ISO-8859-13"},
    {"KOI8-R", "KOI8-U"}, {"EUC-KR", "UHC", "WINDOWS-949"}, {"GB18030", "GB2312", "GBK"},
};

Encoding byName(const QByteArray &name)
{
    return Encoding::named(name).value_or(Encoding{Encoding::Kind::Named, false, name});
}

// The statistical detector's guess, then the other members of its family.
QList<Encoding> guesses(QByteArrayView sample)
{
    uchardet_t detector = uchardet_new();
    uchardet_handle_data(detector, sample.data(), size_t(sample.size()));
    uchardet_data_end(detector);
    const QByteArray guess = QByteArray(uchardet_get_charset(detector)).toUpper();
    uchardet_delete(detector);
    if (guess.isEmpty())
        return {};
    QList<Encoding> members{byName(guess == "ISO-8859-1" ? "WINDOWS-1252" : guess == "UHC" ? "EUC-KR" : guess)};
    for (const QList<QByteArray> &family : kFamilies)
        if (family.contains(guess))
            for (const QByteArray &name : family)
                // ISO-8859-1 and UHC are read by their supersets.
                if (name != "ISO-8859-1" && name != "UHC" && !members.contains(byName(name)))
                    members << byName(name);
    return members;
}

// Of the readings that give back the bytes and hold no C1 controls, the one with
// the fewest odd characters; on a tie the earlier. A member of the guess's family
// that reads the very same text as the guess goes first when it is a Windows code page.
std::optional<Encoding> likeliest(QByteArrayView sample, bool whole, const QList<Encoding> &tried,
                                  const QList<Encoding> &candidates)
{
    QList<std::tuple<qsizetype, Encoding, QString>> readings;
    for (const Encoding &e : candidates) {
        const std::optional<QString> text = tried.contains(e) ? std::nullopt : readBack(e, sample, whole);
        if (!text || !plausible(*text))
            continue;
        const bool sameAsFirst = !readings.isEmpty() && std::get<2>(readings.first()) == *text;
        const bool windows = e.name.startsWith("WINDOWS-125") || e.kind == Encoding::Kind::Windows1252;
        readings.insert(sameAsFirst && windows ? 0 : readings.size(), {oddCharacters(*text), e, *text});
    }
    std::stable_sort(readings.begin(), readings.end(),
                     [](const auto &a, const auto &b) { return std::get<0>(a) < std::get<0>(b); });
    return readings.isEmpty() ? std::nullopt : std::optional(std::get<1>(readings.first()));
}
}

bool fits(const Encoding &encoding, QByteArrayView sample, bool whole)
{
    return readBack(encoding, sample, whole).has_value();
}

Encoding detect(QByteArrayView sample, bool whole, const QList<Encoding> &tried,
                const std::optional<Encoding> &preferred)
{
    const auto usable = [&](const Encoding &e) { return !tried.contains(e) && fits(e, sample, whole); };
    if (preferred) {
        // The user's UTF-8 or UTF-16 keeps the mark the file has.
        Encoding marked = *preferred;
        marked.mark = marked.kind != Encoding::Kind::Named && marked.kind != Encoding::Kind::Windows1252;
        if (usable(marked))
            return marked;
        if (usable(*preferred))
            return *preferred;
    }
    for (const Encoding &e : {Encoding::Utf8Bom, Encoding::Utf16LE, Encoding::Utf16BE})
        if (usable(e))
            return e;
    if (const std::optional<Encoding> e = utf16ByNuls(sample); e && usable(*e))
        return *e;
    if (usable(Encoding::Utf8))
        return Encoding::Utf8;
    // The detector's guess and its family, the user's language's code page as the tie-breaker, Windows-1252 last.
    return likeliest(sample, whole, tried, guesses(sample) << localeCodePage() << Encoding::Windows1252)
        .value_or(Encoding::Windows1252);
}

Encoding localeCodePage()
{
    // A legacy locale names its own code set.
    const QByteArray codeset = QByteArray(nl_langinfo(CODESET)).toUpper();
    if (codeset != "UTF-8" && codeset != "ANSI_X3.4-1968")
        if (const std::optional<Encoding> e = Encoding::named(codeset))
            return *e;
    const QLocale locale = QLocale::system();
    switch (locale.language()) {
    case QLocale::Russian: case QLocale::Ukrainian: case QLocale::Belarusian: case QLocale::Bulgarian:
    case QLocale::Macedonian: case QLocale::Serbian:
        return byName("WINDOWS-1251");
    case QLocale::Polish: case QLocale::Czech: case QLocale::Slovak: case QLocale::Hungarian:
    case QLocale::Slovenian: case QLocale::Croatian: case QLocale::Romanian:
        return byName("WINDOWS-1250");
    case QLocale::Greek: return byName("WINDOWS-1253");
    case QLocale::Turkish: case QLocale::Azerbaijani: return byName("WINDOWS-1254");
    case QLocale::Hebrew: return byName("WINDOWS-1255");
    case QLocale::Arabic: case QLocale::Persian: case QLocale::Urdu: return byName("WINDOWS-1256");
    case QLocale::Lithuanian: case QLocale::Latvian: case QLocale::Estonian: return byName("WINDOWS-1257");
    case QLocale::Vietnamese: return byName("WINDOWS-1258");
    case QLocale::Thai: return byName("WINDOWS-874");
    case QLocale::Japanese: return byName("SHIFT_JIS");
    case QLocale::Korean: return byName("EUC-KR");
    case QLocale::Chinese:
        return byName(locale.script() == QLocale::TraditionalChineseScript ? "BIG5" : "GB18030");
    default:
        return Encoding::Windows1252;
    }
}

}
