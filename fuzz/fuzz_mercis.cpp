// Feeds arbitrary documents to the Mercis XML order reader.
#include "ReaderFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A form of a few hundred lines is well under this; larger inputs only slow the search down.
    return fuzzing::fuzzReader(data, size, 64 * 1024, &convert::Conversion::VERWERK_MER);
}
