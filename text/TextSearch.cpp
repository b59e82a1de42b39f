// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TextSearch.h"
#include <QChar>
#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace textsearch {

namespace {

// Decoded value of a byte that starts no valid UTF-8 character: it matches
// only the same byte, and never a character.
constexpr char32_t InvalidByte = 0x80000000u;

// Case classes: every character that one of Unicode's simple case mappings
// links to another gets the smallest character of its class as its key.
class CaseClasses
{
public:
    CaseClasses()
    {
        for (char32_t c = 0; c <= char32_t(QChar::LastValidCodePoint); ++c) {
            for (char32_t m : {QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c), QChar::toCaseFolded(c)}) {
                if (m != c)
                    link(c, m);
            }
        }
        // Qt leaves U+0130 unmapped because its full lowercase is two
        // characters; its simple lowercase is i.
        link(0x130, U'i');

        m_bmp.resize(0x10000);
        for (char32_t c = 0; c < 0x10000; ++c)
            m_bmp[c] = char16_t(c);
        for (const auto &[c, unused] : m_parent) {
            Q_UNUSED(unused);
            const char32_t r = root(c);
            // Classes never mix the BMP with the planes beyond; a key of a BMP
            // character is the smallest of its class, so it stays in the BMP.
            if (c < 0x10000)
                m_bmp[c] = char16_t(r);
            else if (r != c)
                m_astral.emplace_back(c, r);
            m_members[r].push_back(c);
        }
        std::sort(m_astral.begin(), m_astral.end());
        for (auto &[key, members] : m_members)
            std::sort(members.begin(), members.end());
        m_parent.clear();
    }

    char32_t key(char32_t c) const
    {
        if (c < 0x10000)
            return m_bmp[c];
        if (c & InvalidByte)
            return c;
        const auto it = std::lower_bound(m_astral.begin(), m_astral.end(), std::pair<char32_t, char32_t>(c, 0));
        return it != m_astral.end() && it->first == c ? it->second : c;
    }

    // Every character whose key is `key` (`key` itself when it has no other case).
    std::vector<char32_t> members(char32_t key) const
    {
        const auto it = m_members.find(key);
        return it != m_members.end() ? it->second : std::vector<char32_t>{key};
    }

private:
    char32_t root(char32_t c)
    {
        auto it = m_parent.try_emplace(c, c).first;
        char32_t r = c;
        while (m_parent[r] != r)
            r = m_parent[r];
        while (it->second != r) {
            const char32_t next = it->second;
            it->second = r;
            it = m_parent.find(next);
        }
        return r;
    }

    void link(char32_t a, char32_t b)
    {
        a = root(a);
        b = root(b);
        if (a != b)
            m_parent[std::max(a, b)] = std::min(a, b);
    }

    std::unordered_map<char32_t, char32_t> m_parent;   // only while building
    std::vector<char16_t> m_bmp;
    std::vector<std::pair<char32_t, char32_t>> m_astral;
    std::unordered_map<char32_t, std::vector<char32_t>> m_members;
};

const CaseClasses &classes()
{
    static const CaseClasses table;
    return table;
}

// One character at p (p < end): its value and length in bytes. Overlong forms,
// surrogates and truncated sequences are invalid: their first byte is a unit of
// its own.
inline int decode(const uchar *p, const uchar *end, char32_t &c)
{
    const uchar b = *p;
    if (b < 0x80) {
        c = b;
        return 1;
    }
    int n = 0;
    char32_t least = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2, c = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3, c = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4, c = b & 0x07, least = 0x10000;
    } else {
        c = InvalidByte | b;
        return 1;
    }
    if (end - p < n) {
        c = InvalidByte | b;
        return 1;
    }
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            c = InvalidByte | b;
            return 1;
        }
        c = (c << 6) | (p[i] & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = InvalidByte | b;
        return 1;
    }
    return n;
}

inline uchar leadByte(char32_t c)
{
    if (c < 0x80)
        return uchar(c);
    if (c < 0x800)
        return uchar(0xC0 | (c >> 6));
    if (c < 0x10000)
        return uchar(0xE0 | (c >> 12));
    return uchar(0xF0 | (c >> 18));
}

inline uchar lastByte(char32_t c) { return c < 0x80 ? uchar(c) : uchar(0x80 | (c & 0x3F)); }

// The end of the hit when the keys match from p on, else null.
const uchar *matchAt(const uchar *p, const uchar *end, const std::vector<char32_t> &keys, const CaseClasses &cc)
{
    for (char32_t k : keys) {
        if (p == end)
            return nullptr;
        char32_t c;
        const int n = decode(p, end, c);
        if (cc.key(c) != k)
            return nullptr;
        p += n;
    }
    return p;
}

Match findBinary(QByteArrayView text, QByteArrayView what)
{
#if defined(__GLIBC__) || defined(__APPLE__) || defined(__FreeBSD__)
    const void *hit = memmem(text.data(), size_t(text.size()), what.data(), size_t(what.size()));
    if (!hit)
        return {};
    const qint64 at = static_cast<const char *>(hit) - text.data();
#else
    const size_t found = std::string_view(text.data(), size_t(text.size())).find(std::string_view(what.data(), size_t(what.size())));
    if (found == std::string_view::npos)
        return {};
    const qint64 at = qint64(found);
#endif
    return {at, at + what.size()};
}

Match findText(QByteArrayView text, QByteArrayView what)
{
    const CaseClasses &cc = classes();
    const auto *begin = reinterpret_cast<const uchar *>(text.data());
    const uchar *end = begin + text.size();

    std::vector<char32_t> keys;
    const auto *w = reinterpret_cast<const uchar *>(what.data());
    for (const uchar *p = w, *e = w + what.size(); p < e;) {
        char32_t c;
        p += decode(p, e, c);
        keys.push_back(cc.key(c));
    }

    // A hit can only start with a byte that starts some case of the first
    // character: scan for those with memchr, one stream per byte, and check
    // the candidates in the order of the text.
    struct Stream {
        uchar byte;
        const uchar *at;
    };
    std::vector<Stream> streams;
    if (keys.front() & InvalidByte) {
        streams.push_back({uchar(keys.front()), nullptr});
    } else {
        for (char32_t m : cc.members(keys.front())) {
            const uchar b = leadByte(m);
            if (std::none_of(streams.begin(), streams.end(), [b](const Stream &s) { return s.byte == b; }))
                streams.push_back({b, nullptr});
        }
    }
    auto next = [end](uchar b, const uchar *from) {
        const void *q = std::memchr(from, b, size_t(end - from));
        return q ? static_cast<const uchar *>(q) : end;
    };
    for (Stream &s : streams)
        s.at = next(s.byte, begin);
    for (;;) {
        Stream *first = &*std::min_element(streams.begin(), streams.end(),
                                           [](const Stream &a, const Stream &b) { return a.at < b.at; });
        if (first->at == end)
            return {};
        if (const uchar *hitEnd = matchAt(first->at, end, keys, cc))
            return {first->at - begin, hitEnd - begin};
        first->at = next(first->byte, first->at + 1);
    }
}

}

char32_t caseKey(char32_t c) { return classes().key(c); }

Joints::Joints(QByteArrayView what, Compare compare)
{
    const auto *w = reinterpret_cast<const uchar *>(what.data());
    if (compare == Compare::Binary) {
        for (qsizetype i = 1; i < what.size(); ++i)
            m_pairs.set(size_t(w[i - 1]) << 8 | w[i]);
        return;
    }
    // Any case of one character, then any case of the next: the last byte of one and the
    // first of the other. An invalid byte is only itself.
    const CaseClasses &cc = classes();
    std::vector<std::pair<uchar, uchar>> before, now;   // first and last bytes
    for (const uchar *p = w, *e = w + what.size(); p < e;) {
        char32_t c;
        p += decode(p, e, c);
        now.clear();
        if (c & InvalidByte)
            now.emplace_back(uchar(c), uchar(c));
        else
            for (char32_t m : cc.members(cc.key(c)))
                now.emplace_back(leadByte(m), lastByte(m));
        for (const auto &a : before) {
            for (const auto &b : now)
                m_pairs.set(size_t(a.second) << 8 | b.first);
        }
        std::swap(before, now);
    }
}

Match findUtf8(QByteArrayView text, QByteArrayView what, Compare compare)
{
    if (text.isEmpty())
        return {};
    if (what.isEmpty())
        return {0, 0};
    return compare == Compare::Binary ? findBinary(text, what) : findText(text, what);
}

}
