#pragma once

#include "convert/Order.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace convert {

// A line whose quantity the run turned from metres into whole pipes: what it was and by what.
struct MetreLine
{
    std::size_t line = 0; // index into the order's lines
    std::string metres; // the quantity as read, with the run's decimal separator
    double pipeLength = 0;
};

// One source file converted in memory, as a send would post it: the order, what the user should
// know about it, and whether it took the waiting header data. Nothing has been written or
// consumed; Conversion::deliver() does that for a send.
struct ConvertedOrder
{
    // False when the run made no order (no source, no mapping, a source it could not read):
    // a send would say "Geen data in" and post nothing.
    bool hasOrder = false;
    ORDER order;
    // The delivery date every line carries.
    std::string deliveryDate;
    // Ascending by line.
    std::vector<MetreLine> metreLines;
    // Dutch, one remark each: lines passed over and why, metres left unconverted, no data.
    std::vector<std::string> notes;
    // The header list came from orderkop.txt; a send sets the file aside with the order.
    bool tookOrderkop = false;

    // The bytes of dtbs.xml for the order (empty without one).
    std::string document() const;
    // The metre source of a line, or null for a line ordered as it stands.
    const MetreLine* metreLine(std::size_t line) const;
};

// A value of the order as UTF-8 for the screen: the bytes as the webshop reads them.
std::string displayText(std::string_view value, TextOrigin origin);

// A pipe length as the program writes numbers: decimal comma, no trailing zeros ("6", "5,8").
std::string lengthText(double metres);

// One labelled value of the order's header for the preview, in display order.
struct PreviewField
{
    const char* label;
    std::string value;
};
// The header as the preview shows it; webshop is "BE" or "NL", the shop the post would go to.
std::vector<PreviewField> previewHeader(const ConvertedOrder& converted, const std::string& webshop);

// The preview as plain UTF-8 text: the header, the lines as tab-separated columns under a heading
// row, and the notes.
std::string previewText(const ConvertedOrder& converted, const std::string& webshop);

// The column captions of the preview's lines, in order.
inline constexpr const char* kPreviewColumns[] = { "Regel", "Artikel", "Aantal", "Meter", "Buislengte" };
// The text of one cell of the preview's lines (column as in kPreviewColumns).
std::string previewCell(const ConvertedOrder& converted, std::size_t line, std::size_t column);

} // namespace convert
