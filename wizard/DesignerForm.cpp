#include "wizard/DesignerForm.h"

#include "wizard/HarvestLoop.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <optional>

namespace orb {

namespace {

bool isTranslatable(const QXmlStreamReader& xml)
{
    return xml.attributes().value(QStringLiteral("notr")) != u"true";
}

// Where the character data from start ends: at the end tag, CDATA sections and comments
// passed over. The reader's own offset cannot tell, as it reads ahead.
qsizetype characterDataEnd(QStringView xml, qsizetype start)
{
    static constexpr QStringView kCdataOpen = u"<![CDATA[";
    static constexpr QStringView kCommentOpen = u"<!--";
    qsizetype pos = xml.indexOf(u'<', start);
    while (pos >= 0) {
        const QStringView rest = xml.sliced(pos);
        qsizetype skipTo = -1;
        if (rest.startsWith(kCdataOpen))
            skipTo = xml.indexOf(u"]]>", pos);
        else if (rest.startsWith(kCommentOpen))
            skipTo = xml.indexOf(u"-->", pos);
        else
            return pos;
        if (skipTo < 0)
            break;
        pos = xml.indexOf(u'<', skipTo + 3);
    }
    return xml.size();
}

// The <string> element the reader has just entered, up to its end tag: its character data,
// where it stands, and its text. A nested element ends it as malformed for a form.
bool readString(QXmlStreamReader& xml, QStringView xmlText, DesignerString& string)
{
    const qsizetype start = xml.characterOffset();
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::Characters:
            string.phrase += xml.text();
            break;
        case QXmlStreamReader::Comment:
            break;
        case QXmlStreamReader::EndElement:
            string.source = {start, characterDataEnd(xmlText, start) - start};
            return true;
        default:
            xml.raiseError(QStringLiteral("a <string> holds more than text"));
            return false;
        }
    }
    return false;
}

QString reasonWithLine(const QXmlStreamReader& xml)
{
    return QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
}

// The character a reference such as "#1046" or "#x416" (without & and ;) stands for, or none.
std::optional<QString> characterReference(QStringView name)
{
    if (name.size() < 2 || name[0] != u'#')
        return std::nullopt;
    const bool hex = name[1] == u'x' || name[1] == u'X';
    bool ok = false;
    const uint code = name.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
    if (!ok)
        return std::nullopt;
    if (code == 0 || code > 0x10FFFF || QChar::isSurrogate(code))
        return QString(QChar::ReplacementCharacter);
    const char32_t unit = code;
    return QString::fromUcs4(&unit, 1);
}

std::optional<QString> entity(QStringView name)
{
    static const std::pair<QStringView, QStringView> kPredefined[] = {
        {u"lt", u"<"}, {u"gt", u">"}, {u"amp", u"&"}, {u"quot", u"\""}, {u"apos", u"'"}};
    for (const auto& [entityName, text] : kPredefined) {
        if (name == entityName)
            return text.toString();
    }
    return characterReference(name);
}

} // namespace

bool readDesignerStrings(QStringView xmlText, std::vector<DesignerString>& strings, QString* error)
{
    strings.clear();
    QXmlStreamReader xml(xmlText.toString());
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        // A document type could declare entities; forms never have one.
        if (token == QXmlStreamReader::DTD) {
            *error = QStringLiteral("line %1: a document type declaration is not accepted in a form")
                         .arg(xml.lineNumber());
            return false;
        }
        if (token != QXmlStreamReader::StartElement || xml.name() != u"string")
            continue;
        const bool translatable = isTranslatable(xml);
        DesignerString string;
        if (!readString(xml, xmlText, string))
            break;
        if (translatable && !string.phrase.isEmpty())
            strings.push_back(std::move(string));
    }
    if (xml.hasError()) {
        *error = reasonWithLine(xml);
        return false;
    }
    return true;
}

QString decodeXmlText(QStringView source)
{
    static constexpr QStringView kCdataOpen = u"<![CDATA[";
    static constexpr QStringView kCdataClose = u"]]>";
    QString text;
    text.reserve(source.size());
    for (qsizetype i = 0; i < source.size();) {
        if (source.sliced(i).startsWith(kCdataOpen)) {
            const qsizetype close = source.indexOf(kCdataClose, i + kCdataOpen.size());
            const qsizetype end = close < 0 ? source.size() : close;
            text += source.sliced(i + kCdataOpen.size(), end - i - kCdataOpen.size());
            i = close < 0 ? end : close + kCdataClose.size();
            continue;
        }
        if (source[i] == u'&') {
            const qsizetype semicolon = source.indexOf(u';', i + 1);
            // Names are short; a lone "&" far from any ";" is kept as it stands.
            if (semicolon > i && semicolon - i <= 12) {
                if (const std::optional<QString> resolved = entity(source.sliced(i + 1, semicolon - i - 1))) {
                    text += *resolved;
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        text += source[i++];
    }
    return text;
}

bool harvestDesignerStrings(const EditedText& text, const std::vector<DesignerString>& strings,
                         HarvestPrompt& prompt, PhraseSink& sink)
{
    for (const DesignerString& string : strings) {
        if (sink.phraseExists(string.phrase)) {
            prompt.showSelection(string.source, false);
            continue;
        }
        prompt.showSelection(string.source, true);
        const PromptOutcome outcome = askAboutSelection(PromptKind::AddPhrase, text, string.source, prompt,
                                                        decodeXmlText, string.phrase);
        if (outcome.answer == Answer::Cancel || outcome.asked.length == 0)
            return false;
        if (outcome.answer == Answer::Yes)
            addAcceptedPhrase(outcome.phrase, outcome.selection, sink, prompt);
    }
    return true;
}

} // namespace orb
