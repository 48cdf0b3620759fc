#include "convert/Conversion.h"

#include "platform/TextLines.h"

#include <algorithm>

namespace convert {

namespace {

// The point is the ICM run's decimal separator; every way out of the run returns to the comma.
class SeparatorScope
{
public:
    SeparatorScope(char& separator, char during)
        : m_separator(separator)
    {
        m_separator = during;
    }
    ~SeparatorScope() { m_separator = kCommaSeparator; }
    SeparatorScope(const SeparatorScope&) = delete;
    SeparatorScope& operator=(const SeparatorScope&) = delete;

private:
    char& m_separator;
};

// The start the fixed-width and delimited runs share: header data or none, the default date
// for an empty one, the header record skipped when there is one. Returns the source lines read.
std::size_t startRecordRun(Conversion& run, platform::TextLines& lines)
{
    KOPLIJST header = Conversion::emptyHeader();
    run.takeHeaderData(header);
    run.VERWERK_STRUC(header);
    run.useDefaultDeliveryDateIfEmpty();
    std::string_view line;
    std::size_t read = 0;
    if (run.settings().Koprecord == "YES" && lines.next(line)) {
        read = 1;
    }
    run.beginLines();
    return read;
}

// An upper bound for the order lines of a text source: every line end may start one.
std::size_t textLineCount(std::string_view source)
{
    return static_cast<std::size_t>(std::count(source.begin(), source.end(), '\n')) + 1;
}

constexpr std::size_t kSdfKeyWidth = 8;
constexpr std::size_t kIcmKeyWidth = 7;
constexpr std::size_t kIcmHeaderLines = 19;

} // namespace

void Conversion::runTextSource(const std::string& sourcePath, void (Conversion::*read)(std::string_view))
{
    if (!sourceIsPresent(sourcePath)) {
        return;
    }
    if (const auto source = openSource(sourcePath)) {
        (this->*read)(*source);
    }
}

void Conversion::VERWERK_SDF(const std::string& sourcePath)
{
    runTextSource(sourcePath, &Conversion::convertSdf);
}

void Conversion::VERWERK_CSV(const std::string& sourcePath)
{
    runTextSource(sourcePath, &Conversion::convertCsv);
}

void Conversion::VERWERK_ICM(const std::string& sourcePath)
{
    runTextSource(sourcePath, &Conversion::convertIcm);
}

void Conversion::convertSdf(std::string_view source)
{
    platform::TextLines lines(source);
    if (startRecordRun(*this, lines) > 0) {
        noteSkipped(1, "kopregel (Koprecord)");
    }
    reserveLines(textLineCount(source), source.size());
    std::string_view line;
    while (lines.next(line)) {
        const std::string article = rightAligned(
            trimBlanks(charactersAt(line, m_settings.SDF_art_van, m_settings.SDF_art_tot)), kSdfKeyWidth);
        Quantity quantity
            = parseQuantity(charactersAt(line, m_settings.SDF_ant_van, m_settings.SDF_ant_tot), kCommaSeparator);
        convertMetres(quantity, [&article] { return article; });
        if (isBlankText(line)) {
            continue;
        }
        addLine(quantity, article);
    }
    VERWERK_MAG();
}

void Conversion::convertCsv(std::string_view source)
{
    platform::TextLines lines(source);
    std::size_t sourceLine = startRecordRun(*this, lines);
    if (sourceLine > 0) {
        noteSkipped(1, "kopregel (Koprecord)");
    }
    reserveLines(textLineCount(source), source.size());
    std::string_view line;
    std::string article;
    Quantity quantity;
    while (lines.next(line)) {
        ++sourceLine;
        FC_SPLIT_REC(line, article, quantity);
        if (isBlankText(article)) {
            if (!isBlankText(line)) {
                noteSkipped(sourceLine, "geen artikelnummer in veld CSV_art");
            }
            continue;
        }
        convertMetres(quantity, [&article] { return article; });
        addLine(quantity, article);
    }
    VERWERK_MAG();
}

void Conversion::FC_SPLIT_REC(std::string_view record, std::string& article, Quantity& quantity) const
{
    article.clear();
    quantity = Quantity();
    const std::string_view separator = m_settings.CSV_char;
    const std::size_t articleField = m_settings.CSV_art;
    const std::size_t quantityField = m_settings.CSV_aant;
    const std::size_t lastWanted = std::max(articleField, quantityField);

    // Quotation marks are dropped wherever they stand; most fields have none to drop.
    const auto assignUnquoted = [](std::string& out, std::string_view raw) {
        out.clear();
        for (std::size_t at = 0; at < raw.size();) {
            const std::size_t quote = std::min(raw.find('"', at), raw.size());
            out.append(raw.substr(at, quote - at));
            at = quote + 1;
        }
    };
    std::size_t start = 0;
    for (std::size_t field = 1; field <= lastWanted; ++field) {
        // A separator of one character, as nearly all are, is found without comparing strings.
        std::size_t end = separator.empty() ? std::string_view::npos
            : separator.size() == 1         ? record.find(separator.front(), start)
                                            : record.find(separator, start);
        const bool isLast = end == std::string_view::npos;
        if (isLast) {
            end = record.size();
        }
        const std::string_view raw = record.substr(start, end - start);
        if (field == articleField) {
            assignUnquoted(article, raw);
        } else if (field == quantityField) {
            if (raw.find('"') == std::string_view::npos) {
                quantity = parseQuantity(raw, kCommaSeparator);
            } else {
                std::string unquoted;
                assignUnquoted(unquoted, raw);
                quantity = parseQuantity(unquoted, kCommaSeparator);
            }
        }
        if (isLast) {
            break;
        }
        start = end + separator.size();
    }
}

void Conversion::convertIcm(std::string_view source)
{
    const SeparatorScope point(m_decimalSeparator, kPointSeparator);
    platform::TextLines lines(source);
    std::string_view line;

    KOPLIJST header;
    std::size_t sourceLine = 0;
    if (takeHeaderData(header)) {
        VERWERK_STRUC(header);
        for (; sourceLine < kIcmHeaderLines && lines.next(line); ++sourceLine) { }
    } else {
        std::array<std::string, kIcmHeaderLines + 1> h;
        for (std::size_t i = 1; i <= kIcmHeaderLines && lines.next(line); ++i) {
            h[i] = trimmed(line);
            sourceLine = i;
        }
        fillIcmHeader(h);
    }
    if (!isBlankText(m_order.header.Contract_number)) {
        m_order.header.addressID.clear();
    }

    beginLines();
    reserveLines(textLineCount(source) / 4 + 1, source.size());
    int position = 0;
    Quantity quantity;
    while (lines.next(line)) {
        ++position;
        ++sourceLine;
        if (position == 1) {
            quantity = parseQuantity(line, kPointSeparator);
        } else if (position == 2) {
            const std::string_view article = trimBlanks(line);
            convertMetres(quantity, [&article] { return rightAligned(article, kIcmKeyWidth); });
            if (!isBlankText(article)) {
                addLine(quantity, article);
            } else {
                noteSkipped(sourceLine, "geen artikelnummer");
            }
        } else if (position == 4) {
            position = 0;
        }
    }
    VERWERK_MAG();
}

void Conversion::fillIcmHeader(const std::array<std::string, 20>& h)
{
    const std::string& date = h[15];
    m_deliveryDate = std::string(charactersAt(date, 7, 4)) + "-" + std::string(charactersAt(date, 4, 2)) + "-"
        + std::string(charactersAt(date, 1, 2));

    std::string name;
    for (const char c : h[8]) {
        if (c == '"') {
            name.push_back('\'');
        } else if (c == '&') {
            name.append(" en ");
        } else {
            name.push_back(c);
        }
    }
    std::string postalCode;
    for (const char c : h[12]) {
        if (c != ' ') {
            postalCode.push_back(c);
        }
    }

    // The sender, request and fixed values are those of every run; the header fields come
    // from the file's own lines.
    VERWERK_STRUC(emptyHeader());
    ORDER_HEADER& header = m_order.header;
    header.Shipping_method.assign(1, '2');
    header.Order_reference_number = h[2];
    header.Additional_reference_1 = h[3];
    header.Additional_reference_2 = h[4];
    header.Tel_number = h[14];
    header.name = std::move(name);
    header.DeliverTo = h[9];
    header.Street = h[10] + " " + h[13];
    header.City = h[11];
    header.PostalCode = std::move(postalCode);
    m_order.headerOrigin = TextOrigin::Bytes;
}

} // namespace convert
