#pragma once

#include "dictionary/DictTable.h"
#include "dictionary/DictionaryGridIO.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

namespace orb {

// Taking one language of another dictionary file into the open table, matched row by row
// through the texts of a key language.

// The text with the ASCII capitals "A" to "Z" lowered and every other character as it is.
QString asciiLower(QString text);
// The name part of a language entry text ("English(en)"): the text before its first "(",
// with ASCII capitals lowered and nothing else folded; empty when there is no "(".
QString importNamePart(const QString& entry);

// Everything the import will change, worked out before the table is touched.
struct ImportPlan
{
    int targetCol = -1;  // a column of the table, or its column count for a new one at the right end
    LangColumn target;   // the target column's language afterwards, with the file's charset
    std::vector<std::pair<int, QString>> cells; // phrase rows of the target column and their new texts
};

// A dictionary file opened for import: its languages, and its items kept parsed until the
// plan is made.
class ImportSource
{
public:
    ImportSource();
    ~ImportSource();

    // Parses the file with the editor's safe loader and reads its languages. ReadError: not
    // well-formed, not UTF-8, or a language without its Name. error says why, except for Missing.
    GridRead open(const QString& path, QString* error = nullptr);
    // The file's languages in the order of Languages (charset 0: not read here).
    const std::vector<LangColumn>& languages() const;
    // The entry texts of languages(), display name + "(" + identifier + ")".
    QStringList entryTexts() const;

    // Plans the import of the language at importPosition of languages() into the table,
    // through the key column of the table and the file's language at keyPosition. Cells are
    // found by the languages' identifiers; an item missing either cell is skipped. The target
    // is the last column whose header is the imported language's entry text, else a new one.
    // False, with error saying why, when Charsets or the imported language's entry in it is
    // missing, its Charset is no decimal integer, or a needed cell has no Message.
    bool plan(const DictTable& table, int keyCol, int keyPosition, int importPosition, ImportPlan& out,
              QString* error = nullptr) const;

private:
    // open and plan, which turn running out of memory into their failure.
    GridRead openParsed(const QString& path, QString* error);
    bool planMerge(const DictTable& table, int keyCol, int keyPosition, int importPosition, ImportPlan& out,
                   QString* error) const;

    struct Parsed;
    std::unique_ptr<Parsed> d;
};

// Carries out a plan made for this table: appends the new column if there is one, sets the
// target's language and writes the planned cells.
void applyImportPlan(DictTable& table, const ImportPlan& plan);

} // namespace orb
