// The component's dictionary reader, then lookups in what it read.
#include "FuzzSupport.h"

#include "component/DictionaryFile.h"
#include "component/PhraseTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::InputFile input(data, size);
    fuzz::MemoryPeak::reset();
    orb::PhraseTable table;
    if (orb::readDictionaryFile(input.path(), table) == orb::ReadResult::Ok && table.languageCount() > 0) {
        // Every text read is found again, in its row or an earlier one: index and rows agree.
        const QStringList& phrases = table.languages()[0].Phrases;
        for (int row = 0; row < phrases.size(); ++row) {
            const int found = table.findInLanguage(0, phrases[row]);
            fuzz::check(found >= 0 && found <= row, "a text read is not found in the index");
        }
    }
    fuzz::MemoryPeak::checkBound(size);
    return 0;
}
