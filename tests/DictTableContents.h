#pragma once

#include "dictionary/DictTable.h"

#include <QList>
#include <QStringList>

namespace editortest {

// A table with the given columns ("name(id)" is not parsed: identifiers are the texts) and
// rows of cells, row r of rows being table row r + 1.
inline orb::DictTable makeTable(const QStringList& ids, const QList<QStringList>& rows)
{
    std::vector<orb::LangColumn> columns;
    for (const QString& id : ids)
        columns.push_back({id, id + QStringLiteral("-name"), 0});
    orb::DictTable table;
    table.resetColumns(columns);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (r > 0)
            table.appendRow();
        for (qsizetype c = 0; c < rows[r].size(); ++c)
            table.setCell(int(c), int(r + 1), rows[r][c]);
    }
    return table;
}

// The phrase rows of a table, cell by cell, for comparing whole documents at once.
inline QList<QStringList> rowsOf(const orb::DictTable& table)
{
    QList<QStringList> rows;
    for (int r = 1; r < table.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < table.columnCount(); ++c)
            row << table.cell(c, r);
        rows << row;
    }
    return rows;
}

// Each column as "header/charset", so that a lost charset shows as plainly as a lost name.
inline QStringList headersOf(const orb::DictTable& table)
{
    QStringList headers;
    for (int c = 0; c < table.columnCount(); ++c)
        headers << table.headerText(c) + u'/' + QString::number(table.column(c).charset);
    return headers;
}

} // namespace editortest
