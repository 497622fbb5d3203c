#include "wizard/CppLiteral.h"

#include "wizard/CppSpelling.h"

#include <QByteArray>

#include <algorithm>

namespace orb {

namespace {

// The prefix of a literal whose numeric escapes are bytes of UTF-8 (none, or u8).
bool isNarrowPrefix(QStringView prefix)
{
    return prefix == u"u8" || !isOneOf(prefix, kStringPrefixes);
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

// The first quote or backslash in text from from, or its end.
qsizetype quoteOrBackslashFrom(QStringView text, qsizetype from)
{
    const char16_t* const end = text.utf16() + text.size();
    const char16_t* unit = text.utf16() + std::min(from, text.size());
    while (unit != end && *unit != u'"' && *unit != u'\\')
        ++unit;
    return unit - text.utf16();
}

} // namespace

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

LiteralBodyDelimiters literalBodyDelimitersAround(QStringView source, qsizetype offset)
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

QString decodeCppLiteral(QStringView source)
{
    QString phrase;
    phrase.reserve(source.size());
    orb::appendCppLiteral(source, phrase);
    return phrase;
}

} // namespace orb
