#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace orb {

class DictTable;

// The faults of a dictionary that reach users: a translation that drops a placeholder or an
// accelerator, changes its markup, its outer blanks or its lines, a text left empty, a key
// that the lookup can never reach because an earlier row holds it too, and languages that the
// component cannot use.
enum class CheckSeverity {
    Warning, // worth a look; a finding only with --strict
    Error,   // wrong for users whatever the intent
};

struct CheckFinding
{
    int row = 0;    // the phrase row (from 1); 0 for the language itself
    int column = 0; // the language
    CheckSeverity severity = CheckSeverity::Error;
    QString rule;    // a short stable name: "placeholders", "accelerators", ...
    QString message; // for people
};

struct LanguageCompleteness
{
    int column = 0;
    int translated = 0; // rows whose source text is not empty and whose text here is not
    int rows = 0;       // rows whose source text is not empty
};

struct CheckReport
{
    std::vector<CheckFinding> findings; // by row, then language
    std::vector<LanguageCompleteness> completeness; // every language but the source
};

// Every language but the source, in column order.
std::vector<LanguageCompleteness> languageCompletenessOf(const DictTable& table, int sourceColumn);
// Every language against the source column.
CheckReport checkDictionary(const DictTable& table, int sourceColumn);

// What a comparison of two texts looks at, for the tests: Qt placeholders (%1, %L1, %n) in
// order of appearance, printf formats (%s, %.2f; not %% and not "100 %"), the accelerators
// (an "&" before a letter or digit; not "&&", not an entity), tags, the blanks at either end
// and the line count.
struct TextShape
{
    QStringList qtPlaceholders;
    QStringList printfFormats;
    int accelerators = 0;
    QStringList tags;
    QString leading;
    QString trailing;
    int lines = 1;
};
TextShape shapeOf(const QString& text);

} // namespace orb
