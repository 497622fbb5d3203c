#include "component/TextRoutines.h"

#include <QChar>

#include <array>
#include <cstring>

namespace orb {

namespace {

bool isSurrogate(char16_t c) { return (c & 0xF800) == 0xD800; }

// Folding of every BMP code unit, looked up once per character on the hot path of every
// lookup; QChar::toCaseFolded is an out-of-line call and would cost several times more.
// Simple case folding keeps BMP characters in the BMP, so the fold of a UTF-16 string that
// holds no surrogates is the fold of each unit.
struct BmpFoldTable
{
    std::array<char16_t, 0x10000> units{};
    BmpFoldTable()
    {
        for (char32_t c = 0; c < 0x10000; ++c) {
            const char32_t folded = QChar::toCaseFolded(c);
            units[c] = folded < 0x10000 ? char16_t(folded) : char16_t(c);
        }
    }
};

const BmpFoldTable bmpFold;

inline char16_t foldUnit(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return bmpFold.units[c];
}

bool equalsFoldedByCodePoint(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    const qsizetype n = a.size(), m = b.size();
    auto next = [](QStringView s, qsizetype& k) -> char32_t {
        const char16_t c = s[k].unicode();
        if (QChar::isHighSurrogate(c) && k + 1 < s.size() && QChar::isLowSurrogate(s[k + 1].unicode())) {
            const char32_t cp = QChar::surrogateToUcs4(c, s[k + 1].unicode());
            k += 2;
            return QChar::toCaseFolded(cp);
        }
        ++k;
        return isSurrogate(c) ? char32_t(c) : char32_t(foldUnit(c));
    };
    while (i < n && j < m) {
        if (next(a, i) != next(b, j))
            return false;
    }
    return i == n && j == m;
}

bool isNameStartChar(char32_t c)
{
    return c == ':' || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z')
        || (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF)
        || (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF)
        || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F)
        || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF)
        || (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(char32_t c)
{
    return isNameStartChar(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7
        || (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

} // namespace

QString cleanStr(const QString& text)
{
    if (!text.contains(u'\r'))
        return text;
    QString result = text;
    result.remove(u'\r');
    return result;
}

QString restoreStr(const QString& text)
{
    const qsizetype firstFeed = text.indexOf(u'\n');
    if (firstFeed < 0)
        return text;
    qsizetype bareFeeds = 0;
    for (qsizetype i = firstFeed; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            ++bareFeeds;
    }
    if (bareFeeds == 0)
        return text;
    // Every multi-line hit comes through here: fill the result in place rather than
    // appending unit by unit.
    QString result(text.size() + bareFeeds, Qt::Uninitialized);
    const char16_t* from = QStringView(text).utf16();
    char16_t* to = reinterpret_cast<char16_t*>(result.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (from[i] == u'\n' && (i == 0 || from[i - 1] != u'\r'))
            *to++ = u'\r';
        *to++ = from[i];
    }
    return result;
}

QString deleteAmpersand(const QString& text)
{
    if (!text.contains(u'&'))
        return text;
    QString result = text;
    result.remove(u'&');
    return result;
}

bool isBlank(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() > u' ')
            return false;
    }
    return true;
}

char32_t foldCase(char32_t codePoint)
{
    if (codePoint < 0x10000 && !isSurrogate(char16_t(codePoint)))
        return foldUnit(char16_t(codePoint));
    return QChar::toCaseFolded(codePoint);
}

bool equalsFolded(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    if (a.isEmpty())
        return true; // a null text has no characters to point at, and memcmp wants a pointer
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
    // A hit compares a text with itself, or with the same text spelt alike: settle that at
    // memcmp speed before folding anything.
    if (std::memcmp(pa, pb, std::size_t(a.size()) * sizeof(char16_t)) == 0)
        return true;
    for (qsizetype i = 0, n = a.size(); i < n; ++i) {
        const char16_t x = pa[i], y = pb[i];
        if (x == y)
            continue;
        if (isSurrogate(x) || isSurrogate(y))
            return equalsFoldedByCodePoint(a, b);
        if (foldUnit(x) != foldUnit(y))
            return false;
    }
    return true;
}

namespace {

// Two words per step on two lanes of their own: the multiplications of one lane do not wait
// for the other's, which halves the chain a long text has to go through.
constexpr std::uint64_t kLaneA = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t kLaneB = 0xC2B2AE3D27D4EB4Full;

struct HashLanes
{
    std::uint64_t a;
    std::uint64_t b = kLaneB;

    explicit HashLanes(qsizetype length) : a(std::uint64_t(length) * kLaneA) {}
    void step(std::uint64_t first, std::uint64_t second)
    {
        a = (a ^ first) * kLaneA;
        b = (b ^ second) * kLaneB;
    }
    std::uint32_t finish() const
    {
        std::uint64_t h = a ^ (b >> 29) ^ (b << 35);
        h ^= h >> 32;
        h *= 0xD6E8FEB86659FD93ull;
        h ^= h >> 32;
        return std::uint32_t(h);
    }
};

// Four units of a word folded. This runs for every cell of a dictionary being loaded and for
// every lookup: four ASCII units are folded together with a SWAR trick, other units take one
// table load each. Surrogates are left as they are and reported through seen.
inline std::uint64_t foldWord(std::uint64_t w, unsigned& seen)
{
    if ((w & 0xFF80FF80FF80FF80ull) == 0) {
        constexpr std::uint64_t lanes7 = 0x0080008000800080ull;
        const std::uint64_t atLeastA = (w + 0x003F003F003F003Full) & lanes7;
        const std::uint64_t pastZ = (w + 0x0025002500250025ull) & lanes7;
        return w | ((atLeastA & ~pastZ) >> 2); // 0x80 >> 2 is the case bit 0x20
    }
    std::uint64_t folded = 0;
    for (int shift = 0; shift < 64; shift += 16) {
        const char16_t c = char16_t(w >> shift);
        seen |= unsigned(isSurrogate(c));
        folded |= std::uint64_t(bmpFold.units[c]) << shift;
    }
    return folded;
}

// Up to four units in a word, zeros after them (a zero folds to itself).
inline std::uint64_t partialWord(const char16_t* p, qsizetype count)
{
    std::uint64_t w = 0;
    for (qsizetype j = 0; j < count; ++j)
        w |= std::uint64_t(p[j]) << (16 * j);
    return w;
}

// Folds the units [from, to) of a text that holds surrogates into out and returns how many
// were written: pairs are folded as code points, lone surrogates kept.
qsizetype foldCodePoints(const char16_t* p, qsizetype from, qsizetype to, char16_t* out)
{
    qsizetype k = 0;
    for (qsizetype i = from; i < to; ++i) {
        const char16_t c = p[i];
        if (QChar::isHighSurrogate(c) && i + 1 < to && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, p[i + 1]));
            out[k++] = QChar::highSurrogate(folded);
            out[k++] = QChar::lowSurrogate(folded);
            ++i;
        } else {
            out[k++] = isSurrogate(c) ? c : foldUnit(c);
        }
    }
    return k;
}

// The hash of a text that holds surrogates, which are folded as code points. The text is
// folded a block at a time into a buffer; a block never ends between the halves of a
// surrogate pair, so texts equal under folding are cut and folded alike.
std::uint32_t foldedHashByCodePoint(const char16_t* p, qsizetype n)
{
    constexpr qsizetype block = 64;
    HashLanes lanes(n);
    // Room for a block lengthened by a pair's second half, and for the padding of the last step.
    char16_t folded[block + 1 + 7];
    for (qsizetype from = 0; from < n;) {
        qsizetype to = std::min(n, from + block);
        if (to < n && QChar::isHighSurrogate(p[to - 1]))
            ++to;
        const qsizetype k = foldCodePoints(p, from, to, folded);
        for (qsizetype pad = k; pad % 8 != 0; ++pad)
            folded[pad] = 0;
        for (qsizetype i = 0; i < k; i += 8) {
            std::uint64_t words[2];
            std::memcpy(words, folded + i, sizeof words);
            lanes.step(words[0], words[1]);
        }
        from = to;
    }
    return lanes.finish();
}

} // namespace

std::uint32_t foldedHash(QStringView text)
{
    // Every unit counts: hosts learn formatted texts by the thousand ("Record 1234 of 99999
    // saved to ..."), of one length and alike at both ends, and a hash of the ends alone
    // would put them all on one probe run. Units are folded four to a word in registers and
    // hashed word by word, straight from the text; the rare text with surrogates starts over
    // by code point.
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    HashLanes lanes(n);
    unsigned surrogates = 0;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t words[2];
        std::memcpy(words, p + i, sizeof words);
        lanes.step(foldWord(words[0], surrogates), foldWord(words[1], surrogates));
    }
    if (i < n) {
        const qsizetype left = n - i;
        const std::uint64_t first = foldWord(partialWord(p + i, std::min<qsizetype>(left, 4)), surrogates);
        const std::uint64_t second = left > 4 ? foldWord(partialWord(p + i + 4, left - 4), surrogates) : 0;
        lanes.step(first, second);
    }
    return surrogates ? foldedHashByCodePoint(p, n) : lanes.finish();
}

bool decodeUtf8(QByteArrayView bytes, QString& out)
{
    // Every cell of a dictionary comes through here, and most of them are not ASCII: one
    // pass decodes and checks, where QString::fromUtf8 followed by a check would take two,
    // the first of them slow for anything outside ASCII.
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* end = p + bytes.size();
    if (end - p >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        p += 3;
    if (p == end) {
        out = QString::fromUtf8(bytes);
        return true;
    }
    QString result(end - p, Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(result.data());
    char16_t* to = begin;
    auto continuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
    while (p < end) {
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if ((word & 0x8080808080808080ull) == 0) {
                for (int i = 0; i < 8; ++i)
                    to[i] = p[i];
                p += 8;
                to += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        const std::ptrdiff_t left = end - p;
        if (c < 0x80) {
            *to++ = c;
            p += 1;
        } else if (c < 0xC2) { // a stray continuation byte, or an overlong two-byte form
            return false;
        } else if (c < 0xE0) {
            if (left < 2 || !continuation(p[1]))
                return false;
            *to++ = char16_t(((c & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        } else if (c < 0xF0) {
            // E0 would be overlong below A0; ED above 9F would be a surrogate.
            const unsigned char low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
            if (left < 3 || p[1] < low || p[1] > high || !continuation(p[2]))
                return false;
            *to++ = char16_t(((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            p += 3;
        } else if (c < 0xF5) {
            // F0 would be overlong below 90; F4 above 8F would pass U+10FFFF.
            const unsigned char low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
            if (left < 4 || p[1] < low || p[1] > high || !continuation(p[2]) || !continuation(p[3]))
                return false;
            const char32_t codePoint =
                ((c & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) | (p[3] & 0x3F);
            *to++ = QChar::highSurrogate(codePoint);
            *to++ = QChar::lowSurrogate(codePoint);
            p += 4;
        } else {
            return false;
        }
    }
    result.resize(to - begin);
    out = std::move(result);
    return true;
}

qsizetype firstNonXmlChar(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c < 0xD800)
            continue;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (isSurrogate(c) || !isXmlChar(c))
            return i;
    }
    return -1;
}

bool isValidXmlName(QStringView name)
{
    if (name.isEmpty())
        return false;
    bool first = true;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), name[i + 1].unicode());
            ++i;
        } else if (isSurrogate(char16_t(c))) {
            return false;
        }
        if (first ? !isNameStartChar(c) : !isNameChar(c))
            return false;
        first = false;
    }
    return true;
}

} // namespace orb
