#pragma once

#include <QString>

#include <vector>

namespace orb {

class DictTable;

// One language of a dictionary as the translators' own tools exchange it: the messages of a
// Qt Linguist .ts file (TsFormat.h) or a gettext .po file (PoFormat.h), and the way between
// them and the rows of a dictionary.

// One message of a .ts or .po file.
struct InteropMessage
{
    QString context;     // .ts <context><name>, .po msgctxt
    QString source;      // .ts <source>, .po msgid
    QString translation; // the singular form when there are plural forms
    bool unfinished = false; // .ts type="unfinished", .po "#, fuzzy"
    bool obsolete = false;   // .ts type="obsolete" or "vanished", .po "#~"
    bool plural = false;     // .ts numerus="yes", .po msgid_plural
    int line = 0;            // where the message starts in the file
};

// What a .ts or .po file holds, or what an export writes.
struct InteropCatalog
{
    QString language;       // .ts language attribute, .po "Language:" header
    QString sourceLanguage; // .ts sourcelanguage attribute; not written to .po
    QString project;        // .po "Project-Id-Version:" header; not written to .ts
    std::vector<InteropMessage> messages; // in the file's order, the .po header entry left out
};

// Something an export or import says about one row or message: a row of the table for the
// export (line 0), a line of the file for the import. The code tells an interface what the
// note is about, so that it can add what its own options do about it.
struct InteropNote
{
    enum class Code {
        TranslationWithoutSource, // export: a row with a translation and no source text
        SourceRepeated,           // export: the source text of an earlier row, not written again
        msgfmtObjection,          // export to .po: msgfmt --check would refuse the message
        MessageWithoutSource,     // import: skipped
        UnfinishedLeftOut,        // import: an unfinished translation taken as empty
        PluralForms,              // import: only the singular form taken
        SourceAgain,              // import: a source met again with another translation
        NoRowForSource,           // import: no row has the message's source text
        RowAdded,                 // import: a row appended for the message's source text
    };
    Code code = Code::MessageWithoutSource;
    int row = 0;
    int line = 0;
    QString message;
    QString text; // the source text or translation concerned, for the reader to find it by
};

// The catalog of one language of the table: one message per phrase row with a non-empty
// source text, in row order, all in the given context. A source text repeated in later rows
// gives no second message (the first row's translation is written); each repetition, and each
// translation without a source text, is noted.
InteropCatalog catalogFromTable(const DictTable& table, int langCol, int sourceCol, const QString& context,
                                std::vector<InteropNote>& notes);

struct InteropImportOptions
{
    bool addMissing = false;     // append a row for each message no row has the source of
    bool keepUnfinished = false; // take unfinished translations as they are, not as empty
};

// What an import did, besides its notes.
struct InteropImportResult
{
    int rowsSet = 0;     // phrase cells written
    int rowsAdded = 0;   // rows appended for messages no row had (InteropImportOptions::addMissing)
    int unmatched = 0;   // messages no row has the source of (added or not)
    int obsolete = 0;    // obsolete or vanished messages, skipped
    bool columnAdded = false;
};

// Takes the catalog's translations into the table's language langId (a new column at the
// right end when the table has none, named after the catalog's language or else langId).
// Every phrase row whose text in sourceCol is a message's source gets its translation; an
// unfinished translation is taken as empty unless options say otherwise. Noted, each with its
// line: messages no row has the source of, plural forms (the singular kept), a source met
// again with another translation (the first kept), unfinished translations taken as empty.
InteropImportResult importCatalog(DictTable& table, const InteropCatalog& catalog, int sourceCol,
                                  const QString& langId, const InteropImportOptions& options,
                                  std::vector<InteropNote>& notes);

// False, with error (when given) "line N: reason": how the readers of both formats refuse a file.
bool lineError(QString* error, qint64 line, const QString& reason);

} // namespace orb
