// NormalizeFormText on any text: each code of five characters becomes three, and joins only
// remove, so the text never grows; normalising keeps every line.
#include "FuzzSupport.h"

#include "wizard/Harvest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString normalised = orb::NormalizeFormText(text);
    fuzz::check(normalised.size() <= text.size(), "normalising made the text longer");
    fuzz::check(normalised.count(u'\n') >= text.count(u'\n'), "normalising lost a line break");
    return 0;
}
