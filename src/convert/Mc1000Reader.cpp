#include "convert/Conversion.h"

namespace convert {

namespace {

// The scanner writes fixed columns, counted from 1.
constexpr std::size_t kArticleColumn = 17;
constexpr std::size_t kArticleWidth = 13;
constexpr std::size_t kQuantityColumn = 31;
constexpr std::size_t kQuantityWidth = 6;

// Calls handle for every line without its line end (CR LF, or a bare LF). A last line without
// a line end is a line; the empty text after the last line end is not.
template<typename Handle>
void forEachLine(std::string_view text, Handle handle)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        handle(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}

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
    forEachLine(*source, [this](std::string_view line) {
        // A blank line has neither article nor quantity, so skipping it before the metre
        // conversion spares a lookup without changing any line.
        if (isBlankText(line)) {
            return;
        }
        const std::string article = trimmed(charactersAt(line, kArticleColumn, kArticleWidth));
        Quantity quantity = parseQuantity(charactersAt(line, kQuantityColumn, kQuantityWidth), kCommaSeparator);
        quantity = convertMetres(article, quantity);
        addLine(quantity, article);
    });
    VERWERK_MAG();
}

} // namespace convert
