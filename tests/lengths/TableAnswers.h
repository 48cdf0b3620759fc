#pragma once

#include "lengths/PipeLengthTable.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace lengths_test {

inline std::string readText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Lines split at LF only: every other byte, blanks included, belongs to the line.
inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        result.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return result;
}

// The answer to one search, written the way the reference answers are.
inline std::string answer(lengths::PipeLengthTable& table, const std::string& text)
{
    const lengths::SeekResult hit = table.seek(text);
    if (hit.eof) {
        return "[" + text + "] NOTFOUND EOF";
    }
    const std::string field(*table.table()->fieldBytes(hit.record, 0));
    if (!hit.found) {
        return "[" + text + "] NOTFOUND AT [" + field + "]";
    }
    char length[32];
    std::snprintf(length, sizeof length, "%.3f", table.table()->numericValue(hit.record, 1).value_or(-1));
    return "[" + text + "] FOUND [" + field + "] " + length;
}

// Walking the order must give every record once, sorted by key bytes and then record number,
// each key equal to its record's field.
inline std::vector<std::string> orderSummary(lengths::PipeLengthTable& table, lengths::CdxIndex& index)
{
    const auto tag = index.tag("MT_ARTNR");
    const auto keys = tag ? index.walk(*tag) : std::nullopt;
    std::vector<std::string> summary { "RECORDS " + std::to_string(table.recordCount()),
        "KEYS " + std::to_string(keys ? keys->size() : 0) };
    bool ok = keys && keys->size() == table.recordCount();
    std::vector<bool> seen(table.recordCount() + 1, false);
    for (std::size_t i = 0; ok && i < keys->size(); ++i) {
        const auto& entry = (*keys)[i];
        ok = entry.record >= 1 && entry.record <= table.recordCount() && !seen[entry.record]
            && entry.key == *table.table()->fieldBytes(entry.record, 0);
        if (ok && i > 0) {
            const auto& before = (*keys)[i - 1];
            ok = before.key < entry.key || (before.key == entry.key && before.record < entry.record);
        }
        if (ok) {
            seen[entry.record] = true;
        }
    }
    summary.push_back(ok ? "ORDER OK" : "ORDER BROKEN");
    return summary;
}

inline std::vector<std::string> allAnswers(lengths::PipeLengthTable& table, const std::string& folder)
{
    std::vector<std::string> result;
    for (const std::string& key : lines(readText(folder + "/keys.txt"))) {
        result.push_back(answer(table, key));
    }
    auto index = lengths::CdxIndex::parse(readText(folder + "/lgt.CDX"));
    if (!index) {
        result.push_back("INDEX UNREADABLE");
        return result;
    }
    for (std::string& line : orderSummary(table, *index)) {
        result.push_back(std::move(line));
    }
    return result;
}

} // namespace lengths_test
