#pragma once


#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>

// Small text routines shared by the component, its index and the editor.
namespace orb {

// The text without any carriage return.
QString cleanStr(const QString& text);
// The text with a carriage return before every line feed that lacks one.
QString restoreStr(const QString& text);
// The text without any "&", doubled ones included.
QString deleteAmpersand(const QString& text);
// True when the text holds nothing but blanks and control characters (code 32 or less).
bool isBlank(QStringView text);

// Simple Unicode case folding of one code point, the folding that
// QString::compare(..., Qt::CaseInsensitive) applies.
char32_t foldCase(char32_t codePoint);
// True when both texts are equal after case folding; allocates nothing.
bool equalsFolded(QStringView a, QStringView b);
// A hash of the case-folded text: texts equal under equalsFolded hash alike. Allocates nothing.
std::uint32_t foldedHash(QStringView text);

// Decodes UTF-8 the way QString::fromUtf8 does (a leading byte-order mark dropped); false,
// with out unspecified, when the bytes are not well-formed UTF-8.
bool decodeUtf8(QByteArrayView bytes, QString& out);

// True when the text is a valid XML 1.0 element name (and so can be a language identifier).
bool isValidXmlName(QStringView name);

// Whether an XML document can hold the character: tab, line feed, carriage return and the
// code points from U+0020 on, but for surrogates, U+FFFE and U+FFFF.
constexpr bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}
// The position of the first character of the text that a dictionary cannot hold (see
// isXmlChar; a surrogate without its partner is one), or -1 when there is none.
qsizetype firstNonXmlChar(QStringView text);

} // namespace orb
