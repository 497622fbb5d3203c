// The editor's dictionary reader.
#include "FuzzSupport.h"

#include "dictionary/DictTable.h"
#include "dictionary/DictionaryGridIO.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::InputFile input(data, size);
    fuzz::MemoryPeak::reset();
    orb::DictTable table;
    QString error;
    const orb::GridRead read = orb::readDictionaryGrid(input.path(), table, &error);
    if (read == orb::GridRead::Ok)
        fuzz::check(table.columnCount() >= 1 && table.rowCount() >= 2, "a table read has no column or row");
    else
        fuzz::check(!error.isEmpty(), "a failed read gives no reason");
    fuzz::MemoryPeak::checkBound(size);
    return 0;
}
