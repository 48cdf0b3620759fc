#pragma once

// The one harness of the convert tests: a conversion in a work folder of its own (ConversionRun),
// and the case folders built on it. A new reader case is a new folder in tests/data/convert/:
// settings.txt (Settings fields as name=value, plus today=YYYY-MM-DD and length=<key>;<metres>
// rows of an in-memory pipe-length table), source.txt, an optional orderkop.txt, and what must
// come out: dtbs.xml (absent: no document may be written), optional keys.txt (every lookup key,
// one per line) and messages.txt (every message text, one per line; absent: none).

#include "RecordingMessages.h"
#include "TempDir.h"

#include "config/Settings.h"
#include "convert/Conversion.h"
#include "platform/Clock.h"
#include "platform/Files.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// A pipe-length table in memory that keeps every key it was asked for.
class RecordingPipeLengths final : public convert::PipeLengths
{
public:
    std::optional<double> pipeLength(const std::string& key) override
    {
        m_keys.push_back(key);
        // Prefix match in key order, as the real table's soft seek does.
        for (const auto& [tableKey, length] : m_lengths) {
            if (tableKey.compare(0, key.size(), key) == 0) {
                return length;
            }
        }
        return std::nullopt;
    }

    void add(const std::string& key, double length) { m_lengths[key] = length; }
    const std::vector<std::string>& keys() const { return m_keys; }

private:
    std::map<std::string, double> m_lengths;
    std::vector<std::string> m_keys;
};

// The file's bytes, or nothing.
std::optional<std::string> readBytes(const std::string& path);
// Lines without their CR LF.
std::vector<std::string> splitLines(const std::string& bytes);

// Sets a Settings field by its element name; false for an unknown name.
bool setSetting(config::Settings& settings, const std::string& name, const std::string& value);

// One conversion over a fresh work folder, the source written by the test into an input folder
// beside it, with the settings, clock and pipe-length table the test sets up first.
struct ConversionRun
{
    TempDir work;
    TempDir input;
    config::Settings settings;
    RecordingMessages messages;
    platform::FixedClock clock { platform::Date { 2024, 3, 5 } };
    RecordingPipeLengths lengths;
    convert::Conversion conversion { settings, work.path(), messages, clock, &lengths };

    ConversionRun()
    {
        settings.Identity = "k1";
        settings.DirectERP = "0";
    }

    // Writes the source as input/order.txt and returns its path.
    std::string source(const std::string& bytes);
    void orderkop(const std::string& bytes);
    // Twelve lines of header data for the next run.
    void writeOrderkop() { orderkop("C\nR\n\n\n\n2024-06-01\nN\n\n\n\n\nBE\n"); }
    bool orderkopLeft() const { return platform::fileExists(work.file("orderkop.txt")); }
    bool hasDocument() const { return platform::fileExists(work.file("dtbs.xml")); }
    std::optional<std::string> document() const { return platform::readFile(work.file("dtbs.xml")); }
};

// Sets up run from settings.txt of a case folder, over the run's defaults; failures are
// reported through the error text.
bool readCaseSettings(const std::string& path, ConversionRun& run, std::string& error);

// Parses the document after "bcdata=" without the network; empty when well-formed, otherwise
// what the parser said.
std::string xmlProblems(const std::string& document);

} // namespace testing_support
