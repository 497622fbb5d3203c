#pragma once

#include "FileStamp.h"
#include "LangDict.h"
#include "orbtranslatetoolkit_export.h"

#include <QList>
#include <QString>

#include <pugixml.hpp>

// Dictionary files: safe parsing, the component's reader, and the shared writer.
namespace orb {

inline constexpr char kRootElement[] = "Varnok_translation_toolkit_dictionary_file";

class PhraseTable;

enum class Utf8Check {
    WholeFile, // every byte of a UTF-8 file must be valid UTF-8
    Values,    // the caller decodes every value it uses with decodeUtf8, which checks it
};

// Larger files are refused unread: a dictionary of a hundred thousand phrases in four
// languages takes 30 MB, and reading one takes about three times its size in memory.
inline constexpr qint64 kMaxDictionaryFileBytes = qint64(256) << 20;

// Reads and parses an XML file. Handles byte-order marks, declared legacy encodings
// (windows-1251 and the like, through QStringDecoder) and rejects invalid UTF-8 (see
// Utf8Check) and entity declarations, so that nothing is fetched and nothing expands. On
// failure the document is empty and error says why.
ORBTRANSLATETOOLKIT_EXPORT bool loadXmlFile(const QString& path, pugi::xml_document& doc,
                                            QString* error = nullptr,
                                            Utf8Check check = Utf8Check::WholeFile);

// Decodes a value of a parsed document; false when its bytes are not valid UTF-8.
ORBTRANSLATETOOLKIT_EXPORT bool decodeUtf8(const char* text, QString& out);

// The first child element of node with that exact name, or an empty handle.
ORBTRANSLATETOOLKIT_EXPORT pugi::xml_node firstChildElement(pugi::xml_node node, const char* name);

// Whether a reader may allocate a grid of that many cells for a file of that size. Every cell
// of every language costs memory whether the file holds it or not, so a file of a few
// megabytes listing thousands of languages and hundreds of thousands of Items would ask for
// tens of gigabytes; a real dictionary holds its cells, which take at least a byte each.
ORBTRANSLATETOOLKIT_EXPORT bool gridFitsFile(qint64 rows, qint64 languages, qint64 fileBytes);

enum class ReadResult {
    Ok,
    UnknownFile,    // no root element, no Languages or an empty one: the table is untouched
    UnknownCharset, // no Charsets or an empty one: the languages are kept, without phrases
    ReadError,      // malformed file or value: what was read so far stays in the table;
                    // a file whose grid would not fit its size leaves the table untouched
};

// Reads a parsed dictionary into the table, step by step; see ReadResult for what stays
// in the table after each kind of failure. The table is indexed on return.
ORBTRANSLATETOOLKIT_EXPORT ReadResult readDictionary(const pugi::xml_document& doc, PhraseTable& table);
// loadXmlFile and readDictionary; a file that cannot be parsed leaves the table untouched.
ORBTRANSLATETOOLKIT_EXPORT ReadResult readDictionaryFile(const QString& path, PhraseTable& table);

// Appends <name attribute="value"/> to parent. False when pugixml ran out of memory: it
// reports that only through empty handles, and a document saved without noticing would lose
// every element that failed.
ORBTRANSLATETOOLKIT_EXPORT bool appendValueElement(pugi::xml_node parent, const char* name, const char* attribute,
                                                   const char* value, std::size_t length);
// The reason given for a read or write that ran out of memory.
ORBTRANSLATETOOLKIT_EXPORT QString outOfMemoryText();

enum class Layout { Compact, Indented };

// Builds the document of a dictionary. False, and nothing built, when an identifier is not a
// valid XML element name or two languages share one; std::bad_alloc when memory runs out.
ORBTRANSLATETOOLKIT_EXPORT bool buildDictionaryDocument(const QList<TLangDict>& languages,
                                                        pugi::xml_document& doc);
// Saves the document so that the file is replaced as a whole or not at all; guard, when
// given, says what to check of the file replaced and learns the stamp of the one written.
ORBTRANSLATETOOLKIT_EXPORT bool saveXmlFile(const pugi::xml_document& doc, const QString& path,
                                            Layout layout, QString* error = nullptr,
                                            SaveGuard* guard = nullptr);
// buildDictionaryDocument and saveXmlFile; on failure the file is as it was.
ORBTRANSLATETOOLKIT_EXPORT bool writeDictionaryFile(const QList<TLangDict>& languages,
                                                    const QString& path, Layout layout,
                                                    QString* error = nullptr,
                                                    SaveGuard* guard = nullptr);

} // namespace orb
