#pragma once

// What the .ts and .po fuzz targets share: whatever a reader accepts, its writer writes so that
// the same reader reads the same messages back, and the import takes it into a table without
// touching rows it has no message for.
#include "FuzzSupport.h"

#include "dictionary/DictTable.h"
#include "interop/Interop.h"

#include <algorithm>

namespace fuzz {

// The messages an export could have written: obsolete ones and those without a source text
// are not, and "unfinished" means nothing for an empty translation.
inline std::vector<orb::InteropMessage> exportable(const std::vector<orb::InteropMessage>& messages)
{
    std::vector<orb::InteropMessage> kept;
    for (const orb::InteropMessage& message : messages) {
        if (message.obsolete || message.source.isEmpty())
            continue;
        orb::InteropMessage copy = message;
        copy.plural = false;
        copy.line = 0;
        copy.unfinished = copy.unfinished && !copy.translation.isEmpty();
        kept.push_back(copy);
    }
    return kept;
}

inline bool sameMessages(const std::vector<orb::InteropMessage>& a, const std::vector<orb::InteropMessage>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].context != b[i].context || a[i].source != b[i].source || a[i].translation != b[i].translation
            || a[i].unfinished != b[i].unfinished)
            return false;
    }
    return true;
}

inline void checkInteropRoundTrip(const std::uint8_t* data, std::size_t size,
                                  bool (*read)(const QByteArray&, orb::InteropCatalog&, QString*),
                                  QByteArray (*write)(const orb::InteropCatalog&))
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    MemoryPeak::reset();
    orb::InteropCatalog catalog;
    QString error;
    if (!read(bytes, catalog, &error)) {
        check(error.startsWith(u"line "), "a refusal without its line");
        MemoryPeak::checkBound(size);
        return;
    }
    orb::InteropCatalog exported;
    exported.messages = exportable(catalog.messages);
    orb::InteropCatalog again;
    check(read(write(exported), again, &error), "a written file is refused");
    check(sameMessages(exportable(again.messages), exported.messages), "a written file reads back otherwise");

    // Into a table whose first row has the first message's source and whose second has none.
    orb::DictTable table;
    table.resetColumns({{QStringLiteral("en"), QStringLiteral("en"), 0}});
    table.appendRow();
    if (!exported.messages.empty())
        table.setCell(0, 1, exported.messages.front().source);
    table.setCell(0, 2, QStringLiteral("\x01 no message has this"));
    std::vector<orb::InteropNote> notes;
    const orb::InteropImportResult result = orb::importCatalog(table, catalog, 0, QStringLiteral("xx"), {false, true}, notes);
    check(table.columnCount() == 2 && result.columnAdded, "the new language is not one new column");
    const bool matched = std::any_of(catalog.messages.begin(), catalog.messages.end(), [&](const orb::InteropMessage& m) {
        return !m.obsolete && m.source == table.cell(0, 2);
    });
    check(table.rowCount() == 3 && (matched || table.cell(1, 2).isEmpty()), "a row without a message was changed");
    for (const orb::InteropNote& note : notes)
        check(note.line > 0, "a note without its line");
    MemoryPeak::checkBound(size);
}

} // namespace fuzz
