#pragma once

#include "wizard/CppKeyRules.h"
#include "wizard/CppSpelling.h"
#include "wizard/EditedText.h"
#include "wizard/Harvest.h"
#include "wizard/UnitSearch.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <vector>

// The C++ tokenizer of the harvest, for CppHarvest.cpp alone: its stops are the scan's
// innermost loop. Whole in this header and of internal linkage, so that the compiler inlines
// its helpers into that loop as it does within one source file.
namespace orb {
namespace {

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
    Callee callee = Callee::Unknown; // looked up once the first literal inside asks
    int textArgument = 0;  // of a Translating callee
    bool named() const { return nameEnd > lastStart; }
};

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
                if (m_loggingDepth < 0 && m_units.at(m_lastStart) == kLoggingInitial
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

} // namespace
} // namespace orb
