#include "dictionary/PseudoTranslation.h"

#include <QLatin1StringView>
#include <QStringView>

#include <algorithm>
#include <array>
#include <utility>

namespace orb {

namespace {

using namespace Qt::StringLiterals;

constexpr char16_t kPadding = u'\u00B7';
constexpr char16_t kOpen = u'[';
constexpr char16_t kClose = u']';

// The look-alike of every ASCII letter, from Latin-1, Latin Extended-A and the "ƒ" of
// Windows-1252: characters every common font carries, so that a missing glyph box never
// passes for a pseudo letter. The letters without one in those sets stay themselves.
constexpr std::array<char16_t, 26> kLower = {u'à', u'b', u'ç', u'ď', u'é', u'ƒ', u'ĝ', u'ĥ', u'î',
                                             u'ĵ', u'ķ', u'ļ', u'm', u'ñ', u'ö', u'p', u'q', u'ŕ',
                                             u'š', u'ţ', u'ü', u'v', u'ŵ', u'x', u'ý', u'ž'};
constexpr std::array<char16_t, 26> kUpper = {u'Å', u'B', u'Ç', u'Ď', u'É', u'F', u'Ĝ', u'Ĥ', u'Î',
                                             u'Ĵ', u'Ķ', u'Ļ', u'M', u'Ñ', u'Ö', u'P', u'Q', u'Ŕ',
                                             u'Ŝ', u'Ţ', u'Ü', u'V', u'Ŵ', u'X', u'Ý', u'Ž'};

QChar lookAlike(QChar letter)
{
    const char16_t c = letter.unicode();
    if (c >= u'a' && c <= u'z')
        return kLower[std::size_t(c - u'a')];
    if (c >= u'A' && c <= u'Z')
        return kUpper[std::size_t(c - u'A')];
    return letter;
}

bool isAsciiLetter(QChar letter)
{
    const char16_t c = letter.unicode();
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiDigit(QChar digit)
{
    const char16_t c = digit.unicode();
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar digit)
{
    const char16_t c = digit.unicode();
    return isAsciiDigit(digit) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// What a stretch of the text is to the pseudo-translation.
enum class Kind {
    Text,   // one character of the text proper: its letter is replaced
    Code,   // read by the program (placeholder, entity, accelerator): kept inside the brackets
    Space,  // one whitespace character
    Markup, // a tag, or an element whose contents are no text (style, script)
};

struct Piece
{
    Kind kind;
    qsizetype length;
};

qsizetype skipDigits(QStringView text, qsizetype pos)
{
    while (pos < text.size() && isAsciiDigit(text[pos]))
        ++pos;
    return pos;
}

bool holdsAt(QStringView text, qsizetype pos, char16_t c)
{
    return pos < text.size() && text[pos] == c;
}

bool holdsOneOf(QStringView text, qsizetype pos, QLatin1StringView set)
{
    return pos < text.size() && set.contains(text[pos]);
}

// The length of the placeholder or printf format that starts with the "%" at pos; 0 for
// none. "%%"; printf's and Delphi's %[index$|index:][flags][width][.precision][length]type;
// QString::arg's %1 to %99 and %L1.
qsizetype formatLength(QStringView text, qsizetype pos)
{
    qsizetype i = pos + 1;
    if (holdsAt(text, i, u'%'))
        return 2;
    // Digits are an index only when "$" or ":" follows them; otherwise they are the width.
    qsizetype j = skipDigits(text, i);
    j = j > i && holdsOneOf(text, j, "$:"_L1) ? j + 1 : i;
    while (holdsOneOf(text, j, "-+ #0"_L1))
        ++j;
    j = holdsAt(text, j, u'*') ? j + 1 : skipDigits(text, j);
    if (holdsAt(text, j, u'.')) {
        ++j;
        j = holdsAt(text, j, u'*') ? j + 1 : skipDigits(text, j);
    }
    if (j + 1 < text.size() && text[j] == text[j + 1] && (text[j] == u'h' || text[j] == u'l'))
        j += 2;
    else if (holdsOneOf(text, j, "hlLqjzt"_L1))
        ++j;
    if (holdsOneOf(text, j, "diouxXfFeEgGaAcspn"_L1))
        return j + 1 - pos;

    j = holdsAt(text, i, u'L') ? i + 1 : i;
    const qsizetype digits = std::min(skipDigits(text, j) - j, qsizetype(2));
    return digits > 0 ? j + digits - pos : 0;
}

// The length of the character or numeric reference that starts with the "&" at pos; 0 for none.
qsizetype entityLength(QStringView text, qsizetype pos)
{
    qsizetype i = pos + 1;
    if (holdsAt(text, i, u'#')) {
        ++i;
        const bool hex = holdsOneOf(text, i, "xX"_L1);
        if (hex)
            ++i;
        const qsizetype first = i;
        while (i < text.size() && (hex ? isHexDigit(text[i]) : isAsciiDigit(text[i])))
            ++i;
        return i > first && holdsAt(text, i, u';') ? i + 1 - pos : 0;
    }
    if (i >= text.size() || !isAsciiLetter(text[i]))
        return 0;
    while (i < text.size() && (isAsciiLetter(text[i]) || isAsciiDigit(text[i])))
        ++i;
    return holdsAt(text, i, u';') ? i + 1 - pos : 0;
}

// The elements of Qt's rich text. Only these make a tag: "<none>" in a plain text is text.
bool isRichTextElement(QStringView name)
{
    static const QLatin1StringView elements[] = {
        "a"_L1, "address"_L1, "b"_L1, "big"_L1, "blockquote"_L1, "body"_L1, "br"_L1, "center"_L1, "cite"_L1,
        "code"_L1, "dd"_L1, "del"_L1, "dfn"_L1, "div"_L1, "dl"_L1, "dt"_L1, "em"_L1, "font"_L1, "h1"_L1,
        "h2"_L1, "h3"_L1, "h4"_L1, "h5"_L1, "h6"_L1, "head"_L1, "hr"_L1, "html"_L1, "i"_L1, "img"_L1,
        "ins"_L1, "kbd"_L1, "li"_L1, "link"_L1, "meta"_L1, "nobr"_L1, "ol"_L1, "p"_L1, "pre"_L1, "qt"_L1,
        "s"_L1, "samp"_L1, "script"_L1, "small"_L1, "span"_L1, "strike"_L1, "strong"_L1, "style"_L1, "sub"_L1,
        "sup"_L1, "table"_L1, "tbody"_L1, "td"_L1, "tfoot"_L1, "th"_L1, "thead"_L1, "title"_L1, "tr"_L1,
        "tt"_L1, "u"_L1, "ul"_L1, "var"_L1,
    };
    return std::any_of(std::begin(elements), std::end(elements),
                       [name](QLatin1StringView element) { return name.compare(element, Qt::CaseInsensitive) == 0; });
}

// The position after the ">" that closes a tag whose name ends before pos, attribute values in
// quotes passed over; -1 when the text ends first.
qsizetype tagEnd(QStringView text, qsizetype pos)
{
    char16_t quote = 0;
    for (; pos < text.size(); ++pos) {
        const char16_t c = text[pos].unicode();
        if (quote)
            quote = c == quote ? 0 : quote;
        else if (c == u'"' || c == u'\'')
            quote = c;
        else if (c == u'>')
            return pos + 1;
    }
    return -1;
}

// The length of the markup that starts with the "<" at pos; 0 for none. A style or script
// element counts whole, its contents included, since they are code.
qsizetype markupLength(QStringView text, qsizetype pos)
{
    const QStringView rest = text.sliced(pos);
    if (rest.startsWith(u"<!--")) {
        const qsizetype close = rest.indexOf(u"-->", 4);
        return close < 0 ? 0 : close + 3;
    }
    if (rest.startsWith(u"<!") || rest.startsWith(u"<?")) {
        const qsizetype end = tagEnd(text, pos + 2);
        return end < 0 ? 0 : end - pos;
    }
    const bool closing = rest.startsWith(u"</");
    const qsizetype nameStart = pos + (closing ? 2 : 1);
    qsizetype nameEnd = nameStart;
    while (nameEnd < text.size() && (isAsciiLetter(text[nameEnd]) || isAsciiDigit(text[nameEnd])))
        ++nameEnd;
    const QStringView name = text.sliced(nameStart, nameEnd - nameStart);
    if (name.isEmpty() || !isRichTextElement(name)
        || !(nameEnd == text.size() || text[nameEnd].isSpace() || text[nameEnd] == u'>' || text[nameEnd] == u'/'))
        return 0;
    const qsizetype end = tagEnd(text, nameEnd);
    if (end < 0)
        return 0;
    const bool code = name.compare("style"_L1, Qt::CaseInsensitive) == 0
                      || name.compare("script"_L1, Qt::CaseInsensitive) == 0;
    if (closing || !code || text[end - 2] == u'/')
        return end - pos;
    const qsizetype close = text.indexOf(u"</"_s + name.toString(), end, Qt::CaseInsensitive);
    const qsizetype elementEnd = close < 0 ? -1 : tagEnd(text, close + 2 + name.size());
    return (elementEnd < 0 ? text.size() : elementEnd) - pos;
}

Piece pieceAt(QStringView text, qsizetype pos)
{
    const QChar c = text[pos];
    if (c.isSpace())
        return {Kind::Space, 1};
    if (c == u'&') {
        if (holdsAt(text, pos + 1, u'&'))
            return {Kind::Code, 2};
        // A lone "&" is an accelerator's, kept; the letter after it is text like any other.
        return {Kind::Code, std::max(entityLength(text, pos), qsizetype(1))};
    }
    if (c == u'%')
        return {Kind::Code, std::max(formatLength(text, pos), qsizetype(1))};
    if (c == u'<') {
        if (const qsizetype length = markupLength(text, pos))
            return {Kind::Markup, length};
    }
    return {Kind::Text, 1};
}

// The part of a text between its opening and its closing whitespace and tags, where the
// brackets go, with the number of letters in its text.
struct Body
{
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype letters = 0;
};

Body findBody(QStringView text)
{
    Body body;
    bool started = false;
    for (qsizetype pos = 0; pos < text.size();) {
        const Piece piece = pieceAt(text, pos);
        if (piece.kind == Kind::Text || piece.kind == Kind::Code) {
            if (!std::exchange(started, true))
                body.start = pos;
            body.end = pos + piece.length;
            if (piece.kind == Kind::Text && text[pos].isLetter())
                ++body.letters;
        }
        pos += piece.length;
    }
    return body;
}

bool isMarked(QStringView text, const Body& body)
{
    return body.end - body.start >= 3 && text[body.start] == kOpen && text[body.end - 1] == kClose
           && text[body.end - 2] == kPadding;
}

} // namespace

QString pseudoTranslate(const QString& text)
{
    const Body body = findBody(text);
    if (body.start == body.end || isMarked(text, body))
        return text;
    // About 30 % longer, as translations from English mostly are, and at least one dot.
    const qsizetype padding = std::max((3 * body.letters + 9) / 10, qsizetype(1));
    QString pseudo;
    pseudo.reserve(text.size() + 2 + padding);
    pseudo.append(QStringView(text).first(body.start));
    pseudo.append(kOpen);
    for (qsizetype pos = body.start; pos < body.end;) {
        const Piece piece = pieceAt(text, pos);
        if (piece.kind == Kind::Text)
            pseudo.append(lookAlike(text[pos]));
        else
            pseudo.append(QStringView(text).sliced(pos, piece.length));
        pos += piece.length;
    }
    pseudo.append(QString(padding, QChar(kPadding)));
    pseudo.append(kClose);
    pseudo.append(QStringView(text).sliced(body.end));
    return pseudo;
}

bool isPseudoTranslation(const QString& text)
{
    return isMarked(text, findBody(text));
}

QString defaultPseudoLangId()
{
    return QStringLiteral("pseudo");
}

bool planPseudoColumn(const DictTable& table, int sourceCol, const QString& targetId, ImportPlan& plan)
{
    if (sourceCol < 0 || sourceCol >= table.columnCount() || table.column(sourceCol).langId == targetId)
        return false;
    ImportPlan filled;
    filled.targetCol = table.findLangIdColumn(targetId);
    if (filled.targetCol < 0) {
        filled.targetCol = table.columnCount();
        filled.target = {targetId, QStringLiteral("Pseudo"), 0};
    } else {
        filled.target = table.column(filled.targetCol);
    }
    filled.cells.reserve(std::size_t(table.rowCount() - 1));
    for (int row = 1; row < table.rowCount(); ++row)
        filled.cells.emplace_back(row, pseudoTranslate(table.cell(sourceCol, row)));
    plan = std::move(filled);
    return true;
}

bool planReplacesOwnTexts(const DictTable& table, const ImportPlan& plan)
{
    if (plan.targetCol < 0 || plan.targetCol >= table.columnCount())
        return false;
    return std::any_of(plan.cells.begin(), plan.cells.end(), [&](const std::pair<int, QString>& cell) {
        const QString& held = table.cell(plan.targetCol, cell.first);
        return !held.isEmpty() && held != cell.second && !isPseudoTranslation(held);
    });
}

} // namespace orb
