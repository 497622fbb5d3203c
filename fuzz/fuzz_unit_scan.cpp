// The unit scan with a scripted user: answers and selections come from the input.
#include "ScriptedUser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::ScriptAndText input = fuzz::splitInput(data, size);
    fuzz::MemoryPeak::reset();
    orb::EditedText text(input.text);
    fuzz::ScriptedUser user(input.script, text);
    const orb::UnitScanResult result = orb::harvestUnitText(text, user, user, QStringLiteral("Unit1.pas"));
    // Nothing is removed: the rewritten text is the old one with insertions.
    fuzz::check(text.size() == input.text.size() + user.inserted(), "the rewrite removed text");
    fuzz::check(!result.save || user.inserted() > 0, "a save offered for an unchanged unit");
    fuzz::MemoryPeak::checkBound(size);
    return 0;
}
