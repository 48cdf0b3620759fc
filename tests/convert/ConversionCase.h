#pragma once

// A whole conversion in a folder: settings.txt (Settings fields as name=value, plus today=
// YYYY-MM-DD and length=<key>;<metres> rows of an in-memory pipe-length table), source.txt,
// an optional orderkop.txt, and what must come out: dtbs.xml (absent: no document may be
// written), optional keys.txt (every lookup key, one per line) and messages.txt (every message
// text, one per line; absent: none).

#include "RecordingMessages.h"
#include "TempDir.h"

#include "config/Settings.h"
#include "convert/Conversion.h"
#include "platform/Clock.h"

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

struct CaseSetup
{
    config::Settings settings;
    platform::Date today { 2024, 3, 5 };
    RecordingPipeLengths lengths;
};

// Reads settings.txt of a case folder; failures are reported through the error text.
bool readCaseSettings(const std::string& path, CaseSetup& setup, std::string& error);

// Parses the document after "bcdata=" without the network; empty when well-formed, otherwise
// what the parser said.
std::string xmlProblems(const std::string& document);

} // namespace testing_support
