// Feeds arbitrary documents to the XML order reader with a mapping that touches elements,
// attributes, text nodes, predicates and the document node.
#include "ReaderFuzzing.h"

namespace {

// Order files are a few hundred kilobytes at most; larger inputs only slow the search down.
constexpr std::size_t kMaxInput = 64 * 1024;

config::Settings xmlSettings()
{
    config::Settings settings = fuzzing::fuzzSettings();
    const char* header[15] = { "h/c", "//r", "h/@a", "", "h/t/text()", "h/d", "*", "h/n[2]", "//s", "h/p", "..", "h/i",
        "//x/d", "//x/m", "//x/y" };
    for (int number = 1; number <= 15; ++number) {
        settings.xmlPath(number) = header[number - 1];
    }
    settings.XML_16 = "//l/a";
    settings.XML_17 = "l/q";
    return settings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInput) {
        return 0;
    }
    static const config::Settings settings = xmlSettings();
    fuzzing::runReader(settings, data, size, &convert::Conversion::VERWERK_XML);
    return 0;
}
