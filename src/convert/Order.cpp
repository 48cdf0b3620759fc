#include "convert/Order.h"

#include <limits>

namespace convert {

namespace {

// A single text longer than this is cut; no value of an order line comes near it.
constexpr std::size_t kMaxText = std::numeric_limits<std::uint32_t>::max();

std::uint32_t lengthOf(std::string_view text)
{
    return static_cast<std::uint32_t>(std::min(text.size(), kMaxText));
}

} // namespace

void ORDER_LINES::push_back(const ORDER_LINE& line)
{
    const std::string_view texts[4] = { line.quantity, line.deliveryDate, line.lineNumber, line.articleNumber };
    Entry entry { m_text.size(), {} };
    for (int i = 0; i < 4; ++i) {
        entry.lengths[i] = lengthOf(texts[i]);
        m_text.append(texts[i].substr(0, entry.lengths[i]));
    }
    m_entries.push_back(entry);
}

void ORDER_LINES::reserve(std::size_t lines, std::size_t textBytes)
{
    m_entries.reserve(lines);
    m_text.reserve(textBytes);
}

void ORDER_LINES::clear()
{
    m_entries.clear();
    m_text.clear();
}

ORDER_LINE ORDER_LINES::operator[](std::size_t index) const
{
    const Entry& entry = m_entries[index];
    const std::string_view text(m_text);
    std::size_t at = entry.offset;
    std::string_view parts[4];
    for (int i = 0; i < 4; ++i) {
        parts[i] = text.substr(at, entry.lengths[i]);
        at += entry.lengths[i];
    }
    return { parts[0], parts[1], parts[2], parts[3] };
}

} // namespace convert
