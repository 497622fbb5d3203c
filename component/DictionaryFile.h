#pragma once

#include "component/DictionaryFormat.h"
#include "component/LangDict.h"

#include <QList>
#include <QString>

// The component's reader and writer of dictionary files.
namespace orb {

class PhraseTable;

enum class ReadResult {
    Ok,
    UnknownFile,    // no root element, no Languages or an empty one: the table is untouched
    UnknownCharset, // no Charsets or an empty one: the languages are kept, without phrases
    ReadError,      // malformed file or value: what was read so far stays in the table;
                    // a file whose grid would not fit its size leaves the table untouched
};

// Reads a dictionary file into the table, step by step; see ReadResult for what stays in the
// table after each kind of failure (a file that cannot be parsed leaves it untouched). The
// table is indexed on return.
ReadResult readDictionaryFile(const QString& path, PhraseTable& table);

// Writes the languages and their rows; on failure the file is as it was (see writeDictionary).
bool writeDictionaryFile(const QList<TLangDict>& languages,
                                                    const QString& path, Layout layout,
                                                    QString* error = nullptr,
                                                    SaveGuard* guard = nullptr);

} // namespace orb
