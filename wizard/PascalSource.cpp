#include "wizard/PascalSource.h"

#include "wizard/HarvestLoop.h"

#include <vector>

namespace orb {

namespace {

constexpr QChar kQuote = u'\'';

// What a character is to Pascal.
enum class Role : std::uint8_t {
    Code,
    Comment,
    Open,       // the quote that opens a piece
    Body,       // a character inside a piece
    PairFirst,  // the two quotes that stand for one inside a piece
    PairSecond,
    Close,      // the quote that closes a piece
};

// Reads a text character by character from a point outside comments and strings.
class PascalReader
{
public:
    PascalReader(const EditedText& text, qsizetype from) : m_text(text), m_pos(from) {}

    // Moves to pos in code (outside comments and strings).
    void restartInCodeAt(qsizetype pos)
    {
        m_pos = pos;
        m_state = State::Code;
    }

    qsizetype pos() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_text.size(); }
    bool inCode() const { return m_state == State::Code; }

    // Moves on to target, passing over plain code, the bodies of pieces and comments a run at a
    // time rather than character by character.
    // untilCode: or to where code begins again after a piece or comment.
    void advanceTo(qsizetype target, bool untilCode = false)
    {
        const EditedText::Units units = m_text.units();
        while (m_pos < target && !(untilCode && m_state == State::Code)) {
            const auto stopsAt = [&](auto stops) {
                qsizetype pos = m_pos;
                while (pos < target && !stops(units.at(pos)))
                    ++pos;
                return pos;
            };
            switch (m_state) {
            case State::Code:
                m_pos = stopsAt([](QChar ch) { return ch == kQuote || ch == u'/' || ch == u'{' || ch == u'('; });
                break;
            case State::Piece:
                m_pos = stopsAt([](QChar ch) { return ch == kQuote || ch == u'\n'; });
                break;
            case State::LineComment:
                m_pos = stopsAt([](QChar ch) { return ch == u'\n'; });
                break;
            case State::BraceComment:
                m_pos = stopsAt([](QChar ch) { return ch == u'}'; });
                break;
            case State::ParenComment:
                m_pos = stopsAt([](QChar ch) { return ch == u'*'; });
                break;
            default:
                break;
            }
            if (m_pos < target)
                next();
        }
    }

    // The role of the character at pos(), which then moves on by one.
    Role next()
    {
        const QChar ch = m_text.at(m_pos);
        const QChar after = m_text.at(m_pos + 1);
        ++m_pos;
        switch (m_state) {
        case State::Code:
            return codeRole(ch, after);
        case State::Piece:
            return pieceRole(ch, after);
        case State::PairHalf:
            m_state = State::Piece;
            return Role::PairSecond;
        case State::LineComment:
            if (ch == u'\n')
                m_state = State::Code;
            return Role::Comment;
        case State::BraceComment:
            if (ch == u'}')
                m_state = State::Code;
            return Role::Comment;
        case State::ParenComment:
            if (ch == u'*' && after == u')')
                m_state = State::CommentEnd;
            return Role::Comment;
        case State::CommentEnd:
            m_state = State::Code;
            return Role::Comment;
        }
        return Role::Code;
    }

private:
    enum class State { Code, Piece, PairHalf, LineComment, BraceComment, ParenComment, CommentEnd };

    Role codeRole(QChar ch, QChar after)
    {
        if (ch == kQuote) {
            m_state = State::Piece;
            return Role::Open;
        }
        if (ch == u'/' && after == u'/')
            m_state = State::LineComment;
        else if (ch == u'{')
            m_state = State::BraceComment;
        else if (ch == u'(' && after == u'*')
            m_state = State::ParenComment;
        else
            return Role::Code;
        return Role::Comment;
    }

    Role pieceRole(QChar ch, QChar after)
    {
        if (ch == u'\n') { // a piece left open ends with its line
            m_state = State::Code;
            return Role::Code;
        }
        if (ch != kQuote)
            return Role::Body;
        if (after == kQuote) {
            m_state = State::PairHalf;
            return Role::PairFirst;
        }
        m_state = State::Code;
        return Role::Close;
    }

    const EditedText& m_text;
    qsizetype m_pos;
    State m_state = State::Code;
};

qsizetype lineStartOf(const EditedText& text, qsizetype pos)
{
    while (pos > 0 && text.at(pos - 1) != u'\n')
        --pos;
    return pos;
}

// The roles of the characters of the selection and of the one after it, read from the start
// of the selection's line.
std::vector<Role> rolesOf(const EditedText& text, Selection selection)
{
    PascalReader reader(text, lineStartOf(text, selection.start));
    while (reader.pos() < selection.start)
        reader.next();
    std::vector<Role> roles;
    roles.reserve(std::size_t(selection.length + 1));
    while (reader.pos() <= selection.end())
        roles.push_back(reader.next());
    return roles;
}

bool isDigit(QChar ch, bool hex)
{
    return (ch >= u'0' && ch <= u'9') || (hex && ((ch >= u'a' && ch <= u'f') || (ch >= u'A' && ch <= u'F')));
}

bool isIdentifierChar(QChar ch)
{
    return ch.isLetterOrNumber() || ch == u'_';
}

} // namespace

class PascalQuoteReader::Reader : public PascalReader
{
public:
    using PascalReader::PascalReader;
};

PascalQuoteReader::PascalQuoteReader(const EditedText& text)
    : m_text(text), m_reader(std::make_unique<Reader>(text, 0))
{
}

PascalQuoteReader::~PascalQuoteReader() = default;

bool PascalQuoteReader::opensPiece(qsizetype quote)
{
    if (quote < m_reader->pos())
        m_reader->restartInCodeAt(lineStartOf(m_text, quote));
    m_reader->advanceTo(quote);
    return m_reader->next() == Role::Open;
}

void PascalQuoteReader::continueInCodeAt(qsizetype pos)
{
    m_reader->restartInCodeAt(pos);
}

QString pascalSelectionPhrase(const EditedText& text, Selection selection)
{
    if (selection.length == 0)
        return QString();
    const std::vector<Role> roles = rolesOf(text, selection);
    QString source = selectedText(text, selection);
    const Role first = roles.front();
    if (first == Role::PairSecond)
        source.prepend(QStringLiteral("''"));
    else if (first == Role::Body || first == Role::PairFirst)
        source.prepend(kQuote);
    if (roles[std::size_t(selection.length - 1)] == Role::PairFirst)
        source.append(kQuote);
    return DecodeLiteral(source);
}

bool isPascalStringExpression(const EditedText& text, Selection selection)
{
    if (selection.length == 0)
        return false;
    const std::vector<Role> roles = rolesOf(text, selection);
    const auto roleAt = [&](qsizetype pos) { return roles[std::size_t(pos - selection.start)]; };
    if (roleAt(selection.start) != Role::Open && text.at(selection.start) != u'#')
        return false;
    for (qsizetype pos = selection.start; pos < selection.end(); ++pos) {
        const Role role = roleAt(pos);
        if (role == Role::Comment)
            return false;
        if (role != Role::Code)
            continue;
        const QChar ch = text.at(pos);
        if (ch == u'#') {
            // A character code, whole: #13 or #$0D.
            const bool hex = text.at(pos + 1) == u'$';
            qsizetype end = pos + (hex ? 2 : 1);
            while (isDigit(text.at(end), hex))
                ++end;
            if (end == pos + (hex ? 2 : 1) || end > selection.end())
                return false;
            pos = end - 1;
        } else if (!ch.isSpace() && ch != u'+') {
            return false;
        }
    }
    const QChar last = text.at(selection.end() - 1);
    return roleAt(selection.end() - 1) == Role::Close || (roleAt(selection.end() - 1) == Role::Code && isDigit(last, true));
}

// The units from start to end spell word, in any case.
bool spellsIgnoringCase(const EditedText::Units& units, qsizetype start, qsizetype end, QStringView word)
{
    if (end - start != word.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (units.at(start + i).toCaseFolded() != word[i].toCaseFolded())
            return false;
    }
    return true;
}

UsesClauses readUsesClauses(const EditedText& text, QStringView unit)
{
    UsesClauses clauses;
    const EditedText::Units units = text.units();
    // Most units never mention the unit asked about: their reading ends with the first clause.
    const bool mentioned = text.toString().contains(unit, Qt::CaseInsensitive);
    PascalReader reader(text, 0);
    bool inClause = false;
    qsizetype wordStart = -1;
    while (!reader.atEnd() && (mentioned || clauses.firstEnd < 0)) {
        if (!reader.inCode()) {
            reader.advanceTo(text.size(), true);
            continue;
        }
        const qsizetype pos = reader.pos();
        const QChar ch = units.at(pos);
        const bool code = reader.next() == Role::Code;
        if (code && isIdentifierChar(ch)) {
            if (wordStart < 0)
                wordStart = pos;
            continue;
        }
        if (wordStart >= 0) {
            if (inClause && spellsIgnoringCase(units, wordStart, pos, unit))
                clauses.name = true;
            if (spellsIgnoringCase(units, wordStart, pos, u"uses"))
                inClause = true;
            wordStart = -1;
        }
        if (code && ch == u';' && inClause) {
            inClause = false;
            if (clauses.firstEnd < 0)
                clauses.firstEnd = pos;
        }
    }
    return clauses;
}

} // namespace orb
