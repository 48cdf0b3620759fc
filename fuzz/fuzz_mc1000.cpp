// Feeds arbitrary bytes to the MC1000 scanner export reader.
#include "ReaderFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A scanner holds a few thousand lines; larger inputs only slow the search down.
    return fuzzing::fuzzReader(data, size, 64 * 1024, &convert::Conversion::VERWERK_MC1000);
}
