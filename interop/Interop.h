#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class DictTable;

// One language of a dictionary exchanged with the translators' own tools: Qt Linguist's .ts
// files and gettext's .po files. Readers and writers work on bytes, so that tests and fuzz
// targets use them without files; the orb-lng export, import and qm subcommands sit on top.

// The largest .ts or .po file read, as for dictionaries: a bound on the memory a hostile
// file can make the reader take.
inline constexpr qint64 kMaxInteropFileBytes = qint64(256) << 20;

enum class InteropFormat { Ts, Po };

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

// The file as .ts (UTF-8, TS version 2.1, the messages in the contexts they name, one
// <context> per run of messages with the same one) or .po (UTF-8 header, C escapes, texts
// with line breaks written one line per string). An empty translation is written unfinished
// (.ts) or untranslated (.po).
QByteArray WriteTs(const InteropCatalog& catalog);
QByteArray WritePo(const InteropCatalog& catalog);

// Reads the bytes of a .ts or .po file into catalog. False, with error "line N: reason", when
// they are not such a file: malformed XML, a document type declaration other than Linguist's
// bare <!DOCTYPE TS> (which keeps entity declarations out), a message without its source (.ts); an unterminated string, a bad escape, a keyword out of place,
// a charset other than UTF-8, bytes that are not UTF-8 (.po). catalog is written only on
// success.
bool ReadTs(const QByteArray& bytes, InteropCatalog& catalog, QString* error = nullptr);
bool ReadPo(const QByteArray& bytes, InteropCatalog& catalog, QString* error = nullptr);

// The format of a file: by its extension (.ts; .po or .pot), else by its content (an XML
// document is .ts, anything else .po).
InteropFormat DetectInteropFormat(const QString& path, const QByteArray& bytes);
// Reads a .ts or .po file, refusing one larger than kMaxInteropFileBytes. False, with error
// saying why (the system's reason, the size, or the reader's "line N: reason").
bool ReadInteropFile(const QString& path, InteropCatalog& catalog, QString* error = nullptr);

// Something an export or import says about one row or message: a row of the table for the
// export (line 0), a line of the file for the import.
struct InteropNote
{
    int row = 0;
    int line = 0;
    QString message;
    QString text; // the source text or translation concerned, for the reader to find it by
};

// The catalog of one language of the table: one message per phrase row with a non-empty
// source text, in row order, all in the given context. A source text repeated in later rows
// gives no second message (the first row's translation is written); each repetition, and each
// translation without a source text, is noted.
InteropCatalog CatalogFromTable(const DictTable& table, int langCol, int sourceCol, const QString& context,
                                std::vector<InteropNote>& notes);

// Why msgfmt --check would refuse the message, or nothing: gettext wants a translation to begin
// and end with a line break exactly when its source text does (an empty one is untranslated).
QString MsgfmtObjection(const InteropMessage& message);

struct InteropImportOptions
{
    bool addMissing = false;     // append a row for each message no row has the source of
    bool keepUnfinished = false; // take unfinished translations as they are, not as empty
};

// What an import did, besides its notes.
struct InteropImportResult
{
    int rowsSet = 0;     // phrase cells written
    int rowsAdded = 0;   // rows appended for --add-missing
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
InteropImportResult ImportCatalog(DictTable& table, const InteropCatalog& catalog, int sourceCol,
                                  const QString& langId, const InteropImportOptions& options,
                                  std::vector<InteropNote>& notes);
