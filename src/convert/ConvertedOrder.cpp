#include "convert/ConvertedOrder.h"

#include "convert/OrderDocument.h"
#include "orderinfo/Windows1252.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace convert {

std::string ConvertedOrder::document() const
{
    return hasOrder ? orderDocument(order) : std::string();
}

const MetreLine* ConvertedOrder::metreLine(std::size_t line) const
{
    const auto found = std::lower_bound(metreLines.begin(), metreLines.end(), line,
        [](const MetreLine& entry, std::size_t wanted) { return entry.line < wanted; });
    return found != metreLines.end() && found->line == line ? &*found : nullptr;
}

std::string displayText(std::string_view value, TextOrigin origin)
{
    switch (origin) {
    case TextOrigin::Utf8:
        return std::string(value);
    case TextOrigin::Windows1252:
        return orderinfo::windows1252ToUtf8(value);
    case TextOrigin::Bytes:
        break;
    }
    // Text sources go into the ISO-8859-1 document unchanged, so that is what the webshop reads.
    std::string text;
    text.reserve(value.size());
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string lengthText(double metres)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", metres);
    std::string out(text);
    while (out.back() == '0') {
        out.pop_back();
    }
    if (out.back() == '.') {
        out.pop_back();
    }
    std::replace(out.begin(), out.end(), '.', ',');
    return out;
}

std::vector<PreviewField> previewHeader(const ConvertedOrder& converted, const std::string& webshop)
{
    const ORDER_HEADER& h = converted.order.header;
    const TextOrigin origin = converted.order.headerOrigin;
    const auto shown = [origin](const std::string& value) { return displayText(value, origin); };
    return {
        { "Contract", shown(h.Contract_number) },
        { "Orderreferentie", shown(h.Order_reference_number) },
        { "Referentie 1", shown(h.Additional_reference_1) },
        { "Referentie 2", shown(h.Additional_reference_2) },
        { "Telefoon", shown(h.Tel_number) },
        { "Leverdatum", displayText(converted.deliveryDate, origin) },
        { "Naam", shown(h.name) },
        { "Leveren aan", shown(h.DeliverTo) },
        { "Straat", shown(h.Street) },
        { "Postcode", shown(h.PostalCode) },
        { "Woonplaats", shown(h.City) },
        { "Land (ISO)", shown(h.isoCountryCode) },
        { "Webshop", webshop },
    };
}

std::string previewCell(const ConvertedOrder& converted, std::size_t line, std::size_t column)
{
    const ORDER_LINE entry = converted.order.lines[line];
    switch (column) {
    case 0:
        return std::string(entry.lineNumber);
    case 1:
        return displayText(entry.articleNumber, converted.order.lineOrigin);
    case 2:
        return std::string(entry.quantity);
    default:
        break;
    }
    const MetreLine* metres = converted.metreLine(line);
    if (metres == nullptr) {
        return {};
    }
    return column == 3 ? metres->metres : lengthText(metres->pipeLength);
}

std::string previewText(const ConvertedOrder& converted, const std::string& webshop)
{
    std::string text;
    if (converted.hasOrder) {
        for (const PreviewField& field : previewHeader(converted, webshop)) {
            text.append(field.label).append(": ").append(field.value).append("\n");
        }
        text += "\n";
        const std::size_t columns = std::size(kPreviewColumns);
        for (std::size_t column = 0; column < columns; ++column) {
            text.append(kPreviewColumns[column]).append(column + 1 < columns ? "\t" : "\n");
        }
        for (std::size_t line = 0; line < converted.order.lines.size(); ++line) {
            for (std::size_t column = 0; column < columns; ++column) {
                text.append(previewCell(converted, line, column)).append(column + 1 < columns ? "\t" : "\n");
            }
        }
    }
    if (!converted.notes.empty()) {
        text += converted.hasOrder ? "\n" : "";
        for (const std::string& note : converted.notes) {
            text.append(note).append("\n");
        }
    }
    return text;
}

} // namespace convert
