// The form scan with a scripted user, on the normalised text of the input.
#include "ScriptedUser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::ScriptAndText input = fuzz::splitInput(data, size);
    fuzz::MemoryPeak::reset();
    const orb::EditedText text(orb::NormalizeFormText(input.text));
    const qsizetype before = text.size();
    fuzz::ScriptedUser user(input.script, text);
    orb::harvestFormText(text, user, user);
    fuzz::check(text.size() == before && user.inserted() == 0, "a form scan changed the text");
    fuzz::MemoryPeak::checkBound(size);
    return 0;
}
