#include "dictionary/DictionaryImport.h"

#include "component/DictionaryFormat.h"

#include <QByteArrayView>
#include <QFileInfo>

#include <cstring>
#include <new>
#include <unordered_map>

namespace orb {

struct ImportSource::Parsed
{
    orb::DictionaryDocument doc;
    std::vector<LangColumn> languages;
};

namespace {

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// The file's languages, in the order of Languages.
class LanguageReader : public orb::DictionaryHeadSink
{
public:
    std::vector<LangColumn>& languages;
    explicit LanguageReader(std::vector<LangColumn>& out) : languages(out) {}

    bool language(int, const char* name, const orb::FormatElement& element) override
    {
        LangColumn language;
        if (!orb::decodeUtf8(element.name(), language.langId) || !name || !orb::decodeUtf8(name, language.langName)) {
            failedId = language.langId;
            return false;
        }
        languages.push_back(language);
        return true;
    }
    bool charset(int, const char*, const orb::FormatElement&) override { return false; }

    QString failedId;
};

// The Charset of the first entry of Charsets named by the language's identifier.
class CharsetFinder : public orb::DictionaryHeadSink
{
public:
    explicit CharsetFinder(const QByteArray& langId) : m_langId(langId) {}
    const char* value = nullptr;

    bool language(int, const char*, const orb::FormatElement&) override { return false; }
    bool charset(int, const char* charset, const orb::FormatElement& element) override
    {
        if (m_langId != element.name())
            return true;
        value = charset;
        return false;
    }

private:
    QByteArray m_langId;
};

bool readCharset(const orb::DictionaryDocument& doc, const LangColumn& language, int& charset, QString* error)
{
    if (!doc.hasCharsets())
        return fail(error, QStringLiteral("there is no Charsets element"));
    CharsetFinder finder(language.langId.toUtf8());
    doc.walkCharsets(finder);
    bool ok = false;
    charset = finder.value ? QByteArrayView(finder.value).toInt(&ok) : 0;
    if (!ok)
        return fail(error, QStringLiteral("the Charset of the language \"%1\" is missing or not a number").arg(language.langId));
    return true;
}

// One text per key, the last item's: the first cell of the key language and of the imported
// one in each item. A cell that is there must say its text: a cell without Message is a
// damaged file, not an empty text.
class KeyedTexts : public orb::DictionaryItemSink
{
public:
    explicit KeyedTexts(bool sameLanguage) : m_sameLanguage(sameLanguage) {}
    // A standard map, not a QHash: QHash ends the program when an insertion cannot allocate,
    // and an import too large for memory must fail like any other.
    std::unordered_map<QString, QString> byKey;
    int failedItem = 0;

    bool cell(int row, int language, const char* message, const orb::FormatElement&) override
    {
        if (row != m_row)
            startRow(row);
        const bool key = language == 0 && !m_hasKey;
        const bool imported = (language == 1 || m_sameLanguage) && !m_hasText;
        if (!key && !imported)
            return true;
        QString text;
        if (!message || !orb::decodeUtf8(message, text)) {
            failedItem = row + 1;
            return false;
        }
        if (key) {
            m_hasKey = true;
            m_key = text;
        }
        if (imported) {
            m_hasText = true;
            m_text = std::move(text);
        }
        return true;
    }
    void finish() { startRow(-1); }

private:
    void startRow(int row)
    {
        if (m_hasKey && m_hasText && !m_text.isEmpty())
            byKey.insert_or_assign(std::move(m_key), std::move(m_text));
        m_row = row;
        m_hasKey = m_hasText = false;
        m_key.clear();
        m_text.clear();
    }

    bool m_sameLanguage;
    int m_row = -1;
    bool m_hasKey = false;
    bool m_hasText = false;
    QString m_key;
    QString m_text;
};

int lastColumnWithHeader(const DictTable& table, const QString& header)
{
    for (int col = table.columnCount() - 1; col >= 0; --col) {
        if (table.headerText(col) == header)
            return col;
    }
    return table.columnCount();
}

} // namespace

QString asciiLower(QString text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return text;
}

QString importNamePart(const QString& entry)
{
    const qsizetype bracket = entry.indexOf(u'(');
    return bracket < 0 ? QString() : asciiLower(entry.left(bracket));
}

ImportSource::ImportSource() : d(std::make_unique<Parsed>()) {}

ImportSource::~ImportSource() = default;

GridRead ImportSource::open(const QString& path, QString* error)
{
    try {
        return openParsed(path, error);
    } catch (const std::bad_alloc&) {
        d = std::make_unique<Parsed>();
        fail(error, outOfMemoryText());
        return GridRead::ReadError;
    }
}

GridRead ImportSource::openParsed(const QString& path, QString* error)
{
    d = std::make_unique<Parsed>();
    if (!QFileInfo(path).isFile())
        return GridRead::Missing;
    QString why;
    if (!d->doc.load(path, &why, orb::Utf8Check::Values)) {
        fail(error, why);
        return GridRead::ReadError;
    }
    if (!d->doc.hasRoot()) {
        fail(error, QStringLiteral("the root element is not %1").arg(QString::fromLatin1(orb::kRootElement)));
        return GridRead::UnknownFile;
    }
    LanguageReader reader(d->languages);
    if (!d->doc.walkLanguages(reader)) {
        fail(error, QStringLiteral("the Name of the language \"%1\" is missing or not UTF-8").arg(reader.failedId));
        return GridRead::ReadError;
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
        entries.append(languageHeader(language.langName, language.langId));
    return entries;
}

bool ImportSource::plan(const DictTable& table, int keyCol, int keyPosition, int importPosition, ImportPlan& out,
                        QString* error) const
{
    try {
        return planMerge(table, keyCol, keyPosition, importPosition, out, error);
    } catch (const std::bad_alloc&) {
        return fail(error, outOfMemoryText());
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
    plan.targetCol = lastColumnWithHeader(table, languageHeader(imported.langName, imported.langId));
    plan.target = plan.targetCol < table.columnCount() ? table.column(plan.targetCol) : imported;
    if (!readCharset(d->doc, imported, plan.target.charset, error))
        return false;

    const QByteArray keyId = d->languages[std::size_t(keyPosition)].langId.toUtf8();
    const QByteArray importId = imported.langId.toUtf8();
    KeyedTexts texts(keyId == importId);
    int rows = 0;
    if (!d->doc.walkItems(0, d->doc.rootElementCount(), {keyId, importId}, texts, rows))
        return fail(error, QStringLiteral("item %1 has a language without its Message, or one not UTF-8").arg(texts.failedItem));
    texts.finish();
    const std::unordered_map<QString, QString>& byKey = texts.byKey;

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

} // namespace orb
