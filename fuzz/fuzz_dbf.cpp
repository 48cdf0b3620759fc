// Opens arbitrary bytes as a dBASE table and reads every row, as a look-up or a rebuild would;
// the same bytes also go through the comma-separated import.

#include "lengths/DbfTable.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Bigger inputs only repeat records; the header and descriptors fit far below this.
    if (size > (1u << 20)) {
        return 0;
    }
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (auto table = lengths::DbfTable::parse(bytes)) {
        volatile std::size_t seen = 0;
        for (std::uint32_t record = 1; record <= table->recordCount() + 1; ++record) {
            seen = seen + (table->isDeleted(record) ? 1 : 0);
            for (int field = -1; field <= static_cast<int>(table->fields().size()); ++field) {
                if (const auto value = table->fieldBytes(record, field)) {
                    seen = seen + value->size();
                }
                seen = seen + (table->numericValue(record, field) ? 1 : 0);
            }
        }
        // What a rebuild writes back must read as the same table.
        const std::string written = table->serialize({ 2026, 12, 8 });
        const auto again = lengths::DbfTable::parse(written);
        if (!again || again->recordCount() != table->recordCount() || again->fields() != table->fields()) {
            __builtin_trap();
        }
        table->pack();
        table->appendDelimited(bytes.substr(0, 4096));
    }
    auto list = lengths::DbfTable::create(lengths::DbfTable::standardFields());
    list->appendDelimited(bytes);
    return 0;
}
