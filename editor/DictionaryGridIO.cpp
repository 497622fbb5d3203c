#include "DictionaryGridIO.h"

#include "DictionaryFile.h"
#include "TextRoutines.h"
#include "Utf8Scratch.h"

#include <QByteArrayView>
#include <QFileInfo>

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <new>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <vector>

namespace {

bool isElement(pugi::xml_node node, const char* name)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

bool decodeAttribute(pugi::xml_node node, const char* name, QString& out)
{
    const pugi::xml_attribute attribute = node.attribute(name);
    return attribute && orb::decodeUtf8(attribute.value(), out);
}

bool fail(QString& error, const QString& why)
{
    error = why;
    return false;
}

bool readInto(const pugi::xml_node root, qint64 fileBytes, DictTable& table, QString& error)
{
    std::vector<LangColumn> columns;
    for (pugi::xml_node language : orb::firstChildElement(root, "Languages").children()) {
        if (language.type() != pugi::node_element)
            continue;
        LangColumn column;
        if (!orb::decodeUtf8(language.name(), column.langId))
            return fail(error, QStringLiteral("a language's element name is not UTF-8"));
        if (!decodeAttribute(language, "Name", column.langName))
            return fail(error, QStringLiteral("the Name of the language \"%1\" is missing or not UTF-8").arg(column.langId));
        columns.push_back(column);
    }

    const pugi::xml_node charsets = orb::firstChildElement(root, "Charsets");
    if (!charsets)
        return fail(error, QStringLiteral("there is no Charsets element"));
    // Paired by position only: the identifiers always come from Languages.
    std::size_t position = 0;
    for (pugi::xml_node charset : charsets.children()) {
        if (charset.type() != pugi::node_element)
            continue;
        if (position == columns.size())
            break;
        const pugi::xml_attribute value = charset.attribute("Charset");
        bool ok = false;
        const int number = value ? QByteArrayView(value.value()).toInt(&ok) : 0;
        if (!ok)
            return fail(error, QStringLiteral("the Charset of the language \"%1\" is missing or not a number")
                                   .arg(columns[position].langId));
        columns[position++].charset = number;
    }

    // Cells nearly always stand in column order, so the expected column is tried first; the
    // scan keeps the first column of a repeated identifier, as the lookup by name would.
    std::vector<QByteArray> ids;
    for (const LangColumn& column : columns)
        ids.push_back(column.langId.toUtf8());
    auto columnOf = [&](const char* name, std::size_t expected) -> int {
        if (expected < ids.size() && ids[expected] == name) {
            bool repeated = false;
            for (std::size_t i = 0; i < expected && !repeated; ++i)
                repeated = ids[i] == ids[expected];
            if (!repeated)
                return int(expected);
        }
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (ids[i] == name)
                return int(i);
        }
        return -1;
    };

    int items = 0;
    for (pugi::xml_node child : root.children())
        items += isElement(child, "Item");
    if (!orb::gridFitsFile(items, qint64(columns.size()), fileBytes))
        return fail(error, QStringLiteral("%1 items of %2 languages make too many cells for a file of %3 bytes")
                               .arg(items)
                               .arg(columns.size())
                               .arg(fileBytes));
    table.resetColumns(std::move(columns));
    table.reserveRows(items);

    int row = 0;
    for (pugi::xml_node item : root.children()) {
        if (!isElement(item, "Item"))
            continue;
        if (++row > 1)
            table.appendRow();
        std::size_t expected = 0;
        for (pugi::xml_node cell : item.children()) {
            if (cell.type() != pugi::node_element)
                continue;
            const int col = columnOf(cell.name(), expected++);
            if (col < 0)
                continue; // a language the file does not list: its attributes are not read
            QString text;
            if (!decodeAttribute(cell, "Message", text))
                return fail(error, QStringLiteral("the Message of the language \"%1\" in item %2 is missing or not UTF-8")
                                       .arg(table.column(col).langId)
                                       .arg(row));
            table.setCell(col, row, text);
        }
    }
    return true;
}

GridRead readFreshTable(const QString& path, DictTable& table, QString& error)
{
    if (!QFileInfo(path).isFile())
        return GridRead::Missing;
    pugi::xml_document doc;
    if (!orb::loadXmlFile(path, doc, &error, orb::Utf8Check::Values))
        return GridRead::ReadError;
    const pugi::xml_node root = orb::firstChildElement(doc, orb::kRootElement);
    if (!root) {
        error = QStringLiteral("the root element is not %1").arg(QString::fromLatin1(orb::kRootElement));
        return GridRead::UnknownFile;
    }
    const pugi::xml_node languages = orb::firstChildElement(root, "Languages");
    bool hasLanguage = false;
    for (pugi::xml_node child : languages.children())
        hasLanguage = hasLanguage || child.type() == pugi::node_element;
    if (!hasLanguage) {
        error = QStringLiteral("the Languages element lists no language");
        return GridRead::UnknownFile;
    }

    DictTable fresh;
    const bool read = readInto(root, QFileInfo(path).size(), fresh, error);
    doc.reset();
#ifdef __GLIBC__
    // The parse tree's pages lie between the texts in the heap; without a trim glibc keeps
    // them, and an open dictionary would hold about twice the memory it needs.
    malloc_trim(0);
#endif
    if (!read)
        return GridRead::ReadError;
    table = std::move(fresh);
    return GridRead::Ok;
}

// Throws std::bad_alloc when memory runs out, pugixml's included.
void buildDocument(const DictTable& table, const std::vector<QByteArray>& ids, pugi::xml_document& doc)
{
    orb::Utf8Scratch utf8;
    std::size_t length = 0;
    pugi::xml_node root = doc.append_child(orb::kRootElement);
    pugi::xml_node languages = root.append_child("Languages");
    bool built = bool(languages);
    for (int col = 0; col < table.columnCount() && built; ++col) {
        const char* name = utf8.convert(table.column(col).langName, length);
        built = orb::appendValueElement(languages, ids[std::size_t(col)].constData(), "Name", name, length);
    }
    pugi::xml_node charsets = root.append_child("Charsets");
    built = built && charsets;
    for (int col = 0; col < table.columnCount() && built; ++col) {
        const QByteArray number = QByteArray::number(table.column(col).charset);
        built = orb::appendValueElement(charsets, ids[std::size_t(col)].constData(), "Charset", number.constData(),
                                        std::size_t(number.size()));
    }
    for (int row = 1; row < table.rowCount() && built; ++row) {
        pugi::xml_node item = root.append_child("Item");
        built = bool(item);
        for (int col = 0; col < table.columnCount() && built; ++col) {
            const char* text = utf8.convert(table.cell(col, row), length);
            built = orb::appendValueElement(item, ids[std::size_t(col)].constData(), "Message", text, length);
        }
    }
    if (!built)
        throw std::bad_alloc();
}

} // namespace

GridRead readDictionaryGrid(const QString& path, DictTable& table, QString* error)
{
    QString why;
    GridRead result = GridRead::ReadError;
    try {
        result = readFreshTable(path, table, why);
    } catch (const std::bad_alloc&) {
        why = orb::outOfMemoryText();
    }
    if (error)
        *error = why;
    return result;
}

bool writeDictionaryGrid(const DictTable& table, const QString& path, QString* error, orb::SaveGuard* guard)
{
    std::vector<QByteArray> ids;
    for (int col = 0; col < table.columnCount(); ++col) {
        const QString& langId = table.column(col).langId;
        if (!orb::isValidXmlName(langId)) {
            if (error)
                *error = QStringLiteral("the language identifier \"%1\" is not a valid XML element name").arg(langId);
            return false;
        }
        // Cells are read back by identifier: a second column with the same one would give
        // its texts to the first and lose its own.
        if (std::find(ids.begin(), ids.end(), langId.toUtf8()) != ids.end()) {
            if (error)
                *error = QStringLiteral("two languages have the identifier \"%1\"").arg(langId);
            return false;
        }
        ids.push_back(langId.toUtf8());
    }

    try {
        pugi::xml_document doc;
        buildDocument(table, ids, doc);
        return orb::saveXmlFile(doc, path, orb::Layout::Indented, error, guard);
    } catch (const std::bad_alloc&) {
        if (error)
            *error = orb::outOfMemoryText();
        return false;
    }
}

QString withLngExtension(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > slash ? path.left(dot) : path) + QStringLiteral(".lng");
}
