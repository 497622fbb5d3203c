#include "interop/Interop.h"

#include "dictionary/DictTable.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <utility>
#include <optional>

namespace {

bool setError(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

bool lineError(QString* error, qint64 line, const QString& reason)
{
    return setError(error, QStringLiteral("line %1: %2").arg(line).arg(reason));
}

// ---- .ts ------------------------------------------------------------------------------------

// Text content as Linguist writes it. A carriage return is a character reference because an
// XML reader turns a literal one into a line feed; the other control characters cannot be in
// an XML 1.0 document at all, and Linguist's <byte> element carries them.
// In an attribute value a reader turns line breaks and tabs into blanks, so they are written
// as references there, and <byte> cannot stand there: other control characters are left out.
void appendTsText(QByteArray& out, const QString& text, bool attribute = false)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar ch : text) {
        if (attribute && ch.unicode() < 0x20) {
            if (ch == u'\n' || ch == u'\t' || ch == u'\r')
                escaped += QStringLiteral("&#x%1;").arg(ch.unicode(), 0, 16);
            continue;
        }
        switch (ch.unicode()) {
        case u'&': escaped += u"&amp;"; break;
        case u'<': escaped += u"&lt;"; break;
        case u'>': escaped += u"&gt;"; break;
        case u'"': escaped += u"&quot;"; break;
        case u'\'': escaped += u"&apos;"; break;
        case u'\r': escaped += u"&#xd;"; break;
        case u'\n':
        case u'\t': escaped += ch; break;
        default:
            if (ch.unicode() < 0x20)
                escaped += QStringLiteral("<byte value=\"x%1\"/>").arg(ch.unicode(), 0, 16);
            else
                escaped += ch;
        }
    }
    out += escaped.toUtf8();
}

void appendTsElement(QByteArray& out, const char* indent, const char* name, const QString& text)
{
    out += indent;
    out += '<';
    out += name;
    out += '>';
    appendTsText(out, text);
    out += "</";
    out += name;
    out += ">\n";
}

bool isTsFormElement(QStringView name)
{
    return name == u"numerusform" || name == u"lengthvariant";
}

// The text of the current element up to its end: characters, Linguist's <byte> characters,
// and for a translation with plural forms or length variants the first form's text.
bool readTsText(QXmlStreamReader& xml, QString& text, QString* error)
{
    QString own;
    std::optional<QString> firstForm;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::Characters:
            own += xml.text();
            break;
        case QXmlStreamReader::EntityReference:
            return lineError(error, xml.lineNumber(), QStringLiteral("an undeclared entity &%1;").arg(xml.name()));
        case QXmlStreamReader::StartElement:
            if (xml.name() == u"byte") {
                const QStringView value = xml.attributes().value(QLatin1StringView("value"));
                bool ok = false;
                const uint code = value.startsWith(u'x') ? value.mid(1).toUInt(&ok, 16) : value.toUInt(&ok, 10);
                // Linguist writes the characters XML cannot hold; a surrogate would be half of one.
                if (!ok || code >= 0xd800)
                    return lineError(error, xml.lineNumber(), QStringLiteral("a <byte> without a character value"));
                own += QChar(char16_t(code));
                xml.skipCurrentElement();
            } else if (isTsFormElement(xml.name())) {
                QString form;
                if (!readTsText(xml, form, error))
                    return false;
                if (!firstForm)
                    firstForm = form;
            } else {
                xml.skipCurrentElement();
            }
            break;
        case QXmlStreamReader::EndElement:
            text = firstForm ? *firstForm : own;
            return true;
        default:
            break;
        }
    }
    return lineError(error, xml.lineNumber(), xml.errorString());
}

bool readTsMessage(QXmlStreamReader& xml, const QString& context, InteropMessage& message, QString* error)
{
    message.context = context;
    message.line = int(xml.lineNumber());
    message.plural = xml.attributes().value(QLatin1StringView("numerus")) == u"yes";
    bool hasSource = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"source") {
            if (!readTsText(xml, message.source, error))
                return false;
            hasSource = true;
        } else if (xml.name() == u"translation") {
            const QStringView type = xml.attributes().value(QLatin1StringView("type"));
            message.unfinished = type == u"unfinished";
            message.obsolete = type == u"obsolete" || type == u"vanished";
            if (!readTsText(xml, message.translation, error))
                return false;
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        return lineError(error, xml.lineNumber(), xml.errorString());
    if (!hasSource)
        return lineError(error, message.line, QStringLiteral("a message without its <source>"));
    return true;
}

bool readTsContext(QXmlStreamReader& xml, std::vector<InteropMessage>& messages, QString* error)
{
    QString name;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"name") {
            if (!readTsText(xml, name, error))
                return false;
        } else if (xml.name() == u"message") {
            InteropMessage message;
            if (!readTsMessage(xml, name, message, error))
                return false;
            messages.push_back(std::move(message));
        } else {
            xml.skipCurrentElement();
        }
    }
    return !xml.hasError() || lineError(error, xml.lineNumber(), xml.errorString());
}

// ---- .po ------------------------------------------------------------------------------------

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

QByteArray WriteTs(const InteropCatalog& catalog)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n<TS version=\"2.1\"";
    if (!catalog.language.isEmpty()) {
        out += " language=\"";
        appendTsText(out, catalog.language, true);
        out += '"';
    }
    if (!catalog.sourceLanguage.isEmpty()) {
        out += " sourcelanguage=\"";
        appendTsText(out, catalog.sourceLanguage, true);
        out += '"';
    }
    out += ">\n";
    for (std::size_t i = 0; i < catalog.messages.size(); ++i) {
        const InteropMessage& message = catalog.messages[i];
        if (i == 0 || catalog.messages[i - 1].context != message.context) {
            if (i > 0)
                out += "</context>\n";
            out += "<context>\n";
            appendTsElement(out, "    ", "name", message.context);
        }
        out += "    <message>\n";
        appendTsElement(out, "        ", "source", message.source);
        if (message.translation.isEmpty() || message.unfinished) {
            out += "        <translation type=\"unfinished\"";
            if (message.translation.isEmpty()) {
                out += "/>\n";
            } else {
                out += '>';
                appendTsText(out, message.translation);
                out += "</translation>\n";
            }
        } else {
            appendTsElement(out, "        ", "translation", message.translation);
        }
        out += "    </message>\n";
    }
    if (!catalog.messages.empty())
        out += "</context>\n";
    out += "</TS>\n";
    return out;
}

QByteArray WritePo(const InteropCatalog& catalog)
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

bool ReadTs(const QByteArray& bytes, InteropCatalog& catalog, QString* error)
{
    QXmlStreamReader xml(bytes);
    InteropCatalog read;
    bool root = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD) {
            // Linguist writes a bare <!DOCTYPE TS>; anything more could declare entities,
            // which a hostile file would use to make the reader expand text without bound.
            if (xml.dtdName() != u"TS" || xml.text().contains(u'[') || !xml.entityDeclarations().isEmpty())
                return lineError(error, xml.lineNumber(),
                                 QStringLiteral("a document type declaration is not accepted in a .ts file"));
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() != u"TS")
            return lineError(error, xml.lineNumber(),
                             QStringLiteral("not a Qt Linguist file (its root element is <%1>, not <TS>)").arg(xml.name()));
        root = true;
        read.language = xml.attributes().value(QLatin1StringView("language")).toString();
        read.sourceLanguage = xml.attributes().value(QLatin1StringView("sourcelanguage")).toString();
        while (xml.readNextStartElement()) {
            if (xml.name() == u"context") {
                if (!readTsContext(xml, read.messages, error))
                    return false;
            } else if (xml.name() == u"extra-po-header-language") {
                // lconvert keeps a .po file's Language header here rather than in the attribute.
                QString language;
                if (!readTsText(xml, language, error))
                    return false;
                if (read.language.isEmpty())
                    read.language = language;
            } else {
                xml.skipCurrentElement();
            }
        }
        if (xml.hasError())
            break;
        // Only what follows the root is left: comments, or an error the loop reports.
    }
    if (xml.hasError())
        return lineError(error, xml.lineNumber(), xml.errorString());
    if (!root)
        return lineError(error, xml.lineNumber(), QStringLiteral("no <TS> element"));
    catalog = std::move(read);
    return true;
}

bool ReadPo(const QByteArray& bytes, InteropCatalog& catalog, QString* error)
{
    InteropCatalog read;
    if (!PoReader(read).read(bytes, error))
        return false;
    catalog = std::move(read);
    return true;
}

InteropFormat DetectInteropFormat(const QString& path, const QByteArray& bytes)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"ts")
        return InteropFormat::Ts;
    if (suffix == u"po" || suffix == u"pot")
        return InteropFormat::Po;
    QByteArrayView start(bytes);
    if (start.startsWith("\xEF\xBB\xBF"))
        start = start.sliced(3);
    return start.trimmed().startsWith('<') ? InteropFormat::Ts : InteropFormat::Po;
}

bool ReadInteropFile(const QString& path, InteropCatalog& catalog, QString* error)
{
    QFile file(path);
    if (!file.exists())
        return setError(error, QStringLiteral("no such file"));
    if (!file.open(QIODevice::ReadOnly))
        return setError(error, file.errorString());
    if (file.size() > kMaxInteropFileBytes)
        return setError(error, QStringLiteral("the file is larger than %1 MiB").arg(kMaxInteropFileBytes >> 20));
    const QByteArray bytes = file.read(kMaxInteropFileBytes + 1);
    if (bytes.size() > kMaxInteropFileBytes)
        return setError(error, QStringLiteral("the file is larger than %1 MiB").arg(kMaxInteropFileBytes >> 20));
    if (file.error() != QFileDevice::NoError)
        return setError(error, file.errorString());
    return DetectInteropFormat(path, bytes) == InteropFormat::Ts ? ReadTs(bytes, catalog, error)
                                                                 : ReadPo(bytes, catalog, error);
}

InteropCatalog CatalogFromTable(const DictTable& table, int langCol, int sourceCol, const QString& context,
                                std::vector<InteropNote>& notes)
{
    InteropCatalog catalog;
    catalog.language = table.column(langCol).langId;
    catalog.sourceLanguage = table.column(sourceCol).langId;
    QHash<QString, int> firstRow;
    for (int row = 1; row < table.rowCount(); ++row) {
        const QString& source = table.cell(sourceCol, row);
        const QString& translation = table.cell(langCol, row);
        if (source.isEmpty()) {
            if (!translation.isEmpty())
                notes.push_back({row, 0, QStringLiteral("a translation without a source text, not written"), translation});
            continue;
        }
        const auto found = firstRow.constFind(source);
        if (found != firstRow.cend()) {
            notes.push_back({row, 0, QStringLiteral("the source text of row %1 again; only row %1's translation is written")
                                         .arg(*found), source});
            continue;
        }
        firstRow.insert(source, row);
        catalog.messages.push_back({context, source, translation, false, false, false, row});
    }
    return catalog;
}

QString MsgfmtObjection(const InteropMessage& message)
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

InteropImportResult ImportCatalog(DictTable& table, const InteropCatalog& catalog, int sourceCol,
                                  const QString& langId, const InteropImportOptions& options,
                                  std::vector<InteropNote>& notes)
{
    InteropImportResult result;
    int targetCol = table.findLangIdColumn(langId);
    if (targetCol < 0) {
        table.appendColumn({langId, catalog.language.isEmpty() ? langId : catalog.language, 0});
        targetCol = table.columnCount() - 1;
        result.columnAdded = true;
    }
    QHash<QString, QList<int>> rowsBySource;
    for (int row = 1; row < table.rowCount(); ++row) {
        if (!table.cell(sourceCol, row).isEmpty())
            rowsBySource[table.cell(sourceCol, row)] << row;
    }
    struct Taken
    {
        QString translation;
        int line;
    };
    QHash<QString, Taken> taken;
    for (const InteropMessage& message : catalog.messages) {
        if (message.obsolete) {
            ++result.obsolete;
            continue;
        }
        const int line = message.line;
        if (message.source.isEmpty()) {
            notes.push_back({0, line, QStringLiteral("a message without a source text, skipped"), message.translation});
            continue;
        }
        QString translation = message.translation;
        if (message.unfinished && !options.keepUnfinished && !translation.isEmpty()) {
            notes.push_back({0, line, QStringLiteral("an unfinished translation, left out (--keep-unfinished takes it)"),
                             message.source});
            translation.clear();
        }
        if (message.plural)
            notes.push_back({0, line, QStringLiteral("plural forms: only the singular form is taken"), message.source});
        const auto first = taken.constFind(message.source);
        if (first != taken.cend()) {
            if (first->translation != translation)
                notes.push_back({0, line, QStringLiteral("the source text again (context %1) with another translation; "
                                                         "the one of line %2 is kept")
                                              .arg(message.context.isEmpty() ? QStringLiteral("none") : message.context)
                                              .arg(first->line),
                                 message.source});
            continue;
        }
        taken.insert(message.source, Taken{translation, line});
        const QList<int> rows = rowsBySource.value(message.source);
        // An empty translation changes nothing, as in the editor's import: a file exported
        // before a text was translated must not take the translation back.
        if (!translation.isEmpty()) {
            for (const int row : rows)
                table.setCell(targetCol, row, translation);
            result.rowsSet += int(rows.size());
        }
        if (!rows.isEmpty())
            continue;
        ++result.unmatched;
        if (!options.addMissing) {
            notes.push_back({0, line, QStringLiteral("no row has this source text (--add-missing adds one)"), message.source});
            continue;
        }
        // A new dictionary's only row, still empty, takes the first message.
        const bool reuse = table.rowCount() == 2 && table.isRowEmpty(1);
        if (!reuse)
            table.appendRow();
        const int row = table.rowCount() - 1;
        table.setCell(sourceCol, row, message.source);
        table.setCell(targetCol, row, translation);
        ++result.rowsAdded;
        notes.push_back({row, line, QStringLiteral("no row had this source text; row %1 added").arg(row), message.source});
    }
    return result;
}
