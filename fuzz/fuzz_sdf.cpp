#include "ReaderFuzzing.h"

// Larger inputs only slow the fuzzer: the reader walks its source once, line by line.
constexpr std::size_t kMaxInput = 1 << 20;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5 || size > kMaxInput) {
        return 0;
    }
    config::Settings settings = fuzzing::fuzzSettings();
    // Positions and lengths up to 63 reach past most lines, where the cutting can go wrong.
    settings.Koprecord = (data[0] & 1) != 0 ? "YES" : "NO";
    settings.SDF_art_van = data[1] % 64;
    settings.SDF_art_tot = data[2] % 64;
    settings.SDF_ant_van = data[3] % 64;
    settings.SDF_ant_tot = data[4] % 64;
    fuzzing::runReader(settings, data + 5, size - 5, &convert::Conversion::VERWERK_SDF);
    return 0;
}
