#include "DictionaryImport.h"

#include "DictionaryFile.h"

#include <QByteArrayView>
#include <QFileInfo>

#include <pugixml.hpp>

#include <cstring>
#include <new>
#include <unordered_map>

struct ImportSource::Parsed
{
    pugi::xml_document doc;
    pugi::xml_node root;
    std::vector<LangColumn> languages;
};

namespace {

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

bool isElement(pugi::xml_node node, const char* name)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

// A cell that is there must say its text: a cell without Message is a damaged file, not an
// empty text. Absent cells are told apart by found.
bool readCell(pugi::xml_node item, const char* langId, bool& found, QString& text)
{
    const pugi::xml_node cell = orb::firstChildElement(item, langId);
    found = bool(cell);
    if (!found)
        return true;
    const pugi::xml_attribute message = cell.attribute("Message");
    return message && orb::decodeUtf8(message.value(), text);
}

bool readCharset(pugi::xml_node root, const LangColumn& language, int& charset, QString* error)
{
    const pugi::xml_node charsets = orb::firstChildElement(root, "Charsets");
    if (!charsets)
        return fail(error, QStringLiteral("there is no Charsets element"));
    const pugi::xml_node entry = orb::firstChildElement(charsets, language.langId.toUtf8().constData());
    const pugi::xml_attribute value = entry.attribute("Charset");
    bool ok = false;
    charset = value ? QByteArrayView(value.value()).toInt(&ok) : 0;
    if (!ok)
        return fail(error, QStringLiteral("the Charset of the language \"%1\" is missing or not a number").arg(language.langId));
    return true;
}

int lastColumnWithHeader(const DictTable& table, const QString& header)
{
    for (int col = table.columnCount() - 1; col >= 0; --col) {
        if (table.headerText(col) == header)
            return col;
    }
    return table.columnCount();
}

} // namespace

QString AsciiLower(QString text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return text;
}

QString ImportNamePart(const QString& entry)
{
    const qsizetype bracket = entry.indexOf(u'(');
    return bracket < 0 ? QString() : AsciiLower(entry.left(bracket));
}

ImportSource::ImportSource() : d(std::make_unique<Parsed>()) {}

ImportSource::~ImportSource() = default;

GridRead ImportSource::open(const QString& path, QString* error)
{
    try {
        return openParsed(path, error);
    } catch (const std::bad_alloc&) {
        d = std::make_unique<Parsed>();
        fail(error, orb::outOfMemoryText());
        return GridRead::ReadError;
    }
}

GridRead ImportSource::openParsed(const QString& path, QString* error)
{
    d = std::make_unique<Parsed>();
    if (!QFileInfo(path).isFile())
        return GridRead::Missing;
    QString why;
    if (!orb::loadXmlFile(path, d->doc, &why, orb::Utf8Check::Values)) {
        fail(error, why);
        return GridRead::ReadError;
    }
    d->root = orb::firstChildElement(d->doc, orb::kRootElement);
    if (!d->root) {
        fail(error, QStringLiteral("the root element is not %1").arg(QString::fromLatin1(orb::kRootElement)));
        return GridRead::UnknownFile;
    }
    for (pugi::xml_node child : orb::firstChildElement(d->root, "Languages").children()) {
        if (child.type() != pugi::node_element)
            continue;
        LangColumn language;
        const pugi::xml_attribute name = child.attribute("Name");
        if (!orb::decodeUtf8(child.name(), language.langId) || !name || !orb::decodeUtf8(name.value(), language.langName)) {
            fail(error, QStringLiteral("the Name of the language \"%1\" is missing or not UTF-8").arg(language.langId));
            return GridRead::ReadError;
        }
        d->languages.push_back(language);
    }
    if (d->languages.empty()) {
        fail(error, QStringLiteral("the Languages element lists no language"));
        return GridRead::UnknownFile;
    }
    return GridRead::Ok;
}

const std::vector<LangColumn>& ImportSource::languages() const
{
    return d->languages;
}

QStringList ImportSource::entryTexts() const
{
    QStringList entries;
    for (const LangColumn& language : d->languages)
        entries.append(HeaderText(language.langName, language.langId));
    return entries;
}

bool ImportSource::plan(const DictTable& table, int keyCol, int keyPosition, int importPosition, ImportPlan& out,
                        QString* error) const
{
    try {
        return planMerge(table, keyCol, keyPosition, importPosition, out, error);
    } catch (const std::bad_alloc&) {
        return fail(error, orb::outOfMemoryText());
    }
}

bool ImportSource::planMerge(const DictTable& table, int keyCol, int keyPosition, int importPosition,
                             ImportPlan& out, QString* error) const
{
    const int count = int(d->languages.size());
    if (keyCol < 0 || keyCol >= table.columnCount() || keyPosition < 0 || keyPosition >= count || importPosition < 0
        || importPosition >= count)
        return fail(error, QStringLiteral("the key or the imported language is not there"));
    const LangColumn& imported = d->languages[std::size_t(importPosition)];
    ImportPlan plan;
    plan.targetCol = lastColumnWithHeader(table, HeaderText(imported.langName, imported.langId));
    plan.target = plan.targetCol < table.columnCount() ? table.column(plan.targetCol) : imported;
    if (!readCharset(d->root, imported, plan.target.charset, error))
        return false;

    const QByteArray keyId = d->languages[std::size_t(keyPosition)].langId.toUtf8();
    const QByteArray importId = imported.langId.toUtf8();
    // One text per key, the last item's, so that the rows are passed over once.
    // A standard map, not a QHash: QHash ends the program when an insertion cannot allocate,
    // and an import too large for memory must fail like any other.
    std::unordered_map<QString, QString> byKey;
    int itemNumber = 0;
    for (pugi::xml_node item : d->root.children()) {
        if (!isElement(item, "Item"))
            continue;
        ++itemNumber;
        bool hasKey = false;
        bool hasText = false;
        QString key;
        QString text;
        if (!readCell(item, keyId.constData(), hasKey, key) || !readCell(item, importId.constData(), hasText, text))
            return fail(error, QStringLiteral("item %1 has a language without its Message, or one not UTF-8").arg(itemNumber));
        if (hasKey && hasText && !text.isEmpty())
            byKey.insert_or_assign(std::move(key), std::move(text));
    }

    for (int row = 1; row < table.rowCount(); ++row) {
        const auto found = byKey.find(table.cell(keyCol, row));
        if (found != byKey.end())
            plan.cells.emplace_back(row, found->second);
    }
    out = std::move(plan);
    return true;
}

void applyImportPlan(DictTable& table, const ImportPlan& plan)
{
    if (plan.targetCol == table.columnCount())
        table.appendColumn(plan.target);
    table.setColumn(plan.targetCol, plan.target);
    for (const auto& [row, text] : plan.cells)
        table.setCell(plan.targetCol, row, text);
}
