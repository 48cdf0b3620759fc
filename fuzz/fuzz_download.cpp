// The downloaded pipe-length list on arbitrary bytes: whatever comes in, an accepted list must
// hand the table only "one comma" rows ending in CR LF and a version of exactly 10 characters.
#include "lengths/UpdateList.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A real list of 100,000 rows is about 2 MB; past 1 MB the fuzzer only spends its time on
    // copying without reaching new lines of the parser.
    if (size > (1u << 20)) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The article field of the installed tables is 13 characters wide.
    const lengths::UpdateList list = lengths::parseUpdateList(bytes, 13);

    require(list.csv.size() <= bytes.size() + list.rows);
    require(list.rows <= lengths::kMaxRows);
    if (list.fault != lengths::UpdateList::Fault::InvalidVersionLine) {
        require(list.version.size() == lengths::kVersionLength);
        require(lengths::isVersionLine(lengths::firstLine(bytes)));
    }
    std::size_t rows = 0;
    for (std::size_t pos = 0; pos < list.csv.size();) {
        const std::size_t end = list.csv.find("\r\n", pos);
        require(end != std::string_view::npos);
        const std::string_view row = std::string_view(list.csv).substr(pos, end - pos);
        require(std::count(row.begin(), row.end(), ',') == 1);
        require(row.find_first_of("\r\n") == std::string_view::npos);
        pos = end + 2;
        ++rows;
    }
    require(rows == list.rows);
    return 0;
}
