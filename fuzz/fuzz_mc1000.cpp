// Feeds arbitrary bytes to the MC1000 scanner export reader.
#include "ReaderFuzzing.h"

namespace {

// A scanner holds a few thousand lines; larger inputs only slow the search down.
constexpr std::size_t kMaxInput = 64 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInput) {
        return 0;
    }
    static const config::Settings settings = fuzzing::fuzzSettings();
    fuzzing::runReader(settings, data, size, &convert::Conversion::VERWERK_MC1000);
    return 0;
}
