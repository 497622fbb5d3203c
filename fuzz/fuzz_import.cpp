// The import of a language from another dictionary, into a document of a few rows, with the
// key and imported languages taken from the input's first bytes.
#include "FuzzSupport.h"

#include "dictionary/DictTable.h"
#include "dictionary/DictionaryImport.h"

using namespace Qt::StringLiterals;

namespace {

orb::DictTable documentOfAFewRows()
{
    orb::DictTable table;
    table.resetColumns({orb::LangColumn{u"en"_s, u"English"_s, 0}, orb::LangColumn{u"de"_s, u"Deutsch"_s, 0}});
    const QStringList keys = {u"Open"_s, u"Save"_s, u"&File"_s, u""_s, u"Open"_s};
    for (int row = 1; row <= keys.size(); ++row) {
        if (row > 1)
            table.appendRow();
        table.setCell(0, row, keys[row - 1]);
    }
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int keyChoice = data[0];
    const int importChoice = data[1];
    const fuzz::InputFile input(data + 2, size - 2);
    fuzz::MemoryPeak::reset();
    orb::ImportSource source;
    if (source.open(input.path()) != orb::GridRead::Ok)
        return 0;
    const int count = int(source.languages().size());
    fuzz::check(source.entryTexts().size() == count, "an entry text per language");
    orb::DictTable table = documentOfAFewRows();
    const orb::DictTable before = table;
    orb::ImportPlan plan;
    QString error;
    if (source.plan(table, keyChoice % 2, keyChoice / 2 % count, importChoice % count, plan, &error)) {
        orb::applyImportPlan(table, plan);
        fuzz::check(table.rowCount() == before.rowCount(), "an import changed the number of rows");
        fuzz::check(table.columnCount() - before.columnCount() <= 1, "an import added more than one column");
        for (int col = 0; col < before.columnCount(); ++col) {
            if (col == plan.targetCol)
                continue;
            for (int row = 1; row < table.rowCount(); ++row)
                fuzz::check(table.cell(col, row) == before.cell(col, row), "an import changed another column");
        }
    } else {
        fuzz::check(!error.isEmpty(), "a failed plan gives no reason");
    }
    fuzz::MemoryPeak::checkBound(size);
    return 0;
}
