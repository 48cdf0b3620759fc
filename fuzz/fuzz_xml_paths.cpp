// Feeds arbitrary documents to the XML order reader twice: with a mapping of plain child paths,
// which it reads without building the tree, and with the same paths spelled so that they go
// through the tree and the XPath engine. Both must write the same bytes and show
// the same messages.
#include "ReaderFuzzing.h"

#include <vector>

namespace {

// Order files are a few hundred kilobytes at most; larger inputs only slow the search down.
constexpr std::size_t kMaxInput = 64 * 1024;

class RecordedMessages final : public platform::Messages
{
public:
    std::vector<std::string> texts;
    void error(const std::string& text) override { texts.push_back(text); }
    void message(const std::string& text, const std::string&, platform::MessageIcon) override { texts.push_back(text); }
    bool question(const std::string&, const std::string&, platform::MessageIcon) override { return false; }
};

// The same selection in a form only the XPath engine reads: "l/a" as "./l/a", "/o/l" as
// "/child::o/l". The last step stays as it was, since the reader tells the nodes apart by it.
std::string throughTheEngine(const std::string& path)
{
    return path[0] == '/' ? "/child::" + path.substr(1) : "./" + path;
}

config::Settings plainSettings()
{
    config::Settings settings = fuzzing::fuzzSettings();
    const char* header[15]
        = { "h/c", "r", "h/a", "", "/o/h/t", "h/d", "l", "h/n", "s", "h/p", "o", "h/i", "x/d", "x/m", "x/y" };
    for (int number = 1; number <= 15; ++number) {
        settings.xmlPath(number) = header[number - 1];
    }
    settings.XML_16 = "l/a";
    settings.XML_17 = "/o/l/q";
    return settings;
}

config::Settings engineSettings()
{
    config::Settings settings = plainSettings();
    for (int number = 1; number <= 17; ++number) {
        std::string& expression = settings.xmlPath(number);
        if (!expression.empty()) {
            expression = throughTheEngine(expression);
        }
    }
    return settings;
}

struct Result
{
    std::optional<std::string> document;
    std::vector<std::string> messages;
};

Result run(const config::Settings& settings, const std::string& source)
{
    const std::string document = platform::joinPath(fuzzing::fuzzFolder(), "dtbs.xml");
    platform::removeFile(document);
    RecordedMessages messages;
    const platform::FixedClock clock(platform::Date { 2024, 3, 8 });
    fuzzing::DigitLengths lengths;
    convert::Conversion conversion(settings, fuzzing::fuzzFolder(), messages, clock, &lengths);
    conversion.VERWERK_XML(source);
    return { platform::readFile(document), std::move(messages.texts) };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > kMaxInput) {
        return 0;
    }
    static const config::Settings plain = plainSettings();
    static const config::Settings engine = engineSettings();
    const std::string source = platform::joinPath(fuzzing::fuzzFolder(), "order.xml");
    {
        std::ofstream out(source, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) {
            return 0;
        }
    }
    const Result streamed = run(plain, source);
    const Result tree = run(engine, source);
    if (streamed.document != tree.document || streamed.messages != tree.messages) {
        __builtin_trap();
    }
    return 0;
}
