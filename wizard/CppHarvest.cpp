#include "CppHarvest.h"

#include "CppContexts.h"
#include "CppInclude.h"
#include "HarvestLoop.h"
#include "UnitSearch.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace {

constexpr QStringView kCallOpen = u"Translate(";
constexpr QStringView kCallClose = u")";
constexpr QStringView kHeaderName = u"OrbTranslate.h";

// What the scan needs to know of an ASCII character, from one table: whether it is part of a
// name (as every character from 128 on is) or a blank.
enum CharacterClass : std::uint8_t { kName = 1, kBlank = 2 };
constexpr std::array<std::uint8_t, 128> kClasses = [] {
    std::array<std::uint8_t, 128> classes{};
    const auto add = [&](std::string_view characters, CharacterClass added) {
        for (const char ch : characters)
            classes[std::size_t(ch)] |= added;
    };
    add("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789", kName);
    add(" \t\n\r\f\v", kBlank);
    return classes;
}();

bool isIdentifierChar(QChar ch)
{
    return ch.unicode() >= kClasses.size() || (kClasses[ch.unicode()] & kName);
}

bool isSpace(QChar ch)
{
    return ch.unicode() < kClasses.size() && (kClasses[ch.unicode()] & kBlank);
}

// The encoding prefixes of a string literal and of a raw one.
const QStringView kStringPrefixes[] = {u"u8", u"u", u"U", u"L"};
const QStringView kRawPrefixes[] = {u"R", u"u8R", u"uR", u"UR", u"LR"};

// What closes a raw literal, ")delimiter\"", held in place: a delimiter has 16 characters at most.
constexpr qsizetype kLongestRawDelimiter = 16;
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

template<typename Words>
bool isOneOf(QStringView name, const Words& words)
{
    // Most names are none: their lengths differ, which is told without comparing texts.
    return std::any_of(std::begin(words), std::end(words),
                       [&](QStringView word) { return word.size() == name.size() && word == name; });
}

// The prefix of a literal whose numeric escapes are bytes of UTF-8 (none, or u8).
bool isNarrowPrefix(QStringView prefix)
{
    return prefix == u"u8" || !isOneOf(prefix, kStringPrefixes);
}

// The calls a literal may stand in that only turn it into a string type: the literal's callee
// is the call around them. A rewrite wraps the first ones whole.
const QStringView kWrappedWhole[] = {u"QStringLiteral", u"QLatin1String", u"QLatin1StringView"};
const QStringView kWrappers[] = {u"QStringLiteral", u"QLatin1String", u"QLatin1StringView", u"QByteArrayLiteral",
                                 u"QString", u"QStringView", u"QLatin1Char", u"fromUtf8", u"fromLatin1",
                                 u"fromLocal8Bit", u"QByteArray"};

// The text from start to end is word: names are compared where they stand, never copied.
bool spells(const EditedText& text, qsizetype start, qsizetype end, QStringView word)
{
    return end - start == word.size() && text.matchesAt(start, word);
}

template<typename Words>
bool spellsOneOf(const EditedText& text, qsizetype start, qsizetype end, const Words& words)
{
    return std::any_of(std::begin(words), std::end(words),
                       [&](QStringView word) { return spells(text, start, end, word); });
}

// The calls that translate their argument at that index; a literal at another index of them
// (a context, a disambiguation, a count) is neither offered nor harvested.
struct TranslatingCall
{
    QStringView name;
    int textArgument;
};
const TranslatingCall kTranslatingCalls[] = {
    {u"Translate", 0},           {u"tr", 0},
    {u"trUtf8", 0},              {u"QT_TR_NOOP", 0},
    {u"QT_TR_N_NOOP", 0},        {u"QT_TR_NOOP_UTF8", 0},
    {u"translate", 1},           {u"QT_TRANSLATE_NOOP", 1},
    {u"QT_TRANSLATE_N_NOOP", 1}, {u"QT_TRANSLATE_NOOP3", 1},
    {u"QT_TRANSLATE_NOOP_UTF8", 1}, {u"QT_TRID_NOOP", -1},
    {u"qtTrId", -1},             {u"QT_TRID_N_NOOP", -1},
};
// Logging statements: what is streamed into them up to the end of the statement is a key.
// Each head begins with "q" and is a macro that is always called.
const QStringView kLoggingHeads[] = {u"qDebug", u"qInfo", u"qWarning", u"qCritical", u"qFatal",
                                     u"qCDebug", u"qCInfo", u"qCWarning", u"qCCritical"};



// A text without blanks that reads as an identifier, a path, a file or an object name
// ("mainWindow/geometry", "notes.lng", "org.example"), not as words for a user.
bool looksLikeKey(QStringView phrase)
{
    bool separated = false;
    for (qsizetype i = 0; i < phrase.size(); ++i) {
        const QChar ch = phrase[i];
        if (ch.isSpace())
            return false;
        if (ch == u'/' || ch == u'\\' || ch == u'_' || ch == u':' || ch == u'.') {
            if (i > 0 && i + 1 < phrase.size() && phrase[i - 1].isLetterOrNumber() && phrase[i + 1].isLetterOrNumber())
                separated = true;
        } else if (ch.isUpper() && i > 0 && phrase[i - 1].isLower()) {
            separated = true; // camelCase
        }
    }
    return separated;
}

bool holdsNonAscii(QStringView phrase)
{
    return std::any_of(phrase.begin(), phrase.end(), [](QChar ch) { return ch.unicode() >= 128; });
}

bool holdsLetter(QStringView phrase)
{
    return std::any_of(phrase.begin(), phrase.end(), [](QChar ch) { return ch.isLetter(); });
}

int hexValue(QChar ch)
{
    if (ch >= u'0' && ch <= u'9')
        return ch.unicode() - u'0';
    if (ch >= u'a' && ch <= u'f')
        return ch.unicode() - u'a' + 10;
    if (ch >= u'A' && ch <= u'F')
        return ch.unicode() - u'A' + 10;
    return -1;
}

void appendCodePoint(QString& text, char32_t code)
{
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = QChar::ReplacementCharacter;
    text += QString::fromUcs4(&code, 1);
}

// The text of one literal's body (between its quotes), escapes resolved. In a narrow literal
// (no prefix, or u8) numeric escapes are bytes of UTF-8; in the others, code units.
void decodeEscapes(QStringView body, bool narrow, QString& text)
{
    QByteArray bytes; // narrow numeric escapes waiting to be decoded together
    const auto flush = [&] {
        if (!bytes.isEmpty())
            text += QString::fromUtf8(bytes);
        bytes.clear();
    };
    for (qsizetype i = 0; i < body.size(); ++i) {
        // The text up to the next escape goes in at once; a backslash that ends the body is text.
        qsizetype escape = body.indexOf(u'\\', i);
        if (escape < 0 || escape + 1 == body.size())
            escape = body.size();
        if (escape > i) {
            flush();
            text += body.sliced(i, escape - i);
            i = escape - 1;
            continue;
        }
        const QChar next = body[++i];
        char32_t code = 0;
        bool numeric = true;
        if (next == u'x') {
            qsizetype digits = 0;
            while (i + 1 < body.size() && hexValue(body[i + 1]) >= 0 && digits < 8) {
                code = code * 16 + char32_t(hexValue(body[++i]));
                ++digits;
            }
        } else if (next >= u'0' && next <= u'7') {
            code = next.unicode() - u'0';
            for (int digits = 1; digits < 3 && i + 1 < body.size() && body[i + 1] >= u'0' && body[i + 1] <= u'7'; ++digits)
                code = code * 8 + char32_t(body[++i].unicode() - u'0');
        } else if (next == u'u' || next == u'U') {
            const qsizetype digits = next == u'u' ? 4 : 8;
            for (qsizetype d = 0; d < digits && i + 1 < body.size() && hexValue(body[i + 1]) >= 0; ++d)
                code = code * 16 + char32_t(hexValue(body[++i]));
            flush();
            appendCodePoint(text, code);
            continue;
        } else {
            numeric = false;
        }
        if (numeric) {
            if (narrow && code < 256) {
                bytes += char(code);
            } else {
                flush();
                appendCodePoint(text, code);
            }
            continue;
        }
        flush();
        switch (next.unicode()) {
        case u'n': text += u'\n'; break;
        case u't': text += u'\t'; break;
        case u'r': text += u'\r'; break;
        case u'a': text += u'\a'; break;
        case u'b': text += u'\b'; break;
        case u'f': text += u'\f'; break;
        case u'v': text += u'\v'; break;
        case u'\n': break; // a line continued
        default: text += next; // \\ \' \" \? and escapes no compiler knows
        }
    }
    flush();
}

// One string literal token.
struct LiteralToken
{
    qsizetype start = 0;  // its prefix's first character
    qsizetype end = 0;    // after its closing quote or delimiter, and its suffix
    bool closed = false;  // an unterminated literal is no candidate
    bool escaped = false; // its body holds a backslash (a raw one never does)
    qsizetype bodyStart = 0;
    qsizetype bodyEnd = 0;
};

// What the name in front of a parenthesis makes of the literals inside, looked up once the
// first literal inside asks.
enum class Callee : std::uint8_t {
    Unknown,      // not looked up yet
    Unnamed,      // a parenthesis without a name: a cast, a condition, a grouping
    WrappedWhole, // QStringLiteral and its kin, which a rewrite wraps whole
    Wrapper,      // a call that only turns its literal into a string type
    Translating,  // a call that translates its argument at Frame::textArgument
    Key,          // a call that takes keys (CppKeyRules)
    Other,
};

// An open parenthesis or brace and the name in front of it, by its place in the text:
// qualifiers from nameStart ("QObject::tr"), the last component from lastStart ("tr").
struct Frame
{
    qsizetype nameStart = 0;
    qsizetype lastStart = 0;
    qsizetype nameEnd = 0; // lastStart when the parenthesis has no name before it
    int argument = 0;      // the index of the argument being read
    bool brace = false;    // a block: calls outside it are not the callee of what is inside
    bool list = false;     // a brace that is a list given to a call, f(a, {b, c}): it is the callee
    Callee callee = Callee::Unknown;
    int textArgument = 0;  // of a Translating callee
    bool named() const { return nameEnd > lastStart; }
};

bool isDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

// Reading plain code backwards (CppLexer::settleName), by indexes into it: where the name
// ending at end starts, where the blanks before end start.
qsizetype nameStartBefore(QStringView code, qsizetype end)
{
    while (end > 0 && isIdentifierChar(code[end - 1]))
        --end;
    return end;
}

qsizetype lastNonBlankBefore(QStringView code, qsizetype end)
{
    while (end > 0 && isSpace(code[end - 1]))
        --end;
    return end;
}

// The code before end ends in a "::" that can follow a name: colons pair from the left, and a
// second "::" follows none.
bool endsInScope(QStringView code, qsizetype end)
{
    qsizetype colons = end;
    while (colons > 0 && code[colons - 1] == u':')
        --colons;
    return end - colons == 2;
}

// The tokenizer over a text that grows behind it. It stops at each string-literal expression
// (adjacent literals joined) and says where it stands.
class CppLexer
{
public:
    explicit CppLexer(const EditedText& text) : m_text(text), m_units(text.units()) {}

    struct Literal
    {
        Selection source;
        bool closed;
        // The one literal's body, when it is its phrase as it stands (no escapes to resolve).
        std::optional<Selection> verbatim;
        qsizetype follower = 0; // the position after it and the blanks that follow it
    };

    // Moves to the next literal (literal()), or to the end of the text: false.
    bool next()
    {
        for (m_pos = nextStop(m_pos); m_pos < m_units.size(); m_pos = nextStop(m_pos)) {
            const char16_t ch = m_blockUnits[m_pos - m_blockStart]; // nextStop's block holds it
            if (ch == u'"') {
                readLiteralAtQuote(); // into m_literal, which literal() lends: no copy of it
                return true;
            }
            if (ch == u')' || ch == u'}' || ch == u',') {
                closeOrSeparate(ch); // the most frequent stops, kept out of readToken's call
                m_plainStart = m_pos;
            } else if (readToken(ch)) {
                m_plainStart = m_pos;
            }
        }
        return false;
    }

    const Literal& literal() const { return m_literal; }
    // The literal stands in a preprocessor line (a macro's definition, an #if).
    bool inDirective() const { return m_literal.source.start < m_directiveEnd; }

    std::vector<Frame>& frames() { return m_frames; }
    bool inLoggingStatement() const { return m_loggingDepth >= 0; }
    // The token before the literal was "extern" or "operator".
    bool afterLinkageOrOperator() const
    {
        return m_nameEnd >= 0
            && (spells(m_text, m_lastStart, m_nameEnd, u"extern") || spells(m_text, m_lastStart, m_nameEnd, u"operator"));
    }
    // The literal is compared with "==" or "!=", a value the code looks for, which a translation
    // would no longer match, or stands alone in "[...]", a key (json["name"]).
    bool literalComparedOrSubscript() const
    {
        const Selection& source = m_literal.source;
        qsizetype before = source.start;
        while (before > 0 && isSpace(m_units.at(before - 1)))
            --before;
        return (before >= 2 && isComparison(before - 2)) || isComparison(m_literal.follower)
            || (m_units.at(before - 1) == u'[' && m_units.at(m_literal.follower) == u']');
    }
    // Moves on to pos (after the literal, or after a rewrite of it, which changed the text).
    void continueAt(qsizetype pos)
    {
        m_units = m_text.units();
        m_blockEnd = m_blockStart; // its stops were found in the text before the change
        m_pos = pos;
        m_plainStart = pos;
        // A name looked up before may have moved since.
        for (Frame& frame : m_frames)
            frame.callee = Callee::Unknown;
    }
    // "==" or "!=" at pos, no third "=" after it.
    bool isComparison(qsizetype pos) const
    {
        const QChar first = m_units.at(pos);
        return (first == u'=' || first == u'!') && m_units.at(pos + 1) == u'=' && m_units.at(pos + 2) != u'='
            && (pos == 0 || (m_units.at(pos - 1) != u'=' && m_units.at(pos - 1) != u'!' && m_units.at(pos - 1) != u'<'
                             && m_units.at(pos - 1) != u'>'));
    }
    // The position after the whitespace, comments and spliced line breaks from pos.
    qsizetype skipBlanks(qsizetype pos) const
    {
        while (pos < m_units.size()) {
            if (isSpace(m_units.at(pos))) {
                ++pos;
            } else if (m_units.at(pos) == u'\\' && m_units.at(pos + 1) == u'\n') {
                pos += 2; // a macro's definition goes on on the next line
            } else if (const qsizetype end = commentEnd(pos); end > pos) {
                pos = end;
            } else {
                break;
            }
        }
        return pos;
    }
    // The innermost parenthesis is closed by a rewrite.
    void popFrame()
    {
        if (!m_frames.empty())
            m_frames.pop_back();
    }
    // The text from start to end, read in place when the gap is not inside it.
    QStringView textOf(qsizetype start, qsizetype end, QString& copy) const
    {
        const QStringView segment = m_units.segmentFrom(start);
        if (end - start <= segment.size())
            return segment.first(end - start);
        copy = m_text.mid(start, end - start);
        return copy;
    }

private:
    // The first position from pos whose unit does not pass, or the end of the text: a loop
    // through a pointer, piece by piece of the text's storage.
    // passes is called with a pointer to the unit and one to where its piece begins.
    template<typename Passes>
    qsizetype skipWhile(qsizetype pos, Passes passes) const
    {
        while (pos < m_units.size()) {
            const QStringView segment = m_units.segmentFrom(pos);
            const char16_t* const begin = segment.utf16();
            const char16_t* const end = begin + segment.size();
            const char16_t* unit = begin;
            while (unit != end && passes(unit, begin))
                ++unit;
            pos += unit - begin;
            if (unit != end)
                break;
        }
        return pos;
    }

    // The first position from pos whose unit is in Set, or the end of the text: piece by piece
    // of the text's storage, the set's units looked for a block at a time.
    template<typename Set>
    qsizetype findIn(qsizetype pos) const
    {
        while (pos < m_units.size()) {
            const QStringView segment = m_units.segmentFrom(pos);
            const char16_t* const begin = segment.utf16();
            const char16_t* const found = Set::firstIn(begin, begin + segment.size());
            if (found != begin + segment.size())
                return pos + (found - begin);
            pos += segment.size();
        }
        return pos;
    }

    // The first position from pos that holds wanted, or the end of the text.
    template<char16_t Wanted>
    qsizetype find(qsizetype pos) const
    {
        return findIn<UnitSet<Wanted>>(pos);
    }

    // The first stop at or after pos, or the end of the text. The stops are the characters
    // that may begin a comment, a literal or a preprocessor line, and the punctuation that
    // opens, separates and closes calls; ";" only in a logging statement, which it ends.
    // Names, numbers, blanks and the other operators are passed over; the little the scan
    // needs of them, the name in front of a "(" or of a literal, it reads back from where it
    // stopped (settleName).
    //
    // The stops are found a block at a time, and the block's are kept for the next ones: most
    // stops are a few characters apart.
    qsizetype nextStop(qsizetype pos)
    {
        using Stops = UnitSet<u'"', u'\'', u'/', u'#', u'(', u')', u'{', u'}', u','>;
        for (;;) {
            if (pos >= m_blockStart && pos < m_blockEnd) {
                const std::uint32_t stops = m_blockStops | (inLoggingStatement() ? m_blockSemicolons : 0);
                if (const std::uint32_t later = stops >> (pos - m_blockStart))
                    return pos + std::countr_zero(later);
                pos = m_blockEnd;
            }
            if (pos >= m_units.size())
                return m_units.size();
            const QStringView segment = m_units.segmentFrom(pos);
            const char16_t* const begin = segment.utf16();
            m_blockStart = pos;
            m_blockUnits = begin;
            if (segment.size() >= UnitBlock::kSize) {
                const UnitBlock block(begin);
                m_blockEnd = pos + UnitBlock::kSize;
                m_blockStops = Stops::maskIn(block);
                m_blockSemicolons = UnitSet<u';'>::maskIn(block);
            } else {
                const int count = int(segment.size());
                m_blockEnd = pos + count;
                m_blockStops = Stops::partMask(begin, count);
                m_blockSemicolons = UnitSet<u';'>::partMask(begin, count);
            }
        }
    }

    // Reads the token at the stop m_pos (not a string literal); false when the stop is plain
    // code after all: a digit or a "q" inside a name, a "/" or a "#" that is an operator.
    bool readToken(char16_t ch)
    {
        if (ch == u'\'') {
            if (inNumber(m_pos))
                number(); // 1'000: a digit separator
            else
                characterLiteral();
            return true;
        }
        if (ch == u'/')
            return comment();
        if (ch == u'#')
            return directive();
        punctuation(ch);
        return true;
    }

    // The quote at pos separates digits: it stands between a number (a token that begins with
    // a digit, or with a "." and a digit) and more of it.
    bool inNumber(qsizetype pos) const
    {
        if (!isIdentifierChar(m_units.at(pos + 1)))
            return false;
        qsizetype start = pos;
        while (start > 0 && (isIdentifierChar(m_units.at(start - 1)) || m_units.at(start - 1) == u'.'))
            --start;
        if (start < pos && m_units.at(start) == u'.')
            ++start;
        return start < pos && isDigit(m_units.at(start));
    }

    qsizetype identifierEnd(qsizetype pos) const
    {
        return skipWhile(pos, [](const char16_t* unit, const char16_t*) { return isIdentifierChar(*unit); });
    }

    // Where the qualified name whose last component starts at start begins: the qualifiers
    // are the names before it joined by "::" ("QObject::tr"), read back through the plain
    // code and, where that begins, from the state before it. start is an index into code,
    // the plain code; the result is a position in the text.
    qsizetype qualifiedStart(QStringView code, qsizetype start) const
    {
        for (;;) {
            const qsizetype before = lastNonBlankBefore(code, start);
            if (before == 0)
                return m_qualifying ? m_nameStart : m_plainStart + start;
            if (!endsInScope(code, before))
                return m_plainStart + start;
            const qsizetype qualifierEnd = lastNonBlankBefore(code, before - 2);
            if (qualifierEnd == 0)
                return m_nameEnd >= 0 ? m_nameStart : m_plainStart + start;
            if (!isIdentifierChar(code[qualifierEnd - 1]))
                return m_plainStart + start;
            start = nameStartBefore(code, qualifierEnd);
        }
    }

    // Brings the name read last up to end: the plain code from m_plainStart holds names,
    // blanks and operators, of which only its last token counts, with the qualifiers of a
    // name. Plain code of blanks alone changes nothing.
    void settleName(qsizetype end)
    {
        QString copy;
        const QStringView code = textOf(m_plainStart, end, copy);
        const qsizetype last = lastNonBlankBefore(code, code.size());
        if (last > 0) {
            const qsizetype start = nameStartBefore(code, last);
            if (start < last && isDigit(code[start])) {
                forgetName(); // a number
            } else if (start < last) {
                m_nameStart = qualifiedStart(code, start);
                m_lastStart = m_plainStart + start;
                m_nameEnd = m_plainStart + last;
                m_qualifying = false;
            } else if (endsInScope(code, last)) {
                const qsizetype qualifierEnd = lastNonBlankBefore(code, last - 2);
                const bool afterName = qualifierEnd == 0 ? m_nameEnd >= 0 : isIdentifierChar(code[qualifierEnd - 1]);
                if (afterName && qualifierEnd > 0)
                    m_nameStart = qualifiedStart(code, nameStartBefore(code, qualifierEnd));
                m_nameEnd = -1;
                m_qualifying = afterName;
            } else {
                forgetName();
            }
        }
        m_plainStart = end;
    }

    // The end of the comment at pos, or pos when none starts there.
    qsizetype commentEnd(qsizetype pos) const
    {
        if (m_units.at(pos) != u'/')
            return pos;
        const QChar next = m_units.at(pos + 1);
        if (next == u'/')
            return find<u'\n'>(pos);
        if (next != u'*')
            return pos;
        qsizetype star = find<u'*'>(pos + 2);
        while (star < m_units.size() && m_units.at(star + 1) != u'/')
            star = find<u'*'>(star + 1);
        return std::min(star + 2, m_units.size());
    }

    bool comment()
    {
        const qsizetype end = commentEnd(m_pos);
        if (end == m_pos) {
            ++m_pos; // a division
            return false;
        }
        settleName(m_pos);
        m_pos = end;
        return true;
    }

    // Only blanks stand between the line's start and pos. No token ends in a line break, so
    // the break found is one the scan read as such.
    bool startsLine(qsizetype pos) const
    {
        while (pos > 0 && isSpace(m_units.at(pos - 1)) && m_units.at(pos - 1) != u'\n')
            --pos;
        return pos == 0 || m_units.at(pos - 1) == u'\n';
    }

    // A preprocessor line: those that name files or speak to the compiler are passed over
    // whole; the others (#define, #if...) are read as code. A "#" inside a line is an operator.
    bool directive()
    {
        if (!startsLine(m_pos)) {
            ++m_pos;
            return false;
        }
        settleName(m_pos);
        qsizetype pos = m_pos + 1;
        while (pos < m_units.size() && (m_units.at(pos) == u' ' || m_units.at(pos) == u'\t'))
            ++pos;
        const qsizetype nameEnd = identifierEnd(pos);
        static const QStringView kSkipped[] = {u"include", u"include_next", u"import", u"pragma",
                                               u"line", u"error", u"warning", u"ident", u"embed"};
        // To the end of the line, continuations included.
        qsizetype end = find<u'\n'>(nameEnd);
        while (end < m_units.size() && m_units.at(end - 1) == u'\\')
            end = find<u'\n'>(end + 1);
        if (!spellsOneOf(m_text, pos, nameEnd, kSkipped)) {
            m_directiveEnd = end;
            m_pos = nameEnd;
            return true;
        }
        m_pos = end;
        return true;
    }

    // The literal whose quote is at m_pos, with the prefix before the quote and the literals
    // adjacent to it. A name before the quote that is no prefix is a name, then a literal.
    void readLiteralAtQuote()
    {
        const qsizetype quote = m_pos;
        QString copy;
        const qsizetype nameStart = m_plainStart + nameStartBefore(textOf(m_plainStart, quote, copy), quote - m_plainStart);
        std::optional<LiteralToken> token = nameStart < quote ? literalTokenAt(nameStart) : std::nullopt;
        if (!token)
            token = literalTokenAt(quote);
        settleName(token->start);
        Literal& literal = m_literal;
        literal.source = {token->start, token->end - token->start};
        literal.closed = token->closed;
        literal.verbatim.reset();
        if (!token->escaped)
            literal.verbatim = Selection{token->bodyStart, token->bodyEnd - token->bodyStart};
        literal.follower = literal.source.end();
        // Adjacent literals are one: the compiler joins them.
        while (literal.closed) {
            const qsizetype after = skipBlanks(literal.source.end());
            literal.follower = after;
            const QChar next = m_units.at(after); // a quote, or the first letter of a prefix
            const bool mayFollow = next == u'"' || next == u'u' || next == u'U' || next == u'L' || next == u'R';
            const std::optional<LiteralToken> more = mayFollow ? literalTokenAt(after) : std::nullopt;
            if (!more)
                break;
            literal.source.length = more->end - literal.source.start;
            literal.closed = more->closed;
            literal.verbatim.reset();
        }
        m_pos = literal.source.end();
        m_plainStart = m_pos;
    }

    // A literal token beginning at pos (its prefix included), or none.
    std::optional<LiteralToken> literalTokenAt(qsizetype pos) const
    {
        qsizetype quote = pos;
        while (quote < m_units.size() && isIdentifierChar(m_units.at(quote)) && quote - pos < 3)
            ++quote;
        if (m_units.at(quote) != u'"')
            return std::nullopt;
        if (quote > pos && pos > 0 && isIdentifierChar(m_units.at(pos - 1)))
            return std::nullopt;
        if (spellsOneOf(m_text, pos, quote, kRawPrefixes))
            return rawToken(pos, quote);
        if (quote > pos && !spellsOneOf(m_text, pos, quote, kStringPrefixes))
            return std::nullopt;
        return withSuffix(quotedToken(pos, quote + 1));
    }

    // The token of a literal that is not raw, its body read from bodyStart: it ends after its
    // closing quote, or unterminated at the line break or the end of the text.
    LiteralToken quotedToken(qsizetype start, qsizetype bodyStart) const
    {
        bool escaped = false;
        for (qsizetype pos = bodyStart;; pos += 2) {
            pos = findIn<UnitSet<u'"', u'\\', u'\n'>>(pos);
            const QChar ch = m_units.at(pos);
            if (ch == u'"')
                return {start, pos + 1, true, escaped, bodyStart, pos};
            if (ch != u'\\')
                return {start, std::min(pos, m_units.size()), false}; // at the line break or the end
            escaped = true;
        }
    }

    std::optional<LiteralToken> rawToken(qsizetype pos, qsizetype quote) const
    {
        // The "(" is looked for no further than the longest delimiter.
        qsizetype open = quote + 1;
        while (open - quote - 1 <= kLongestRawDelimiter && open < m_units.size() && m_units.at(open) != u'(')
            ++open;
        if (open - quote - 1 > kLongestRawDelimiter || m_units.at(open) != u'(')
            return LiteralToken{pos, m_units.size(), false};
        QString copy;
        const RawLiteralClose close(textOf(quote + 1, open, copy));
        qsizetype end = find<u')'>(open + 1);
        while (end < m_units.size() && !m_text.matchesAt(end, close.view()))
            end = find<u')'>(end + 1);
        if (end >= m_units.size())
            return LiteralToken{pos, m_units.size(), false};
        return withSuffix({pos, end + close.view().size(), true, false, open + 1, end});
    }

    LiteralToken withSuffix(LiteralToken token) const
    {
        if (token.closed)
            token.end = identifierEnd(token.end);
        return token;
    }

    // The rest of a number from a digit separator, with more separators and exponent signs,
    // so that 1'000 starts no literal.
    void number()
    {
        ++m_pos;
        while (m_pos < m_units.size()) {
            const QChar ch = m_units.at(m_pos);
            const QChar before = m_units.at(m_pos - 1);
            const bool sign = (ch == u'+' || ch == u'-')
                && (before == u'e' || before == u'E' || before == u'p' || before == u'P');
            if (!(isIdentifierChar(ch) || ch == u'.' || sign || (ch == u'\'' && isIdentifierChar(m_units.at(m_pos + 1)))))
                break;
            ++m_pos;
        }
        forgetName();
    }

    void characterLiteral()
    {
        ++m_pos;
        while (m_pos < m_units.size()) {
            const QChar ch = m_units.at(m_pos);
            if (ch == u'\\') {
                m_pos += 2;
                continue;
            }
            if (ch == u'\n')
                break;
            ++m_pos;
            if (ch == u'\'')
                break;
        }
        forgetName();
    }

    // "(", "{" or ";".
    void punctuation(QChar ch)
    {
        const qsizetype at = m_pos++;
        if (ch == u'(') {
            settleName(at);
            if (m_nameEnd == at || (m_nameEnd >= 0 && skipBlanks(m_nameEnd) == at)) {
                if (m_loggingDepth < 0 && m_units.at(m_lastStart) == u'q'
                    && spellsOneOf(m_text, m_lastStart, m_nameEnd, kLoggingHeads))
                    m_loggingDepth = int(m_frames.size());
                pushFrame(m_nameStart, m_lastStart, m_nameEnd, false);
            } else {
                pushFrame(at, at, at, false);
            }
        } else if (ch == u'{') {
            // A list given as an argument follows "(" or ",", itself or after its type's name
            // (QStringList{...}); a block follows anything else ("]", ")", "else", "->" type).
            settleName(at);
            const bool named = m_nameEnd >= 0 && skipBlanks(m_nameEnd) == at;
            qsizetype before = named ? m_nameStart : at;
            while (before > 0 && isSpace(m_units.at(before - 1)))
                --before;
            pushFrame(at, at, at, true);
            m_frames.back().list = before > 0 && (m_units.at(before - 1) == u'(' || m_units.at(before - 1) == u',');
        } else if (ch == u';' && m_loggingDepth >= int(m_frames.size())) {
            m_loggingDepth = -1;
        }
        forgetName();
    }

    // ")", "}" or ",".
    void closeOrSeparate(char16_t ch)
    {
        ++m_pos;
        if (ch != u',') {
            popFrame();
            if (m_loggingDepth > int(m_frames.size()))
                m_loggingDepth = -1;
        } else if (!m_frames.empty()) {
            ++m_frames.back().argument;
        }
        forgetName();
    }

    void pushFrame(qsizetype nameStart, qsizetype lastStart, qsizetype nameEnd, bool brace)
    {
        // Filled in place: this runs at every parenthesis and brace.
        Frame& frame = m_frames.emplace_back();
        frame.nameStart = nameStart;
        frame.lastStart = lastStart;
        frame.nameEnd = nameEnd;
        frame.brace = brace;
    }

    void forgetName()
    {
        m_nameEnd = -1;
        m_qualifying = false;
    }

    const EditedText& m_text;
    EditedText::Units m_units;
    qsizetype m_pos = 0;
    qsizetype m_plainStart = 0;   // where the plain code read since the last stop's token begins
    std::vector<Frame> m_frames;
    Literal m_literal;            // the one next() stopped at
    // The name read last as of m_plainStart (settleName brings it further):
    qsizetype m_nameStart = 0;    // with its qualifiers
    qsizetype m_lastStart = 0;    // its last component
    qsizetype m_nameEnd = -1;     // after it, -1 when another token followed
    bool m_qualifying = false;    // "::" was read after a name
    int m_loggingDepth = -1;      // the depth of the logging statement being read, or -1
    qsizetype m_directiveEnd = -1; // the end of the last #define, #if... read as code
    // The stops among the units from m_blockStart to m_blockEnd, and apart the semicolons, as
    // bits (nextStop).
    qsizetype m_blockStart = 0;
    qsizetype m_blockEnd = 0;
    std::uint32_t m_blockStops = 0;
    std::uint32_t m_blockSemicolons = 0;
    const char16_t* m_blockUnits = nullptr;
};

enum class Verdict { Skip, Translated, Offer };

// Every name a callee is told by, with what it makes of its literals; a name of several
// tables counts as the first (wrappers, then translating calls, then keys). Kept by length, so
// that a name is compared with the few of its own length only.
struct CalleeName
{
    QStringView name;
    Callee callee;
    int textArgument;
};
class CalleeNames
{
public:
    CalleeNames()
    {
        for (QStringView name : kWrappedWhole)
            add({name, Callee::WrappedWhole, 0});
        for (QStringView name : kWrappers)
            add({name, Callee::Wrapper, 0});
        for (const TranslatingCall& call : kTranslatingCalls)
            add({call.name, Callee::Translating, call.textArgument});
        for (const CppKeyRule& rule : CppKeyRules())
            add({rule.callee, Callee::Key, 0});
    }

    const CalleeName* find(QStringView name) const
    {
        if (name.size() >= qsizetype(m_byLength.size()))
            return nullptr;
        for (const CalleeName& known : m_byLength[std::size_t(name.size())]) {
            if (known.name.front() == name.front() && known.name == name)
                return &known;
        }
        return nullptr;
    }

private:
    void add(const CalleeName& known)
    {
        if (find(known.name))
            return;
        if (known.name.size() >= qsizetype(m_byLength.size()))
            m_byLength.resize(std::size_t(known.name.size() + 1));
        m_byLength[std::size_t(known.name.size())].push_back(known);
    }

    std::vector<std::vector<CalleeName>> m_byLength;
};

// Looks the frame's callee up by its last component, and for a key also by its qualified name.
void lookUpCallee(const CppLexer& lexer, Frame& frame)
{
    static const CalleeNames names;
    if (!frame.named()) {
        frame.callee = Callee::Unnamed;
        return;
    }
    QString copy;
    const CalleeName* found = names.find(lexer.textOf(frame.lastStart, frame.nameEnd, copy));
    frame.callee = found ? found->callee : Callee::Other;
    frame.textArgument = found ? found->textArgument : 0;
    if (frame.callee == Callee::Other && frame.nameStart < frame.lastStart) {
        found = names.find(lexer.textOf(frame.nameStart, frame.nameEnd, copy));
        if (found && found->callee == Callee::Key)
            frame.callee = Callee::Key;
    }
}

Callee calleeOf(const CppLexer& lexer, Frame& frame)
{
    if (frame.callee == Callee::Unknown)
        lookUpCallee(lexer, frame);
    return frame.callee;
}

// Where the literal stands: in a call that translates it, in one that takes a key, or free.
Verdict verdictOf(CppLexer& lexer)
{
    std::vector<Frame>& frames = lexer.frames();
    if (lexer.afterLinkageOrOperator() || lexer.inLoggingStatement())
        return Verdict::Skip;
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        if (frame->list)
            continue;
        if (frame->brace)
            break;
        const Callee callee = calleeOf(lexer, *frame);
        if (callee == Callee::Unnamed || callee == Callee::WrappedWhole || callee == Callee::Wrapper)
            continue;
        if (callee == Callee::Translating)
            return frame->argument == frame->textArgument ? Verdict::Translated : Verdict::Skip;
        if (callee == Callee::Key)
            return Verdict::Skip;
        break;
    }
    return lexer.literalComparedOrSubscript() ? Verdict::Skip : Verdict::Offer;
}


bool offered(const QString& phrase, CppOffer offer)
{
    if (offer == CppOffer::NonAscii)
        return holdsNonAscii(phrase);
    return holdsLetter(phrase) && !looksLikeKey(phrase);
}

qsizetype lineBreaksBefore(const EditedText& text, qsizetype pos)
{
    qsizetype count = 0;
    for (qsizetype at = text.indexOf(u'\n', 0); at >= 0 && at < pos; at = text.indexOf(u'\n', at + 1))
        ++count;
    return count;
}

// Offers the component's header where FindIncludePlace puts it; the caret the question was
// shown with, and the index of the line break a Yes added.
Selection offerInclude(EditedText& text, qsizetype firstRewrite, Selection shown, HarvestPrompt& prompt,
                       qsizetype& addedLineBreak)
{
    const IncludePlace place = FindIncludePlace(text, kHeaderName, firstRewrite);
    if (place.included)
        return shown;
    Selection caret{std::max<qsizetype>(place.lineEnd, 0), 0};
    prompt.showSelection(caret, false);
    if (prompt.ask(PromptKind::AddUses, CppIncludeLine(), caret) != Answer::Yes)
        return caret;
    if (place.lineEnd < 0) {
        InsertText(text, 0, QString(CppIncludeLine() + u'\n'), prompt);
        addedLineBreak = 0;
    } else {
        InsertText(text, place.lineEnd, QString(u'\n' + CppIncludeLine()), prompt);
        addedLineBreak = lineBreaksBefore(text, place.lineEnd);
    }
    return caret;
}

// The frame's name: with its qualifiers, and its last component.
QStringView qualifiedName(const CppLexer& lexer, const Frame& frame, QString& copy)
{
    return lexer.textOf(frame.nameStart, frame.nameEnd, copy);
}
QStringView lastName(const CppLexer& lexer, const Frame& frame, QString& copy)
{
    return lexer.textOf(frame.lastStart, frame.nameEnd, copy);
}

// The call, or the declaration `Type name(...)`, takes QStrings for its literals.
bool takesQString(const CppLexer& lexer, const EditedText& text, const Frame& frame)
{
    QString qualifiedCopy, lastCopy;
    const QStringView last = lastName(lexer, frame, lastCopy);
    if (last == u"QString") // QString(...) of more than a literal: QString(const QChar*, size)
        return false;
    if (TakesQStringArguments(qualifiedName(lexer, frame, qualifiedCopy), last) || ConstructedFromQString(last))
        return true;
    const qsizetype type = IdentifierEndingAt(text, frame.nameStart);
    return type >= 0 && ConstructedFromQString(text.mid(type, LastNonBlankBefore(text, frame.nameStart) + 1 - type));
}

// What a rewrite encloses in Translate(...), where Translate's QString can stand in its place:
// the literal, or the call that makes a string of it alone (QStringLiteral(...),
// QString::fromUtf8(...)). None when the context is not known to take a QString.
std::optional<Selection> rewrittenPart(CppLexer& lexer, const EditedText& text, Selection literal,
                                       QStringNames& qstringNames)
{
    if (lexer.inDirective())
        return std::nullopt; // a macro's uses may lie where Translate is not declared
    const std::vector<Frame>& frames = lexer.frames();
    auto frame = frames.rbegin();
    Selection unit = literal;
    // u"..."_s is a QString already.
    bool qstring = text.at(literal.start) == u'u' && text.at(literal.start + 1) == u'"'
        && text.mid(literal.end() - 3, 3) == u"\"_s";
    const qsizetype close = lexer.skipBlanks(literal.end());
    if (frame != frames.rend() && !frame->brace && frame->named() && frame->argument == 0 && text.at(close) == u')') {
        QString qualifiedCopy, lastCopy;
        const QStringView last = lastName(lexer, *frame, lastCopy);
        const bool makesQString = last == u"QStringLiteral" || MakesQString(qualifiedName(lexer, *frame, qualifiedCopy));
        if (last == u"QString")
            return literal; // QString(Translate("...")) is a QString as QString("...") was
        if (makesQString || last == u"QLatin1String" || last == u"QLatin1StringView") {
            unit = {frame->nameStart, close + 1 - frame->nameStart};
            qstring = makesQString;
            ++frame;
        }
    }
    if (qstring)
        return unit; // one QString for another compiles wherever the first did
    if (!StandsAsOperand(text, unit))
        return std::nullopt;
    for (; frame != frames.rend(); ++frame) {
        if (frame->list)
            continue;
        if (frame->brace)
            break;
        if (!frame->named())
            continue; // a grouping: the call around it decides
        return takesQString(lexer, text, *frame) ? std::optional(unit) : std::nullopt;
    }
    // Not inside a call: a declaration, or an assignment to a name this file declares QString.
    const qsizetype before = LastNonBlankBefore(text, unit.start);
    if (DeclaresQStringBefore(text, before))
        return unit;
    if (text.at(before) != u'=' || QStringView(u"=!<>+-*/%&|^").contains(text.at(before - 1)))
        return std::nullopt;
    const qsizetype name = IdentifierEndingAt(text, before);
    const qsizetype nameEnd = LastNonBlankBefore(text, before) + 1;
    const qsizetype previous = name >= 0 ? LastNonBlankBefore(text, name) : -1;
    const bool member = previous >= 0 && (text.at(previous) == u'.' || text.at(previous) == u'>' || text.at(previous) == u':');
    if (name < 0 || member)
        return std::nullopt;
    return qstringNames.isQString(text.mid(name, nameEnd - name)) ? std::optional(unit) : std::nullopt;
}

// Encloses the part with Translate(...); the position after the ")".
qsizetype wrapPart(EditedText& text, CppLexer& lexer, Selection part, Selection literal, HarvestPrompt& prompt)
{
    if (part.end() > literal.end())
        lexer.popFrame(); // the rewrite took in the ")" of the call around the literal
    InsertText(text, part.start, kCallOpen, prompt);
    InsertText(text, part.end() + kCallOpen.size(), kCallClose, prompt);
    return part.end() + kCallOpen.size() + kCallClose.size();
}

// The first quote or backslash in text from from, or its end.
qsizetype quoteOrBackslashFrom(QStringView text, qsizetype from)
{
    const char16_t* const end = text.utf16() + text.size();
    const char16_t* unit = text.utf16() + std::min(from, text.size());
    while (unit != end && *unit != u'"' && *unit != u'\\')
        ++unit;
    return unit - text.utf16();
}

// DecodeCppLiteral's phrase, appended to phrase.
void appendCppLiteral(QStringView source, QString& phrase)
{
    // Everything but the literals' bodies is dropped, so the selection need not be exactly
    // one expression: blanks, comments and a QStringLiteral( around it do not matter.
    for (qsizetype pos = 0; pos < source.size();) {
        const QChar ch = source[pos];
        if (ch == u'/' && pos + 1 < source.size() && (source[pos + 1] == u'/' || source[pos + 1] == u'*')) {
            const bool line = source[pos + 1] == u'/';
            const qsizetype end = source.indexOf(line ? QStringView(u"\n") : QStringView(u"*/"), pos + 2);
            pos = end < 0 ? source.size() : end + (line ? 1 : 2);
            continue;
        }
        if (ch != u'"') {
            ++pos;
            continue;
        }
        qsizetype prefixStart = pos;
        while (prefixStart > 0 && pos - prefixStart < 3 && isIdentifierChar(source[prefixStart - 1]))
            --prefixStart;
        // The end of a longer name is no prefix: abcR"x" is a name and a plain literal.
        const bool partOfName = prefixStart > 0 && isIdentifierChar(source[prefixStart - 1]);
        const QStringView prefix = partOfName ? QStringView() : source.sliced(prefixStart, pos - prefixStart);
        if (isOneOf(prefix, kRawPrefixes)) {
            const qsizetype open = source.indexOf(u'(', pos + 1);
            const qsizetype delimiter = open - pos - 1;
            if (open < 0 || delimiter > kLongestRawDelimiter) {
                phrase += source.sliced(open < 0 ? pos + 1 : open + 1);
                break;
            }
            const RawLiteralClose close(source.sliced(pos + 1, delimiter));
            const qsizetype end = close.indexIn(source, open + 1);
            if (end < 0) {
                phrase += source.sliced(open + 1);
                break;
            }
            phrase += source.sliced(open + 1, end - open - 1);
            pos = end + close.view().size();
            continue;
        }
        qsizetype end = quoteOrBackslashFrom(source, pos + 1);
        const bool escaped = end < source.size() && source[end] == u'\\';
        while (end < source.size() && source[end] == u'\\')
            end = quoteOrBackslashFrom(source, end + 2);
        const QStringView body = source.sliced(pos + 1, end - pos - 1);
        if (escaped)
            decodeEscapes(body, isNarrowPrefix(prefix), phrase);
        else
            phrase += body;
        pos = end + 1;
    }
}

// Decodes into phrase, in its storage when nothing else holds it: the phrase of a literal that
// was not offered, or declined, leaves its storage to the next.
// verbatim: source is the body of one literal without escapes, its phrase as it stands.
void decodeInto(QString& phrase, QStringView source, bool verbatim)
{
    if (!phrase.isDetached())
        phrase = QString();
    phrase.resize(0);
    if (verbatim) {
        phrase.append(source);
        return;
    }
    phrase.reserve(source.size());
    appendCppLiteral(source, phrase);
}

// What opens and closes the body of the literal in source that holds offset: its prefix and
// quote (or raw delimiter), and its closing; none when offset is outside every body.
struct BodyDelimiters
{
    QString open;
    QString close;
};
BodyDelimiters bodyAround(QStringView source, qsizetype offset)
{
    for (qsizetype pos = source.indexOf(u'"'); pos >= 0 && pos < source.size(); pos = source.indexOf(u'"', pos)) {
        qsizetype prefixStart = pos;
        while (prefixStart > 0 && pos - prefixStart < 3 && isIdentifierChar(source[prefixStart - 1]))
            --prefixStart;
        const bool raw = isOneOf(source.sliced(prefixStart, pos - prefixStart), kRawPrefixes);
        qsizetype bodyStart = pos + 1;
        QString close = QStringLiteral("\"");
        if (raw) {
            const qsizetype paren = source.indexOf(u'(', pos);
            bodyStart = paren < 0 ? source.size() : paren + 1;
            close = u')' + source.sliced(pos + 1, std::max<qsizetype>(bodyStart - pos - 2, 0)).toString() + u'"';
        }
        qsizetype bodyEnd = bodyStart;
        if (raw) {
            bodyEnd = source.indexOf(close, bodyStart);
        } else {
            while (bodyEnd < source.size() && source[bodyEnd] != u'"')
                bodyEnd += source[bodyEnd] == u'\\' ? 2 : 1;
        }
        if (bodyEnd < 0 || bodyEnd > source.size())
            bodyEnd = source.size();
        if (offset >= bodyStart && offset < bodyEnd)
            return {source.sliced(prefixStart, bodyStart - prefixStart).toString(), close};
        pos = bodyEnd + close.size();
    }
    return {};
}

// The phrase of a selection other than the literal asked about: inside that literal, what the
// part selected stands for (a word of it is that word); elsewhere what DecodeCppLiteral makes
// of the selection.
QString cppSelectionPhrase(const EditedText& text, Selection literal, Selection selection)
{
    QString source = SelectedText(text, selection);
    if (selection.length == 0 || selection.start < literal.start || selection.end() > literal.end())
        return DecodeCppLiteral(source);
    const QString whole = SelectedText(text, literal);
    source.prepend(bodyAround(whole, selection.start - literal.start).open);
    source.append(bodyAround(whole, selection.end() - 1 - literal.start).close);
    return DecodeCppLiteral(source);
}

} // namespace

QString DecodeCppLiteral(QStringView source)
{
    QString phrase;
    phrase.reserve(source.size());
    appendCppLiteral(source, phrase);
    return phrase;
}

const std::vector<CppKeyRule>& CppKeyRules()
{
    static const std::vector<CppKeyRule> rules = {
        {u"setObjectName", u"an object's name"},
        {u"objectName", u"an object's name"},
        {u"findChild", u"an object's name"},
        {u"findChildren", u"an object's name"},
        {u"property", u"a property's name"},
        {u"setProperty", u"a property's name"},
        {u"SIGNAL", u"a signal's signature"},
        {u"SLOT", u"a slot's signature"},
        {u"connect", u"signal and slot signatures"},
        {u"disconnect", u"signal and slot signatures"},
        {u"invokeMethod", u"a method's name"},
        {u"QMetaObject::invokeMethod", u"a method's name"},
        {u"qDebug", u"a log message"},
        {u"qInfo", u"a log message"},
        {u"qWarning", u"a log message"},
        {u"qCritical", u"a log message"},
        {u"qFatal", u"a log message"},
        {u"qCDebug", u"a log message"},
        {u"qCInfo", u"a log message"},
        {u"qCWarning", u"a log message"},
        {u"qCCritical", u"a log message"},
        {u"Q_LOGGING_CATEGORY", u"a logging category's name"},
        {u"Q_DECLARE_LOGGING_CATEGORY", u"a logging category's name"},
        {u"QLoggingCategory", u"a logging category's name"},
        {u"setFilterRules", u"logging rules"},
        {u"QSettings", u"an organisation or application name, or a file"},
        {u"setApplicationName", u"the name settings and data folders are found by"},
        {u"setOrganizationName", u"the name settings and data folders are found by"},
        {u"setOrganizationDomain", u"the name settings and data folders are found by"},
        {u"setDesktopFileName", u"a file name"},
        {u"value", u"a settings key"},
        {u"setValue", u"a settings key"},
        {u"contains", u"a settings key"},
        {u"remove", u"a settings key"},
        {u"beginGroup", u"a settings group"},
        {u"beginReadArray", u"a settings array"},
        {u"beginWriteArray", u"a settings array"},
        {u"qgetenv", u"an environment variable"},
        {u"qputenv", u"an environment variable"},
        {u"qEnvironmentVariable", u"an environment variable"},
        {u"qEnvironmentVariableIsSet", u"an environment variable"},
        {u"static_assert", u"a message for the compiler"},
        {u"Q_ASSERT_X", u"a message for the developer"},
        {u"Q_CLASSINFO", u"meta-object information"},
        {u"Q_PLUGIN_METADATA", u"a plugin's interface identifier"},
        {u"Q_DECLARE_INTERFACE", u"an interface identifier"},
        {u"qmlRegisterType", u"a QML module's name"},
        {u"setStyleSheet", u"style sheet code"},
        {u"QRegularExpression", u"a pattern"},
        {u"fromTheme", u"an icon theme's name"},
        {u"QColor", u"a colour's name"},
        {u"QPropertyAnimation", u"a property's name"},
        {u"exec", u"an SQL statement"},
        {u"prepare", u"an SQL statement"},
        {u"addDatabase", u"a database driver's name"},
        {u"setDatabaseName", u"a database's name"},
        {u"setTable", u"a database table's name"},
        {u"fieldIndex", u"a database field's name"},
        {u"QSqlRelation", u"database table and field names"},
        {u"addQueryItem", u"a URL's query"},
        {u"writeStartElement", u"an XML element's name"},
        {u"writeAttribute", u"an XML attribute"},
        {u"elementsByTagName", u"an XML element's name"},
        {u"attributeLocation", u"a shader variable's name"},
        {u"uniformLocation", u"a shader variable's name"},
        {u"bindAttributeLocation", u"a shader variable's name"},
        {u"setUniformValue", u"a shader variable's name"},
        {u"setDefaultSuffix", u"a file suffix"},
        {u"registerField", u"a wizard field's name"},
        {u"field", u"a wizard field's name"},
        {u"setField", u"a wizard field's name"},
        {u"qstrcmp", u"a string compared with"},
        {u"start", u"a program and its arguments (QProcess)"},
        {u"startDetached", u"a program and its arguments"},
        {u"execute", u"a program and its arguments"},
        {u"setProgram", u"a program's name"},
        {u"setArguments", u"a program's arguments"},
        {u"loadFromData", u"an image format"},
        {u"fromData", u"an image format"},
        {u"load", u"a file and an image format"},
        {u"save", u"a file and an image format"},
        {u"QImage", u"a file and an image format"},
        {u"QPixmap", u"a file and an image format"},
        {u"QIcon", u"an icon's file"},
        {u"QImageReader", u"a file and an image format"},
        {u"QImageWriter", u"a file and an image format"},
        {u"QMovie", u"a file and an image format"},
        {u"hasFormat", u"a MIME type"},
        {u"mimeTypeForName", u"a MIME type"},
        {u"setMimeTypeFilters", u"MIME types"},
    };
    return rules;
}

QString CppIncludeLine()
{
    return QStringLiteral("#include <OrbTranslate.h>");
}

UnitScanResult HarvestCppText(EditedText& text, HarvestPrompt& prompt, PhraseSink& sink,
                              const QString& path, CppOffer offer)
{
    CppLexer lexer(text);
    QStringNames qstringNames(text);
    qsizetype firstRewrite = -1;
    Selection shown;
    QString phrase;
    for (;;) {
        prompt.searchStarted();
        const CppLexer::Literal* literal = nullptr;
        while (!literal && lexer.next()) {
            const CppLexer::Literal& found = lexer.literal();
            if (!found.closed)
                continue;
            const Verdict verdict = verdictOf(lexer);
            if (verdict == Verdict::Skip)
                continue;
            QString copy;
            const Selection decoded = found.verbatim.value_or(found.source);
            decodeInto(phrase, lexer.textOf(decoded.start, decoded.end(), copy), found.verbatim.has_value());
            if (verdict == Verdict::Translated) {
                if (!phrase.isEmpty()) {
                    sink.addPhrase(phrase);
                    prompt.wrappedLiteralHarvested(found.source, phrase);
                }
                continue;
            }
            if (offered(phrase, offer))
                literal = &found;
        }
        prompt.searchFinished();
        if (!literal)
            break;
        const Selection source = literal->source;
        const std::optional<Selection> part = rewrittenPart(lexer, text, source, qstringNames);
        const PromptKind kind = part ? PromptKind::WrapLiteral : PromptKind::AddPhrase;
        prompt.showSelection(source, true);
        PromptOutcome outcome = AskAboutSelection({kind, std::move(phrase)}, text, source, prompt, [&](Selection other) {
            return other == source ? Question{kind, DecodeCppLiteral(SelectedText(text, source))}
                                   : Question{PromptKind::AddPhrase, cppSelectionPhrase(text, source, other)};
        });
        shown = outcome.selection;
        phrase = std::move(outcome.phrase); // and with it its storage, for the next literal
        if (outcome.answer == Answer::Cancel || outcome.asked.length == 0)
            return {false, false};
        if (outcome.answer == Answer::No || !AddAcceptedPhrase(phrase, outcome.selection, sink, prompt))
            continue;
        // Only the literal asked about, where a QString can stand, is rewritten: anything else
        // would change the program's text or no longer compile.
        if (outcome.selection != source || !part) {
            prompt.noted(outcome.selection != source ? HarvestNote::NotWholeLiteral : HarvestNote::NoQStringHere,
                         outcome.selection, phrase);
            continue;
        }
        if (firstRewrite < 0)
            firstRewrite = part->start;
        lexer.continueAt(wrapPart(text, lexer, *part, source, prompt));
    }
    if (firstRewrite < 0)
        return {true, false};
    qsizetype addedLineBreak = -1;
    shown = offerInclude(text, firstRewrite, shown, prompt, addedLineBreak);
    return {true, prompt.ask(PromptKind::SaveFile, path, shown) == Answer::Yes, addedLineBreak};
}
