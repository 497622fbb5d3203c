#pragma once

#include <QString>

#include <span>

namespace orb {

// The Windows font character sets a language column can name.
struct CharsetEntry
{
    const char* name; // symbolic name, e.g. "RUSSIAN_CHARSET"
    int number;       // the font charset number
    const char* help; // what the language dialog shows for the entry
};

// The 19 entries in the order the language dialog lists them (DEFAULT_CHARSET first).
std::span<const CharsetEntry> charsetList();

// The number of a symbolic name, matched exactly and case-sensitively. ANSI_CHARSET is
// tried before DEFAULT_CHARSET; an unknown or empty name gives 1 (DEFAULT_CHARSET).
quint8 CharsetByName(const QString& name);
// The symbolic name of a number, ANSI_CHARSET tried before DEFAULT_CHARSET; empty for a
// number no entry carries.
QString CharsetName(int number);

} // namespace orb
