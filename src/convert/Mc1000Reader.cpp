#include "convert/Conversion.h"
#include "platform/TextLines.h"

namespace convert {

namespace {

// The scanner writes fixed columns, counted from 1.
constexpr std::size_t kArticleColumn = 17;
constexpr std::size_t kArticleWidth = 13;
constexpr std::size_t kQuantityColumn = 31;
constexpr std::size_t kQuantityWidth = 6;

} // namespace

void Conversion::VERWERK_MC1000(const std::string& sourcePath)
{
    if (!sourceIsPresent(sourcePath)) {
        return;
    }
    const std::optional<std::string> source = openSource(sourcePath);
    if (!source) {
        return;
    }
    KOPLIJST header;
    if (!takeHeaderData(header)) {
        header = emptyHeader();
    }
    VERWERK_STRUC(header);
    useDefaultDeliveryDateIfEmpty();

    beginLines();
    platform::TextLines lines(*source);
    std::string_view line;
    while (lines.next(line)) {
        // A blank line has neither article nor quantity, so skipping it before the metre
        // conversion spares a lookup without changing any line.
        if (isBlankText(line)) {
            continue;
        }
        const std::string article = trimmed(charactersAt(line, kArticleColumn, kArticleWidth));
        Quantity quantity = parseQuantity(charactersAt(line, kQuantityColumn, kQuantityWidth), kCommaSeparator);
        convertMetres(quantity, [&article] { return article; });
        addLine(quantity, article);
    }
    VERWERK_MAG();
}

} // namespace convert
