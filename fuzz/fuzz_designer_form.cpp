// The Designer form reader and its questions, on the input as a form's text.
#include "wizard/DesignerForm.h"
#include "ScriptedUser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::ScriptAndText input = fuzz::splitInput(data, size);
    fuzz::MemoryPeak::reset();
    std::vector<orb::DesignerString> strings;
    QString error;
    if (orb::readDesignerStrings(input.text, strings, &error)) {
        for (const orb::DesignerString& string : strings) {
            fuzz::check(string.source.start >= 0 && string.source.end() <= input.text.size(), "a text outside the form");
            fuzz::check(!string.phrase.isEmpty(), "an empty text offered");
        }
        const orb::EditedText text(input.text);
        fuzz::ScriptedUser user(input.script, text);
        orb::harvestDesignerStrings(text, strings, user, user);
        fuzz::check(user.inserted() == 0, "a form was changed");
    } else {
        fuzz::check(error.startsWith(u"line "), "a refusal without its line");
    }
    fuzz::MemoryPeak::checkBound(size);
    return 0;
}
