#pragma once

#include "config/Settings.h"
#include "platform/Messages.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace convert {

// What the XML mapping selects in a sample order, so the user sees it before the first real
// order goes out.
struct MappingCheck
{
    struct HeaderField
    {
        int number; // of the setting, 1..15
        std::string value; // the entry as the order would take it, trimmed
    };
    struct Line
    {
        std::string article;
        std::string quantity;
    };
    static constexpr std::size_t kShownLines = 10;

    std::vector<HeaderField> header;
    std::size_t lineCount = 0;
    std::vector<Line> firstLines; // at most kShownLines
    std::vector<std::string> problems; // in the reader's own words
};

// Evaluates the seventeen expressions on the sample exactly as VERWERK_XML does, but writes no
// order and leaves orderkop.txt alone. A header expression or a line expression that is invalid
// or selects nothing is a problem; so is an unset line expression, without which no order is
// read. Nothing after the reader's load messages.
std::optional<MappingCheck> checkMapping(const config::Settings& settings, const std::string& samplePath,
    const std::string& defaultDeliveryDate, platform::Messages& messages);

// The check as the text the mapping page shows.
std::string mappingCheckReport(const MappingCheck& check);

} // namespace convert
