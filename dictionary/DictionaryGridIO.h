#pragma once

#include "dictionary/DictTable.h"
#include "component/FileStamp.h"

#include <QString>

namespace orb {

// Moving a dictionary file into and out of the editor's table.

enum class GridRead {
    Ok,
    Missing,     // no file at the path
    UnknownFile, // no dictionary root element, or no language in it
    ReadError,   // not well-formed, not UTF-8, or a value missing or malformed
};

// Reads the dictionary file into a fresh table: the columns of Languages in their order,
// the charsets of Charsets paired by position (none listed: 0), one phrase row per Item
// (none: one empty row), cells matched to columns by identifier. The table is written only
// on success, so a failed read never leaves a half-read document behind; error then says why
// (the system's error, the XML error with its line, or what is missing), except for Missing.
GridRead readDictionaryGrid(const QString& path, DictTable& table, QString* error = nullptr);

// Writes the table to the file, indented, replacing it as a whole or not at all. False, with
// the file as it was, when an identifier is not a valid XML element name, two columns share
// one, or the file cannot be written; error says why. guard: see orb::saveXmlFile.
bool writeDictionaryGrid(const DictTable& table, const QString& path, QString* error = nullptr,
                         orb::SaveGuard* guard = nullptr);

// The path with its extension replaced by ".lng", or ".lng" appended when it has none.
QString withLngExtension(const QString& path);

} // namespace orb
