#pragma once

// Shared by the reader fuzz targets: runs one reader on the bytes as its source file and stops
// the fuzzer when a document it writes is not well-formed, since the webshop would refuse it.

#include "config/Settings.h"
#include "convert/Conversion.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "xml/XmlDocument.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace fuzzing {

class SilentMessages final : public platform::Messages
{
public:
    void error(const std::string&) override { }
    void message(const std::string&, const std::string&, platform::MessageIcon) override { }
    bool question(const std::string&, const std::string&, platform::MessageIcon) override { return false; }
};

// Finds every key that begins with a digit, with lengths 0 to 4 so that the guard against a
// zero length is reached too.
class DigitLengths final : public convert::PipeLengths
{
public:
    std::optional<double> pipeLength(const std::string& key) override
    {
        if (key.empty() || key[0] < '0' || key[0] > '9') {
            return std::nullopt;
        }
        return static_cast<double>(key.size() % 5);
    }
};

// The settings every target starts from: metres converted, so the lookup runs too.
inline config::Settings fuzzSettings()
{
    config::Settings settings;
    settings.Identity = "k1";
    settings.Secret = "s";
    settings.DirectERP = "0";
    settings.Filiaal = "BEL";
    settings.Besteleenheid = "MTR";
    return settings;
}

// One folder for the whole fuzzing process: the source file and the work folder. In memory where
// the system offers it: every run writes dtbs.xml with a flush to disk, which on a disk makes the
// fuzzer wait for the disk instead of running.
inline const std::string& fuzzFolder()
{
    static const std::string folder = [] {
        char inMemory[] = "/dev/shm/transvo-fuzz-XXXXXX";
        char onDisk[] = "/tmp/transvo-fuzz-XXXXXX";
        const char* made = mkdtemp(inMemory);
        if (made == nullptr) {
            made = mkdtemp(onDisk);
        }
        return std::string(made ? made : "/tmp");
    }();
    return folder;
}

template <typename Reader>
void runReader(const config::Settings& settings, const std::uint8_t* data, std::size_t size, Reader reader)
{
    const std::string source = platform::joinPath(fuzzFolder(), "order.txt");
    const std::string document = platform::joinPath(fuzzFolder(), "dtbs.xml");
    platform::removeFile(document);
    {
        // Not replaceFile: its flush to disk would make every run wait for the disk.
        std::ofstream out(source, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) {
            return;
        }
    }
    SilentMessages messages;
    const platform::FixedClock clock(platform::Date { 2024, 3, 8 });
    DigitLengths lengths;
    convert::Conversion conversion(settings, fuzzFolder(), messages, clock, &lengths);
    (conversion.*reader)(source);

    const std::optional<std::string> written = platform::readFile(document);
    if (!written) {
        return;
    }
    constexpr std::string_view prefix = "bcdata=";
    xml::XmlDocument check;
    if (written->compare(0, prefix.size(), prefix) != 0
        || !check.loadMemory(std::string_view(*written).substr(prefix.size()))) {
        __builtin_trap();
    }
}

// The whole entry point of a target whose reader needs no settings of its own; inputs above
// maxInput are passed over.
template <typename Reader>
int fuzzReader(const std::uint8_t* data, std::size_t size, std::size_t maxInput, Reader reader)
{
    if (size <= maxInput) {
        static const config::Settings settings = fuzzSettings();
        runReader(settings, data, size, reader);
    }
    return 0;
}

} // namespace fuzzing
