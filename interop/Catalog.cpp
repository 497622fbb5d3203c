#include "interop/Catalog.h"

#include "dictionary/DictTable.h"

#include <QHash>
#include <QList>

namespace orb {

namespace {

using Code = InteropNote::Code;

} // namespace

InteropCatalog catalogFromTable(const DictTable& table, int langCol, int sourceCol, const QString& context,
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
                notes.push_back({Code::TranslationWithoutSource, row, 0,
                                 QStringLiteral("a translation without a source text, not written"), translation});
            continue;
        }
        const auto found = firstRow.constFind(source);
        if (found != firstRow.cend()) {
            notes.push_back({Code::SourceRepeated, row, 0,
                             QStringLiteral("the source text of row %1 again; only row %1's translation is written").arg(*found),
                             source});
            continue;
        }
        firstRow.insert(source, row);
        catalog.messages.push_back({context, source, translation, false, false, false, row});
    }
    return catalog;
}

InteropImportResult importCatalog(DictTable& table, const InteropCatalog& catalog, int sourceCol,
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
            notes.push_back({Code::MessageWithoutSource, 0, line, QStringLiteral("a message without a source text, skipped"),
                             message.translation});
            continue;
        }
        QString translation = message.translation;
        if (message.unfinished && !options.keepUnfinished && !translation.isEmpty()) {
            notes.push_back({Code::UnfinishedLeftOut, 0, line, QStringLiteral("an unfinished translation, left out"),
                             message.source});
            translation.clear();
        }
        if (message.plural)
            notes.push_back({Code::PluralForms, 0, line, QStringLiteral("plural forms: only the singular form is taken"),
                             message.source});
        const auto first = taken.constFind(message.source);
        if (first != taken.cend()) {
            if (first->translation != translation)
                notes.push_back({Code::SourceAgain, 0, line,
                                 QStringLiteral("the source text again (context %1) with another translation; "
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
            notes.push_back({Code::NoRowForSource, 0, line, QStringLiteral("no row has this source text"), message.source});
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
        notes.push_back({Code::RowAdded, row, line, QStringLiteral("no row had this source text; row %1 added").arg(row),
                         message.source});
    }
    return result;
}

bool lineError(QString* error, qint64 line, const QString& reason)
{
    if (error)
        *error = QStringLiteral("line %1: %2").arg(line).arg(reason);
    return false;
}

} // namespace orb
