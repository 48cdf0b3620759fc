#include "orderinfo/Orderkop.h"

#include "platform/Paths.h"
#include "platform/TextLines.h"

#include <array>

namespace orderinfo {

namespace {

std::array<std::string*, kOrderkopLineCount> fieldsInOrder(Orderkop& fields)
{
    return { &fields.contract, &fields.orderReference, &fields.reference1, &fields.reference2, &fields.telephone,
        &fields.deliveryDate, &fields.name1, &fields.name2, &fields.street, &fields.postcode, &fields.town,
        &fields.country };
}

} // namespace

std::vector<std::string> orderkopLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    platform::TextLines cursor(bytes);
    std::string_view line;
    while (cursor.next(line)) {
        lines.emplace_back(line);
    }
    return lines;
}

Orderkop orderkopFromLines(const std::vector<std::string>& lines)
{
    Orderkop fields;
    const auto targets = fieldsInOrder(fields);
    for (std::size_t i = 0; i < targets.size() && i < lines.size(); ++i) {
        *targets[i] = lines[i];
    }
    return fields;
}

std::string orderkopText(const Orderkop& fields)
{
    Orderkop copy = fields;
    std::string text;
    for (const std::string* field : fieldsInOrder(copy)) {
        text.append(*field);
        text.append("\r\n");
    }
    return text;
}

std::string orderkopPath(const std::string& workFolder)
{
    return platform::joinPath(workFolder, "orderkop.txt");
}

std::optional<Orderkop> readOrderkop(const std::string& path, std::string* error)
{
    const std::optional<std::string> bytes = platform::readFile(path, error);
    if (!bytes) {
        return std::nullopt;
    }
    return orderkopFromLines(orderkopLines(*bytes));
}

platform::WriteResult writeOrderkop(const std::string& path, const Orderkop& fields)
{
    return platform::replaceFile(path, orderkopText(fields));
}

} // namespace orderinfo
