#include "lengths/UpdateList.h"

#include <algorithm>

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

UpdateList parseUpdateList(std::string_view bytes)
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
