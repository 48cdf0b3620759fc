#include "ReaderFuzzing.h"

// Larger inputs only slow the fuzzer: the reader walks its source once, line by line.
constexpr std::size_t kMaxInput = 1 << 20;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInput) {
        return 0;
    }
    fuzzing::runReader(fuzzing::fuzzSettings(), data, size, &convert::Conversion::VERWERK_ICM);
    return 0;
}
