// Feeds arbitrary bytes to the readers of the log of sent orders: an order's index and a stored
// order document, both files in the work folder that anyone with the user's rights may change.
#include "commands/SentOrderLog.h"

#include <cstddef>
#include <cstdint>
#include <string>

// An index is a few hundred bytes; a stored document is the program's own, a 100,000-line one a
// few megabytes, but the reader's paths are all taken by small ones.
constexpr std::size_t kMaxInput = 1 << 16;

namespace {

bool sameFields(const commands::SentOrder& a, const commands::SentOrder& b)
{
    return a.date == b.date && a.time == b.time && a.source == b.source && a.format == b.format
        && a.webshop == b.webshop && a.lines == b.lines && a.statusLine == b.statusLine && a.outcome == b.outcome
        && a.told == b.told;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInput) {
        return 0;
    }
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // What an index gives is written back into one that reads the same.
    if (const auto order = commands::parseIndex(bytes)) {
        const auto again = commands::parseIndex(commands::indexText(*order));
        if (!again || !sameFields(*again, *order)) {
            __builtin_trap();
        }
    }

    // No byte of a password survives the blanking.
    const std::string blanked = commands::blankPasswords(bytes);
    for (std::size_t at = blanked.find("<Secret>"); at != std::string::npos; at = blanked.find("<Secret>", at + 1)) {
        const std::size_t next = at + 8;
        if (next < blanked.size() && blanked.compare(next, 9, "</Secret>") != 0) {
            __builtin_trap();
        }
    }

    commands::sentLines(bytes);
    return 0;
}
