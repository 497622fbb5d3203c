#include "interop/TsFormat.h"

#include <QXmlStreamReader>

#include <optional>
#include <utility>

namespace orb {

using orb::lineError;

namespace {

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

} // namespace

QByteArray writeTs(const InteropCatalog& catalog)
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

bool readTs(const QByteArray& bytes, InteropCatalog& catalog, QString* error)
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

} // namespace orb
