// DecodeLiteral on any text: the phrase is never longer than its source, since every step
// drops or keeps characters or turns three into one.
#include "FuzzSupport.h"

#include "wizard/Harvest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString source = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString phrase = orb::DecodeLiteral(source);
    fuzz::check(phrase.size() <= source.size(), "a phrase longer than its literal");
    fuzz::check(!phrase.contains(u'\r'), "a carriage return in a phrase");
    return 0;
}
