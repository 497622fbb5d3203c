#pragma once

#include "component/FileStamp.h"

#include <QString>

#include <pugixml.hpp>

#include <memory>
#include <vector>

// The dictionary file format: the only code that knows its element and attribute names.
//
//   <Varnok_translation_toolkit_dictionary_file>
//     <Languages> <ru Name="Русский"/> ... </Languages>    one element per language, in order
//     <Charsets> <ru Charset="204"/> ... </Charsets>       paired with Languages by position
//     <Item> <ru Message="Файл"/> ... </Item>              one per row, cells named by identifier
//   </Varnok_translation_toolkit_dictionary_file>
//
// Only the first Languages and Charsets count; Items may stand anywhere among the root's
// children; no element has text content. The walk below hands what it finds to a sink as the
// file has it (UTF-8 values not yet decoded, an attribute that is missing as a null pointer),
// so that each reader decides what a value means. They differ on purpose:
//
// - identifiers: the component takes them from Charsets (whose entries rename the languages
//   they pair with), the editor and the import from Languages;
// - charsets: the component keeps the low 8 bits, the editor the whole integer; the import
//   finds the imported language's entry by identifier, the others pair entries by position;
// - a file without Charsets, or with an empty one: the component refuses it (keeping the
//   languages), the editor refuses the first and reads the second with every charset 0;
// - cells: the component and the editor give a row the last cell of each language, matched
//   to the first language of that identifier; the import takes the first cell of a language;
// - a file without Items: the component has no rows, the editor one empty row;
// - output: the component writes every row on one line, the editor indented after removing
//   its empty rows.
namespace orb {

inline constexpr char kRootElement[] = "Varnok_translation_toolkit_dictionary_file";

enum class Utf8Check {
    WholeFile, // every byte of a UTF-8 file must be valid UTF-8
    Values,    // the caller decodes every value it uses with decodeUtf8, which checks it
};

// Larger files are refused unread: a dictionary of a hundred thousand phrases in four
// languages takes 30 MB, and reading one takes about three times its size in memory.
inline constexpr qint64 kMaxDictionaryFileBytes = qint64(256) << 20;

// The reason given for a read or write that ran out of memory.
QString outOfMemoryText();

// Decodes a value of a parsed document; false when its bytes are not valid UTF-8.
bool decodeUtf8(const char* text, QString& out);

// What reading a dictionary may cost: about ten times the file's size, beside a fixed
// allowance for small files. A reader holds the file, its parse tree and a cell for every
// language of every row, whether the file holds the cell or not; a file of a few megabytes of
// empty elements, or listing thousands of languages over hundreds of thousands of Items, would
// ask for gigabytes, and is refused, unread, before any of it is allocated.
qint64 readBudget(qint64 fileBytes);
// Whether a reader may allocate a grid of that many cells for a file of that size.
bool gridFitsFile(qint64 rows, qint64 languages, qint64 fileBytes);

class DictionaryDocument;

// An element of the file as the walk meets it.
class FormatElement
{
public:
    FormatElement(pugi::xml_node node, const DictionaryDocument& document) : m_node(node), m_document(document) {}
    // The element's name: a language identifier, as UTF-8 bytes.
    const char* name() const { return m_node.name(); }
    // The line of the file it begins on, counted from 1; 0 when it cannot be told. Costs a
    // second read of the file the first time it is asked of a document.
    int line() const;
    // The attributes the format does not define, in the file's order, as (name, value).
    std::vector<std::pair<const char*, const char*>> extraAttributes() const;

private:
    pugi::xml_node m_node;
    const DictionaryDocument& m_document;
};

// What a reader hears of Languages and Charsets. A false return ends the walk.
class DictionaryHeadSink
{
public:
    virtual ~DictionaryHeadSink();
    // The position-th child of Languages; name is null when its Name attribute is missing.
    virtual bool language(int position, const char* name, const FormatElement& element) = 0;
    // The position-th child of Charsets; charset is null when its attribute is missing.
    virtual bool charset(int position, const char* charset, const FormatElement& element) = 0;
};

// What a reader hears of the Items.
class DictionaryItemSink
{
public:
    virtual ~DictionaryItemSink();
    // A cell of the row-th Item of the walk (counted from 0) whose name is the language-th
    // identifier the walk was given (the first of equal ones); message is null when the
    // cell has no Message. Cells of other names are not handed on. A false return ends the walk.
    virtual bool cell(int row, int language, const char* message, const FormatElement& element) = 0;
};

// A parsed dictionary file. Parsing handles byte-order marks, declared legacy encodings
// (windows-1251 and the like, through QStringDecoder), refuses invalid UTF-8 (see Utf8Check)
// and entity declarations, so that nothing is fetched and nothing expands.
class DictionaryDocument
{
public:
    DictionaryDocument();
    ~DictionaryDocument();
    DictionaryDocument(const DictionaryDocument&) = delete;
    DictionaryDocument& operator=(const DictionaryDocument&) = delete;

    // False, with the document empty and error saying why, when the file cannot be read or
    // parsed.
    bool load(const QString& path, QString* error = nullptr, Utf8Check check = Utf8Check::WholeFile);
    // Frees the parse tree; every walk afterwards finds nothing.
    void release();

    // The root element is there.
    bool hasRoot() const;
    // Languages has at least one child element: the file is a dictionary.
    bool hasLanguages() const;
    // There is a Charsets element, and it has a child element.
    bool hasCharsets() const;
    bool hasCharsetEntries() const;

    // Hands Languages' children, then Charsets' (when walkCharsets) to the sink, in order.
    bool walkLanguages(DictionaryHeadSink& sink) const;
    bool walkCharsets(DictionaryHeadSink& sink) const;
    // The language identifiers as Languages or Charsets name them, in order.
    std::vector<QByteArray> languageIds() const;
    std::vector<QByteArray> charsetIds() const;

    // The root's child elements, Items and others, which a reader may split between threads.
    qsizetype rootElementCount() const;
    // The Items among the root's children.
    qsizetype itemCount() const;
    // Hands the cells of the Items among root elements [first, end) to the sink, rows counted
    // from 0 in that range; rows is the number of Items met, the one the walk ended in
    // included. Cells are matched to ids by name. Disjoint ranges may be walked at once.
    bool walkItems(qsizetype first, qsizetype end, const std::vector<QByteArray>& ids, DictionaryItemSink& sink,
                   int& rows) const;

    // The line of the byte at offset of the parsed text, counted from 1; 0 when unknown.
    int lineAt(std::ptrdiff_t offset) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// How a collection of the Items' cells ended.
struct CellCollection
{
    enum class Stop {
        Done,
        MissingMessage, // a cell of a known language without Message
        InvalidUtf8,    // a cell that a later one of its language replaced was not UTF-8
    } stop = Stop::Done;
    int rows = 0;          // Items met, the one the collection stopped in included
    int stopLanguage = -1; // the language of the cell it stopped at
};

// The Message values of the Items among root elements [first, end): a row of ids.size()
// values per Item, null for a language without a cell, the last cell of a language winning.
// The values are copied out of the tree into bytes, which they then point into, so that the
// tree can be freed before they are decoded (the decoded texts then reuse its memory instead
// of being placed beyond it). values must have room for a row per root element of the range.
// Disjoint ranges may be collected at once.
CellCollection collectCells(const DictionaryDocument& doc, qsizetype first, qsizetype end,
                            const std::vector<QByteArray>& ids, QByteArrayView* values,
                            std::unique_ptr<char[]>& bytes);

enum class Layout { Compact, Indented };

// What a writer writes: the languages and the rows of a table.
class DictionarySource
{
public:
    virtual ~DictionarySource();
    virtual int languageCount() const = 0;
    virtual QString languageId(int language) const = 0;
    virtual QString languageName(int language) const = 0;
    virtual qint64 charset(int language) const = 0;
    virtual qsizetype rowCount() const = 0;
    // The text of a cell; a row the language has no text for gives an empty one.
    virtual QStringView cell(int language, qsizetype row) const = 0;
};

// Writes the source as a dictionary file, replacing it as a whole or not at all. False, with
// the file as it was and error saying why, when an identifier is not a valid XML element
// name, two languages share one, memory runs out or the file cannot be written. guard, when
// given, says what to check of the file replaced and learns the stamp of the one written.
bool writeDictionary(const DictionarySource& source, const QString& path, Layout layout,
                                                QString* error = nullptr, SaveGuard* guard = nullptr);

} // namespace orb
