// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/GraphemeClusters.h"
#include <QString>
#include <QTextBoundaryFinder>
#include <vector>

namespace graphemes {

namespace {
// The length of the valid UTF-8 sequence at text[i], or 0.
int sequenceAt(QByteArrayView text, qsizetype i, char32_t &cp)
{
    const auto b = [&](qsizetype k) { return uchar(text[k]); };
    const uchar lead = b(i);
    const int n = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
        : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
    if (n == 0 || i + n > text.size())
        return 0;
    cp = n == 1 ? lead : lead & (0x7F >> n);
    for (int k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    static constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = cp >= least[n] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    return valid ? n : 0;
}
}

qsizetype edge(QByteArrayView text, qsizetype pos, bool forward)
{
    // The text as UTF-16, with the byte offset of each code unit.
    QString s;
    std::vector<qsizetype> byteAt;
    s.reserve(text.size());
    byteAt.reserve(size_t(text.size()) + 1);
    qsizetype unitOfPos = -1;
    for (qsizetype i = 0; i < text.size();) {
        if (i == pos)
            unitOfPos = s.size();
        char32_t cp = 0;
        const int n = sequenceAt(text, i, cp);
        const QString ch = n ? QString::fromUcs4(&cp, 1) : QString(QChar::ReplacementCharacter);
        for (qsizetype k = 0; k < ch.size(); ++k)
            byteAt.push_back(i);
        s += ch;
        i += n ? n : 1;
    }
    if (pos == text.size())
        unitOfPos = s.size();
    byteAt.push_back(text.size());
    if (unitOfPos < 0)
        return pos;   // not on a code point
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    finder.setPosition(unitOfPos);
    if (finder.isAtBoundary())
        return pos;
    const qsizetype to = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
    return to < 0 ? pos : byteAt[size_t(to)];
}

}
