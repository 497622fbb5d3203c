#include "dictionary/DictionaryGridIO.h"

#include "component/DictionaryFormat.h"
#include "component/TextRoutines.h"

#include <QByteArrayView>
#include <QFileInfo>

#include <memory>
#include <new>
#ifdef __GLIBC__
#include <malloc.h>

#endif

namespace orb {

#include <vector>

namespace {

// Languages and Charsets as the editor reads them: identifiers from Languages, charsets
// paired by position and kept whole.
class HeadReader : public orb::DictionaryHeadSink
{
public:
    std::vector<LangColumn> columns;
    QString error;

    bool language(int, const char* name, const orb::FormatElement& element) override
    {
        LangColumn column;
        if (!orb::decodeUtf8(element.name(), column.langId))
            return fail(QStringLiteral("a language's element name is not UTF-8"));
        if (!name || !orb::decodeUtf8(name, column.langName))
            return fail(QStringLiteral("the Name of the language \"%1\" is missing or not UTF-8").arg(column.langId));
        columns.push_back(column);
        return true;
    }

    bool charset(int position, const char* charset, const orb::FormatElement&) override
    {
        if (std::size_t(position) == columns.size())
            return false;
        bool ok = false;
        const int number = charset ? QByteArrayView(charset).toInt(&ok) : 0;
        if (!ok)
            return fail(QStringLiteral("the Charset of the language \"%1\" is missing or not a number")
                            .arg(columns[std::size_t(position)].langId));
        columns[std::size_t(position)].charset = number;
        return true;
    }

private:
    bool fail(const QString& why)
    {
        error = why;
        return false;
    }
};

bool fail(QString& error, const QString& why)
{
    error = why;
    return false;
}

QString cellError(const LangColumn& column, int item)
{
    return QStringLiteral("the Message of the language \"%1\" in item %2 is missing or not UTF-8")
        .arg(column.langId)
        .arg(item);
}

// The file's languages and its cells' values, copied out of the parse tree.
struct FileContent
{
    std::vector<LangColumn> columns;
    std::vector<QByteArrayView> values; // a row of columns.size() per Item
    std::unique_ptr<char[]> bytes;      // what values point into
    qsizetype items = 0;
};

bool collect(const orb::DictionaryDocument& doc, qint64 fileBytes, FileContent& content, QString& error)
{
    HeadReader head;
    if (!doc.walkLanguages(head))
        return fail(error, head.error);
    if (!doc.hasCharsets())
        return fail(error, QStringLiteral("there is no Charsets element"));
    if (!doc.walkCharsets(head) && !head.error.isEmpty())
        return fail(error, head.error);
    content.columns = std::move(head.columns);

    content.items = doc.itemCount();
    const std::size_t languages = content.columns.size();
    if (!orb::gridFitsFile(content.items, qint64(languages), fileBytes))
        return fail(error, QStringLiteral("%1 items of %2 languages make too many cells for a file of %3 bytes")
                               .arg(content.items)
                               .arg(languages)
                               .arg(fileBytes));
    std::vector<QByteArray> ids;
    for (const LangColumn& column : content.columns)
        ids.push_back(column.langId.toUtf8());
    content.values.resize(std::size_t(doc.rootElementCount()) * languages);
    const orb::CellCollection collected =
        orb::collectCells(doc, 0, doc.rootElementCount(), ids, content.values.data(), content.bytes);
    if (collected.stop != orb::CellCollection::Stop::Done)
        return fail(error, cellError(content.columns[std::size_t(collected.stopLanguage)], collected.rows));
    content.values.resize(std::size_t(content.items) * languages);
    return true;
}

// The values decoded into the table's phrase rows, a row per Item (one empty row for none).
bool fill(FileContent& content, DictTable& table, QString& error)
{
    const std::size_t languages = content.columns.size();
    std::vector<LangColumn> columns = content.columns;
    table.resetColumns(std::move(columns));
    table.reserveRows(int(content.items));
    for (qsizetype row = 1; row < content.items; ++row)
        table.appendRow();
    const QByteArrayView* value = content.values.data();
    for (qsizetype row = 0; row < content.items; ++row) {
        for (std::size_t col = 0; col < languages; ++col, ++value) {
            if (value->isNull())
                continue;
            QString text;
            if (!orb::decodeUtf8(*value, text))
                return fail(error, cellError(content.columns[col], int(row) + 1));
            table.setCell(int(col), int(row) + 1, text);
        }
    }
    return true;
}

GridRead readFreshTable(const QString& path, DictTable& table, QString& error)
{
    if (!QFileInfo(path).isFile())
        return GridRead::Missing;
    FileContent content;
    {
        orb::DictionaryDocument doc;
        if (!doc.load(path, &error, orb::Utf8Check::Values))
            return GridRead::ReadError;
        if (!doc.hasRoot()) {
            error = QStringLiteral("the root element is not %1").arg(QString::fromLatin1(orb::kRootElement));
            return GridRead::UnknownFile;
        }
        if (!doc.hasLanguages()) {
            error = QStringLiteral("the Languages element lists no language");
            return GridRead::UnknownFile;
        }
        if (!collect(doc, QFileInfo(path).size(), content, error))
            return GridRead::ReadError;
    }
    // The texts decoded next reuse the parse tree's memory instead of being placed beyond it.
    DictTable fresh;
    const bool read = fill(content, fresh, error);
    content = FileContent();
#ifdef __GLIBC__
    // The tree's and the values' pages lie between the texts in the heap; without a trim
    // glibc keeps them, and an open dictionary would hold about twice the memory it needs.
    malloc_trim(0);
#endif
    if (!read)
        return GridRead::ReadError;
    table = std::move(fresh);
    return GridRead::Ok;
}

// The table's columns and phrase rows as the writer reads them.
class TableSource : public orb::DictionarySource
{
public:
    explicit TableSource(const DictTable& table) : m_table(table) {}
    int languageCount() const override { return m_table.columnCount(); }
    QString languageId(int language) const override { return m_table.column(language).langId; }
    QString languageName(int language) const override { return m_table.column(language).langName; }
    qint64 charset(int language) const override { return m_table.column(language).charset; }
    qsizetype rowCount() const override { return m_table.rowCount() - 1; }
    QStringView cell(int language, qsizetype row) const override { return m_table.cell(language, int(row) + 1); }

private:
    const DictTable& m_table;
};

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
    return orb::writeDictionary(TableSource(table), path, orb::Layout::Indented, error, guard);
}

QString withLngExtension(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > slash ? path.left(dot) : path) + QStringLiteral(".lng");
}

} // namespace orb
