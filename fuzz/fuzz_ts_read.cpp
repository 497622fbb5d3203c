// The Qt Linguist reader and writer, on the input as a .ts file.
#include "InteropRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::checkInteropRoundTrip(data, size, orb::readTs, orb::writeTs);
    return 0;
}
