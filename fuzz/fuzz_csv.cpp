#include "ReaderFuzzing.h"

// Larger inputs only slow the fuzzer: the reader walks its source once, line by line.
constexpr std::size_t kMaxInput = 1 << 20;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4 || size > kMaxInput) {
        return 0;
    }
    config::Settings settings = fuzzing::fuzzSettings();
    settings.Koprecord = (data[0] & 1) != 0 ? "YES" : "NO";
    settings.CSV_art = data[1] % 16;
    settings.CSV_aant = data[2] % 16;
    // A separator of 0 to 3 characters: empty and several-character ones split differently.
    const std::size_t length = std::min<std::size_t>(data[3] % 4, size - 4);
    settings.CSV_char.assign(reinterpret_cast<const char*>(data + 4), length);
    fuzzing::runReader(settings, data + 4 + length, size - 4 - length, &convert::Conversion::VERWERK_CSV);
    return 0;
}
