#include "interop/PoFormat.h"

#include <QList>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>
#include <utility>

namespace orb {

using orb::lineError;

namespace {

// The C escapes with a letter of their own, as character and letter: the writer's and the
// reader's one table.
constexpr std::pair<char, char> kPoLetterEscapes[] = {
    {'\\', '\\'}, {'"', '"'}, {'\n', 'n'}, {'\t', 't'}, {'\r', 'r'},
    {'\a', 'a'}, {'\b', 'b'}, {'\f', 'f'}, {'\v', 'v'},
};

void appendPoEscaped(QByteArray& out, QStringView text)
{
    for (const char byte : text.toUtf8()) {
        const auto letter = std::find_if(std::begin(kPoLetterEscapes), std::end(kPoLetterEscapes),
                                         [byte](const auto& escape) { return escape.first == byte; });
        if (letter != std::end(kPoLetterEscapes)) {
            out += '\\';
            out += letter->second;
        } else if ((byte >= 0 && byte < 0x20) || byte == 0x7f) {
            const int value = byte;
            out += '\\';
            out += char('0' + ((value >> 6) & 7));
            out += char('0' + ((value >> 3) & 7));
            out += char('0' + (value & 7));
        } else {
            out += byte;
        }
    }
}

// keyword "text", or for a text with a line break inside it keyword "" and one string per
// line, as gettext's own tools write them so that a translator's editor shows the lines.
void appendPoString(QByteArray& out, const char* keyword, const QString& text)
{
    out += keyword;
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', start)) {
        lines << QStringView(text).sliced(start, at + 1 - start);
        start = at + 1;
    }
    if (start < text.size() || lines.isEmpty())
        lines << QStringView(text).sliced(start);
    if (lines.size() > 1)
        out += " \"\"\n";
    for (const QStringView line : lines) {
        out += lines.size() > 1 ? "\"" : " \"";
        appendPoEscaped(out, line);
        out += "\"\n";
    }
}

// One .po entry as it is being read.
struct PoEntry
{
    int line = 0; // of its msgctxt or msgid, the line msgfmt names too
    bool fuzzy = false;
    bool obsolete = false;
    std::optional<QByteArray> context, id, idPlural;
    std::optional<QByteArray> translation; // msgstr or msgstr[0]
    bool hasMsgstr = false;
    int idLine = 0;
    // The field the next continuation string belongs to.
    QByteArray* open = nullptr;
    QByteArray ignored; // msgstr[1] and further: read, checked and dropped
};

// Parses one "..." string at the start of rest into bytes. False with the reason.
bool parsePoString(QByteArrayView rest, QByteArray& bytes, QString& reason)
{
    rest = rest.trimmed();
    if (!rest.startsWith('"')) {
        reason = QStringLiteral("a quoted string expected");
        return false;
    }
    qsizetype i = 1;
    while (i < rest.size() && rest[i] != '"') {
        char c = rest[i++];
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (i >= rest.size())
            break;
        c = rest[i++];
        const auto letter = std::find_if(std::begin(kPoLetterEscapes), std::end(kPoLetterEscapes),
                                         [c](const auto& escape) { return escape.second == c; });
        if (letter != std::end(kPoLetterEscapes)) {
            bytes += letter->first;
            continue;
        }
        switch (c) {
        case '\'': case '?': bytes += c; break;
        case 'x': {
            int value = 0, digits = 0;
            while (i < rest.size() && digits < 2 && std::isxdigit(static_cast<unsigned char>(rest[i]))) {
                value = value * 16 + QByteArray(1, rest[i]).toInt(nullptr, 16);
                ++i, ++digits;
            }
            if (digits == 0) {
                reason = QStringLiteral("a bad escape \\x without digits");
                return false;
            }
            bytes += char(value);
            break;
        }
        default:
            if (c >= '0' && c <= '7') {
                int value = c - '0';
                for (int digits = 1; digits < 3 && i < rest.size() && rest[i] >= '0' && rest[i] <= '7'; ++digits)
                    value = value * 8 + (rest[i++] - '0');
                bytes += char(value);
            } else {
                reason = QStringLiteral("a bad escape \\%1").arg(QLatin1Char(c));
                return false;
            }
        }
    }
    if (i >= rest.size()) {
        reason = QStringLiteral("an unterminated string");
        return false;
    }
    if (!rest.sliced(i + 1).trimmed().isEmpty()) {
        reason = QStringLiteral("text after the closing quote");
        return false;
    }
    return true;
}

bool decodePoText(const QByteArray& bytes, int line, QString& text, QString* error)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = decoder.decode(bytes);
    return !decoder.hasError() || lineError(error, line, QStringLiteral("a text that is not UTF-8"));
}

// The value of a header field ("Language: ru\n"), or nothing.
std::optional<QString> poHeaderField(const QString& header, QStringView field)
{
    for (const QStringView line : QStringView(header).split(u'\n')) {
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0 && line.first(colon).trimmed().compare(field, Qt::CaseInsensitive) == 0)
            return line.sliced(colon + 1).trimmed().toString();
    }
    return std::nullopt;
}

class PoReader
{
public:
    explicit PoReader(InteropCatalog& catalog) : m_catalog(catalog) {}

    bool read(const QByteArray& bytes, QString* error)
    {
        QByteArrayView rest(bytes);
        if (rest.startsWith("\xEF\xBB\xBF"))
            rest = rest.sliced(3);
        int line = 0;
        while (!rest.isEmpty()) {
            ++line;
            const qsizetype end = rest.indexOf('\n');
            QByteArrayView text = end < 0 ? rest : rest.first(end);
            rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
            if (!readLine(text.trimmed(), line, error))
                return false;
        }
        return finishEntry(error);
    }

private:
    bool readLine(QByteArrayView text, int line, QString* error)
    {
        if (text.isEmpty())
            return true;
        bool obsolete = false;
        if (text.startsWith("#~")) {
            if (text.startsWith("#~|"))
                return true; // the previous source of an obsolete message
            text = text.sliced(2).trimmed();
            obsolete = true;
            if (text.isEmpty())
                return true;
        } else if (text.startsWith('#')) {
            if (m_entry.hasMsgstr && !finishEntry(error))
                return false;
            if (text.startsWith("#,")) {
                for (const QByteArray& flag : text.sliced(2).toByteArray().split(','))
                    m_entry.fuzzy = m_entry.fuzzy || flag.trimmed() == "fuzzy";
            }
            return true;
        }
        if (text.startsWith('"')) {
            if (!m_entry.open)
                return lineError(error, line, QStringLiteral("a string outside an entry"));
            return appendString(text, *m_entry.open, line, error);
        }
        // The keyword ends at the first blank, tab or quote, whichever comes first.
        qsizetype blank = 0;
        while (blank < text.size() && text[blank] != ' ' && text[blank] != '\t' && text[blank] != '"')
            ++blank;
        if (blank == text.size())
            blank = -1;
        const QByteArrayView keyword = blank < 0 ? text : text.first(blank);
        const QByteArrayView value = blank < 0 ? QByteArrayView() : text.sliced(blank);
        if (keyword == "msgctxt" || keyword == "msgid") {
            if (m_entry.hasMsgstr && !finishEntry(error))
                return false;
            if (m_entry.id)
                return lineError(error, m_entry.idLine,
                                 QStringLiteral("a msgid without its msgstr (line %1 starts another entry)").arg(line));
            if (keyword == "msgctxt" && m_entry.context)
                return lineError(error, line, QStringLiteral("a second msgctxt"));
            if (m_entry.line == 0)
                m_entry.line = line;
            std::optional<QByteArray>& field = keyword == "msgid" ? m_entry.id : m_entry.context;
            field = QByteArray();
            if (keyword == "msgid")
                m_entry.idLine = line;
            m_entry.open = &*field;
        } else if (keyword == "msgid_plural") {
            if (!m_entry.id || m_entry.hasMsgstr || m_entry.idPlural)
                return lineError(error, line, QStringLiteral("a msgid_plural out of place"));
            m_entry.idPlural = QByteArray();
            m_entry.open = &*m_entry.idPlural;
        } else if (keyword == "msgstr" || keyword.startsWith("msgstr[")) {
            if (!m_entry.id)
                return lineError(error, line, QStringLiteral("a msgstr without a msgid"));
            const bool indexed = keyword != "msgstr";
            if (indexed != bool(m_entry.idPlural))
                return lineError(error, line,
                                 indexed ? QStringLiteral("a msgstr[N] without msgid_plural")
                                         : QStringLiteral("a plain msgstr after msgid_plural"));
            bool ok = true;
            const int index = indexed && keyword.endsWith(']') ? keyword.sliced(7).chopped(1).toInt(&ok) : 0;
            if (!ok || index < 0 || (indexed && !keyword.endsWith(']')))
                return lineError(error, line, QStringLiteral("a bad plural index in %1").arg(QString::fromUtf8(keyword)));
            if (index == 0 && m_entry.translation)
                return lineError(error, line, QStringLiteral("a second msgstr for the same msgid"));
            m_entry.hasMsgstr = true;
            if (index == 0) {
                m_entry.translation = QByteArray();
                m_entry.open = &*m_entry.translation;
            } else {
                m_entry.ignored.clear();
                m_entry.open = &m_entry.ignored;
            }
        } else {
            return lineError(error, line, QStringLiteral("an unknown keyword %1").arg(QString::fromUtf8(keyword.first(std::min<qsizetype>(keyword.size(), 40)))));
        }
        m_entry.obsolete = m_entry.obsolete || obsolete;
        return appendString(value, *m_entry.open, line, error);
    }

    bool appendString(QByteArrayView text, QByteArray& field, int line, QString* error)
    {
        QString reason;
        if (!parsePoString(text, field, reason))
            return lineError(error, line, reason);
        return true;
    }

    bool finishEntry(QString* error)
    {
        PoEntry entry = std::exchange(m_entry, PoEntry());
        if (!entry.id)
            return true; // comments only
        if (!entry.hasMsgstr)
            return lineError(error, entry.idLine, QStringLiteral("a msgid without its msgstr"));
        InteropMessage message;
        message.line = entry.line;
        message.unfinished = entry.fuzzy;
        message.obsolete = entry.obsolete;
        message.plural = bool(entry.idPlural);
        if (!decodePoText(*entry.id, entry.idLine, message.source, error)
            || !decodePoText(entry.context.value_or(QByteArray()), entry.line, message.context, error)
            || !decodePoText(entry.translation.value_or(QByteArray()), entry.line, message.translation, error))
            return false;
        if (message.source.isEmpty() && !entry.context && !entry.obsolete)
            return readHeader(message, error);
        m_catalog.messages.push_back(std::move(message));
        return true;
    }

    // The header entry: its language, and the charset, which has to be UTF-8 (or the
    // template's placeholder) since the texts are read as UTF-8.
    bool readHeader(const InteropMessage& header, QString* error)
    {
        // lconvert names the language in X-Language.
        if (const auto language = poHeaderField(header.translation, u"Language"))
            m_catalog.language = *language;
        else if (const auto qtLanguage = poHeaderField(header.translation, u"X-Language"))
            m_catalog.language = *qtLanguage;
        if (const auto project = poHeaderField(header.translation, u"Project-Id-Version"))
            m_catalog.project = *project;
        if (const auto type = poHeaderField(header.translation, u"Content-Type")) {
            const qsizetype at = type->indexOf(u"charset=", 0, Qt::CaseInsensitive);
            const QString charset = at < 0 ? QString() : type->sliced(at + 8).section(u';', 0, 0).trimmed();
            static const QStringList accepted = {u"UTF-8"_qs, u"UTF8"_qs, u"CHARSET"_qs, u"ASCII"_qs, u"US-ASCII"_qs};
            if (!charset.isEmpty() && !accepted.contains(charset, Qt::CaseInsensitive))
                return lineError(error, header.line,
                                 QStringLiteral("the charset %1 is not UTF-8 (msgconv --to-code=UTF-8 converts the file)")
                                     .arg(charset.left(40)));
        }
        return true;
    }

    InteropCatalog& m_catalog;
    PoEntry m_entry;
};

} // namespace

QByteArray writePo(const InteropCatalog& catalog)
{
    // The fields msgfmt --check asks for, the translator's own left empty for their tools.
    QByteArray out = "msgid \"\"\nmsgstr \"\"\n\"Project-Id-Version: ";
    appendPoEscaped(out, catalog.project);
    out += "\\n\"\n\"PO-Revision-Date: \\n\"\n\"Last-Translator: \\n\"\n\"Language-Team: \\n\"\n";
    out += "\"MIME-Version: 1.0\\n\"\n"
                     "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                     "\"Content-Transfer-Encoding: 8bit\\n\"\n";
    if (!catalog.language.isEmpty()) {
        out += "\"Language: ";
        appendPoEscaped(out, catalog.language);
        out += "\\n\"\n";
    }
    for (const InteropMessage& message : catalog.messages) {
        out += '\n';
        if (message.unfinished && !message.translation.isEmpty())
            out += "#, fuzzy\n";
        if (!message.context.isEmpty())
            appendPoString(out, "msgctxt", message.context);
        appendPoString(out, "msgid", message.source);
        appendPoString(out, "msgstr", message.translation);
    }
    return out;
}

bool readPo(const QByteArray& bytes, InteropCatalog& catalog, QString* error)
{
    InteropCatalog read;
    if (!PoReader(read).read(bytes, error))
        return false;
    catalog = std::move(read);
    return true;
}

QString msgfmtObjection(const InteropMessage& message)
{
    if (message.translation.isEmpty())
        return {};
    if (message.source.startsWith(u'\n') != message.translation.startsWith(u'\n'))
        return QStringLiteral("the translation and its source text do not both begin with a line break, "
                              "which msgfmt --check refuses");
    if (message.source.endsWith(u'\n') != message.translation.endsWith(u'\n'))
        return QStringLiteral("the translation and its source text do not both end with a line break, "
                              "which msgfmt --check refuses");
    return {};
}

} // namespace orb
