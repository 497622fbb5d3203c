// The gettext reader and writer, on the input as a .po file.
#include "InteropRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::checkInteropRoundTrip(data, size, orb::readPo, orb::writePo);
    return 0;
}
