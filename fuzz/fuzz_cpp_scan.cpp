// The C++ scan with a scripted user, both offers: answers and selections come from the input.
#include "wizard/CppHarvest.h"
#include "ScriptedUser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::ScriptAndText input = fuzz::splitInput(data, size);
    fuzz::MemoryPeak::reset();
    orb::EditedText text(input.text);
    fuzz::ScriptedUser user(input.script, text);
    user.checkPhrasesWith(orb::decodeCppLiteral);
    const orb::CppOffer offer = size % 2 ? orb::CppOffer::WithLetter : orb::CppOffer::NonAscii;
    const orb::UnitScanResult result = orb::harvestCppText(text, user, user, QStringLiteral("Window.cpp"), offer);
    fuzz::check(text.size() == input.text.size() + user.inserted(), "the rewrite removed text");
    fuzz::check(!result.save || user.inserted() > 0, "a save offered for an unchanged source");
    fuzz::check(result.addedLineBreak < 0 || text.toString().count(u'\n') > result.addedLineBreak,
                "an added line break that is not there");
    fuzz::MemoryPeak::checkBound(size);
    return 0;
}
