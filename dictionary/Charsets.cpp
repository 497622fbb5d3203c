#include "dictionary/Charsets.h"

#include <array>

namespace orb {

namespace {

constexpr std::array<CharsetEntry, 19> kList{{
    {"DEFAULT_CHARSET", 1, " "},
    {"ANSI_CHARSET", 0, "West, USA, Western Europe: Canada, Netherlands, Portugal, Brazil, Australia, New Zealand"},
    {"SYMBOL_CHARSET", 2, "Standard symbol charset"},
    {"MAC_CHARSET", 77, "Macintosh"},
    {"SHIFTJIS_CHARSET", 128, "Shift-JIS (Japanese Industry Standard) \"Katakana Extended\" Japan."},
    {"HANGEUL_CHARSET", 129, "Korea (Wansung)"},
    {"JOHAB_CHARSET", 130, "Korea (Johab)"},
    {"GB2312_CHARSET", 134, "Simplified Chinese - Mainland China(PRC) and Singapore"},
    {"CHINESEBIG5_CHARSET", 136, "Traditional Chinese - Taiwan and Hong Kong"},
    {"GREEK_CHARSET", 161, "Greek"},
    {"TURKISH_CHARSET", 162, "Turkish"},
    {"VIETNAMESE_CHARSET", 163, "Vietnamese"},
    {"HEBREW_CHARSET", 177, "Hebrew"},
    {"ARABIC_CHARSET", 178, "Arabic"},
    {"BALTIC_CHARSET", 186, "Baltic (Denmark, Norway, Finland, Sweden)"},
    {"RUSSIAN_CHARSET", 204, "Cyrillic Russia, Belarus, Ukraine and some other slavic countries"},
    {"THAI_CHARSET", 222, "Thai"},
    {"EASTEUROPE_CHARSET", 238,
     "Eastern Europe (Netherlands, Austria, Germany, Italy, Spain, Latin America, UK, Belgium, "
     "Canada, Switzerland, Icelandic, Romanian)"},
    {"OEM_CHARSET", 255, "Depends on the codepage of the operating system"},
}};

// Conversions walk the list with its first two entries swapped, so that number 0 and the
// name lookups meet ANSI_CHARSET before DEFAULT_CHARSET.
constexpr std::size_t lookupPosition(std::size_t i)
{
    return i == 0 ? 1 : i == 1 ? 0 : i;
}

} // namespace

std::span<const CharsetEntry> charsetList()
{
    return kList;
}

quint8 CharsetByName(const QString& name)
{
    for (std::size_t i = 0; i < kList.size(); ++i) {
        const CharsetEntry& entry = kList[lookupPosition(i)];
        if (name == QLatin1String(entry.name))
            return quint8(entry.number);
    }
    return 1;
}

QString CharsetName(int number)
{
    for (std::size_t i = 0; i < kList.size(); ++i) {
        const CharsetEntry& entry = kList[lookupPosition(i)];
        if (entry.number == number)
            return QString::fromLatin1(entry.name);
    }
    return QString();
}

} // namespace orb
