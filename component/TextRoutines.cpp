#include "TextRoutines.h"

#include <QChar>

#include <array>

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

// Calls sink(unit) for every UTF-16 unit of the folded text.
template <typename Sink>
inline void forEachFoldedUnit(QStringView text, Sink&& sink)
{
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (!isSurrogate(c)) {
            sink(foldUnit(c));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, p[i + 1]));
            sink(QChar::highSurrogate(folded));
            sink(QChar::lowSurrogate(folded));
            ++i;
        } else {
            sink(c);
        }
    }
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
    qsizetype bareFeeds = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            ++bareFeeds;
    }
    if (bareFeeds == 0)
        return text;
    QString result;
    result.reserve(text.size() + bareFeeds);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            result += u'\r';
        result += text[i];
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
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
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

std::uint32_t foldedHash(QStringView text)
{
    // Four folded units are packed into one word per multiply, which keeps the hash of a
    // typical phrase to a handful of cycles.
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = std::uint64_t(text.size()) * k;
    std::uint64_t word = 0;
    int filled = 0;
    forEachFoldedUnit(text, [&](char16_t unit) {
        word |= std::uint64_t(unit) << (16 * filled);
        if (++filled == 4) {
            h = (h ^ word) * k;
            word = 0;
            filled = 0;
        }
    });
    if (filled)
        h = (h ^ word) * k;
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    return std::uint32_t(h);
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
