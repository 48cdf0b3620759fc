// Opens arbitrary bytes as the compound index of a small valid table and searches it: damaged
// pages must make a seek miss, never read outside the index.

#include "lengths/CdxIndex.h"
#include "lengths/DbfTable.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

const lengths::DbfTable& table()
{
    static const lengths::DbfTable rows = [] {
        auto built = lengths::DbfTable::create(lengths::DbfTable::standardFields());
        built->appendDelimited("12345678,5\r\n1234567,6\r\n\"     123\",6\r\n30000010,0.75\r\n30000010,6\r\n"
                               "1234567A,5\r\n99999998,5\r\n");
        return *built;
    }();
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An index of 100,000 rows is about 2 MB; larger inputs add nothing a reader treats differently.
    if (size > (4u << 20)) {
        return 0;
    }
    const auto index = lengths::CdxIndex::parse(std::string(reinterpret_cast<const char*>(data), size));
    if (!index) {
        return 0;
    }
    const std::string_view tail(
        reinterpret_cast<const char*>(data) + size - std::min<std::size_t>(size, 16), std::min<std::size_t>(size, 16));
    for (const lengths::CdxTag& tag : index->tags()) {
        for (std::string_view text : { std::string_view(), std::string_view("1234567"), std::string_view("     123"),
                 std::string_view("30000010 "), std::string_view("zzzz"), tail }) {
            const lengths::SeekResult hit = index->seek(tag, text);
            if (!hit.eof) {
                // Reading the row a hit points to is what a look-up does next.
                (void)table().numericValue(hit.record, 1);
            }
        }
        (void)index->walk(tag);
    }
    return 0;
}
