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

} // namespace orb
