// Read, write, read again: whatever a reader accepts, its writer writes so that the same
// reader reads the same dictionary back. Both the component's and the editor's pair.
#include "FuzzSupport.h"

#include "dictionary/DictTable.h"
#include "component/DictionaryFile.h"
#include "dictionary/DictionaryGridIO.h"
#include "component/PhraseTable.h"

namespace {

bool sameTables(const orb::DictTable& a, const orb::DictTable& b)
{
    if (a.columnCount() != b.columnCount() || a.rowCount() != b.rowCount())
        return false;
    for (int col = 0; col < a.columnCount(); ++col) {
        const orb::LangColumn& x = a.column(col);
        const orb::LangColumn& y = b.column(col);
        if (x.langId != y.langId || x.langName != y.langName || x.charset != y.charset)
            return false;
        for (int row = 1; row < a.rowCount(); ++row) {
            if (a.cell(col, row) != b.cell(col, row))
                return false;
        }
    }
    return true;
}

bool sameLanguages(const QList<TLangDict>& a, const QList<TLangDict>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].LangID != b[i].LangID || a[i].LangName != b[i].LangName || a[i].Charset != b[i].Charset
            || a[i].Phrases != b[i].Phrases)
            return false;
    }
    return true;
}

void editorRoundTrip(const QString& input, const QString& written)
{
    orb::DictTable first;
    if (orb::readDictionaryGrid(input, first) != orb::GridRead::Ok)
        return;
    QString error;
    if (!orb::writeDictionaryGrid(first, written, &error)) {
        fuzz::check(!error.isEmpty(), "a failed write gives no reason");
        return;
    }
    orb::DictTable second;
    fuzz::check(orb::readDictionaryGrid(written, second, &error) == orb::GridRead::Ok, "the editor cannot read what it wrote");
    fuzz::check(sameTables(first, second), "the editor read back another table");
}

void componentRoundTrip(const QString& input, const QString& written)
{
    orb::PhraseTable first;
    if (orb::readDictionaryFile(input, first) != orb::ReadResult::Ok)
        return;
    if (!orb::writeDictionaryFile(first.languages(), written, orb::Layout::Compact))
        return;
    orb::PhraseTable second;
    fuzz::check(orb::readDictionaryFile(written, second) == orb::ReadResult::Ok,
                "the component cannot read what it wrote");
    fuzz::check(sameLanguages(first.languages(), second.languages()), "the component read back other languages");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::InputFile input(data, size);
    const QString written = fuzz::scratchDirectory() + QStringLiteral("/written.lng");
    fuzz::MemoryPeak::reset();
    editorRoundTrip(input.path(), written);
    componentRoundTrip(input.path(), written);
    fuzz::MemoryPeak::checkBound(size);
    return 0;
}
