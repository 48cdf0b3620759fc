#include "lengths/UpdateList.h"

#include <algorithm>
#include <charconv>

namespace lengths {

namespace {

// The line starting at pos and where the next one starts.
struct Line
{
    std::string_view text;
    std::size_t next;
};

Line lineAt(std::string_view bytes, std::size_t pos)
{
    const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
    std::size_t next = end;
    if (next < bytes.size()) {
        next += (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
    }
    return { bytes.substr(pos, end - pos), next };
}

// A value of a row as the table's import takes it: blanks in front dropped for a quoted value,
// the quotes removed.
std::string_view unquoted(std::string_view value)
{
    const std::size_t start = value.find_first_not_of(' ');
    if (start == std::string_view::npos || value[start] != '"') {
        return value;
    }
    value.remove_prefix(start + 1);
    return value.substr(0, value.find('"'));
}

bool isPlausibleLength(std::string_view text)
{
    text = unquoted(text);
    const std::size_t start = text.find_first_not_of(' ');
    const std::size_t end = text.find_last_not_of(' ');
    if (start == std::string_view::npos) {
        return false;
    }
    text = text.substr(start, end - start + 1);
    double length = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), length, std::chars_format::fixed);
    return parsed.ec == std::errc() && parsed.ptr == text.data() + text.size() && length >= kShortestPipe
        && length <= kLongestPipe;
}

// The row holds exactly one comma.
bool isPlausibleRow(std::string_view row, std::size_t articleWidth)
{
    const std::size_t comma = row.find(',');
    const std::string_view article = unquoted(row.substr(0, comma));
    return (articleWidth == 0 || article.size() <= articleWidth) && isPlausibleLength(row.substr(comma + 1));
}

} // namespace

std::string_view firstLine(std::string_view text)
{
    return lineAt(text, 0).text;
}

bool isVersionLine(std::string_view line)
{
    return line.starts_with(kVersionMarker);
}

std::string versionOf(std::string_view line)
{
    std::string version(line.substr(std::min(line.size(), kVersionMarker.size()), kVersionLength));
    version.resize(kVersionLength, ' ');
    return version;
}

UpdateList parseUpdateList(std::string_view bytes, std::size_t articleWidth)
{
    UpdateList list;
    bool first = true;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Line line = lineAt(bytes, pos);
        pos = line.next;
        if (first) {
            first = false;
            if (!isVersionLine(line.text)) {
                list.fault = UpdateList::Fault::InvalidVersionLine;
                return list;
            }
            list.version = versionOf(line.text);
            continue;
        }
        if (std::count(line.text.begin(), line.text.end(), ',') != 1) {
            list.fault = UpdateList::Fault::MissingComma;
            return list;
        }
        if (list.rows == kMaxRows || !isPlausibleRow(line.text, articleWidth)) {
            list.fault = UpdateList::Fault::Implausible;
            return list;
        }
        list.csv.append(line.text);
        list.csv.append("\r\n");
        ++list.rows;
    }
    if (first) {
        // Nothing at all: no version line either.
        list.fault = UpdateList::Fault::InvalidVersionLine;
    }
    return list;
}

} // namespace lengths
