// Feeds arbitrary documents to the Mercis XML order reader.
#include "ReaderFuzzing.h"

namespace {

// A form of a few hundred lines is well under this; larger inputs only slow the search down.
constexpr std::size_t kMaxInput = 64 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInput) {
        return 0;
    }
    static const config::Settings settings = fuzzing::fuzzSettings();
    fuzzing::runReader(settings, data, size, &convert::Conversion::VERWERK_MER);
    return 0;
}
