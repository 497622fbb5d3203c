#pragma once

#include "DictTable.h"

#include <QList>
#include <QStringList>

namespace editortest {

// The phrase rows of a table, cell by cell, for comparing whole documents at once.
inline QList<QStringList> rowsOf(const DictTable& table)
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
inline QStringList headersOf(const DictTable& table)
{
    QStringList headers;
    for (int c = 0; c < table.columnCount(); ++c)
        headers << table.headerText(c) + u'/' + QString::number(table.column(c).charset);
    return headers;
}

} // namespace editortest
