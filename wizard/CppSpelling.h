#pragma once

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <string_view>

// How C++ spells what the harvest reads, for the lexer (CppLexer.h) and the decoding of
// literals (CppLiteral.cpp) alike: the characters of names and blanks, the encoding prefixes
// of string literals and what closes a raw one.
namespace orb {

// What the scan needs to know of an ASCII character, from one table: whether it is part of a
// name (as every character from 128 on is) or a blank.
enum CharacterClass : std::uint8_t { kNameCharacter = 1, kBlankCharacter = 2 };
inline constexpr std::array<std::uint8_t, 128> kCharacterClasses = [] {
    std::array<std::uint8_t, 128> classes{};
    const auto add = [&](std::string_view characters, CharacterClass added) {
        for (const char ch : characters)
            classes[std::size_t(ch)] |= added;
    };
    add("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789", kNameCharacter);
    add(" \t\n\r\f\v", kBlankCharacter);
    return classes;
}();

inline bool isIdentifierChar(QChar ch)
{
    return ch.unicode() >= kCharacterClasses.size() || (kCharacterClasses[ch.unicode()] & kNameCharacter);
}

inline bool isSpace(QChar ch)
{
    return ch.unicode() < kCharacterClasses.size() && (kCharacterClasses[ch.unicode()] & kBlankCharacter);
}

inline bool isDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

template<typename Words>
bool isOneOf(QStringView name, const Words& words)
{
    // Most names are none: their lengths differ, which is told without comparing texts.
    return std::any_of(std::begin(words), std::end(words),
                       [&](QStringView word) { return word.size() == name.size() && word == name; });
}

// The encoding prefixes of a string literal and of a raw one.
inline constexpr QStringView kStringPrefixes[] = {u"u8", u"u", u"U", u"L"};
inline constexpr QStringView kRawPrefixes[] = {u"R", u"u8R", u"uR", u"UR", u"LR"};

// What closes a raw literal, ")delimiter\"", held in place: a delimiter has 16 characters at most.
inline constexpr qsizetype kLongestRawDelimiter = 16;
class RawLiteralClose
{
public:
    explicit RawLiteralClose(QStringView delimiter) : m_size(delimiter.size() + 2)
    {
        m_units[0] = u')';
        std::copy(delimiter.utf16(), delimiter.utf16() + delimiter.size(), m_units.begin() + 1);
        m_units[std::size_t(m_size - 1)] = u'"';
    }
    QStringView view() const { return QStringView(m_units.data(), m_size); }
    // Where it stands in text from from, or -1: looked for by its ")", a search faster than
    // one for the whole of it.
    qsizetype indexIn(QStringView text, qsizetype from) const
    {
        for (qsizetype pos = text.indexOf(u')', from); pos >= 0; pos = text.indexOf(u')', pos + 1)) {
            if (text.sliced(pos).startsWith(view()))
                return pos;
        }
        return -1;
    }

private:
    std::array<char16_t, kLongestRawDelimiter + 2> m_units;
    qsizetype m_size;
};

} // namespace orb
