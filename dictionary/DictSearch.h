#pragma once

#include "dictionary/DictTable.h"

#include <functional>
#include <optional>
#include <vector>

namespace orb {

// Finding texts in the open document and measuring how much of it is translated: what a
// translator needs to find the work left.

struct CellPos
{
    int col = 0;
    int row = 0; // table addressing: phrase rows from 1
    bool operator==(const CellPos&) const = default;
};

// Which cells a search looks at and where it goes.
struct CellSearch
{
    QString text;         // found anywhere in a cell, case-insensitively
    int col = -1;         // the language searched; -1: every language
    bool forward = true;
    // The rows that take part (those a filter shows); none given: every row.
    std::function<bool(int row)> rowShown;
};

// The first cell after `from` (before it, backward) in reading order, row by row and along
// each row, that holds the text; the search goes round the end of the table and comes back
// to `from` itself last. Nothing for an empty text or when no cell holds it.
std::optional<CellPos> findCell(const DictTable& table, const CellSearch& search, CellPos from);

// How far each language is translated: of the phrase rows that hold any text, how many hold
// one in each column.
struct Completeness
{
    int phrases = 0;
    std::vector<int> filled; // per column
};
Completeness completenessOf(const DictTable& table);
// The share of the phrases translated in a column, in whole percent, rounded down so that
// 100 % means nothing is left.
int percentFilled(const Completeness& completeness, int col);

} // namespace orb
