#include "convert/Conversion.h"

#include "convert/OrderDocument.h"
#include "orderinfo/DeliveryDate.h"
#include "orderinfo/Orderkop.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>

namespace convert {

Conversion::Conversion(const config::Settings& settings, std::string workFolder, platform::Messages& messages,
    const platform::Clock& clock, PipeLengths* lengths)
    : m_settings(settings)
    , m_workFolder(std::move(workFolder))
    , m_messages(messages)
    , m_clock(clock)
    , m_pipeLengths(lengths)
{
}

bool Conversion::convert(const std::string& schema, const std::string& sourcePath, PipeLengths* lengths)
{
    using Reader = void (Conversion::*)(const std::string&);
    struct Entry
    {
        const char* schema;
        Reader reader;
    };
    static constexpr Entry readers[] = {
        { "SDF", &Conversion::VERWERK_SDF },
        { "CSV", &Conversion::VERWERK_CSV },
        { "ICM", &Conversion::VERWERK_ICM },
        { "XML", &Conversion::VERWERK_XML },
        { "MER", &Conversion::VERWERK_MER },
        { "MC1000", &Conversion::VERWERK_MC1000 },
    };
    const auto entry = std::find_if(
        std::begin(readers), std::end(readers), [&schema](const Entry& e) { return schema == e.schema; });
    if (entry == std::end(readers)) {
        return false;
    }
    // Checked before anything is read: a source this large is no order, and reading it whole
    // (and the document it makes, several times its size) could exhaust the memory.
    if (!sourcePath.empty() && platform::fileSize(sourcePath) > kMaxSourceBytes) {
        m_messages.error("Bronbestand " + sourcePath + " is te groot (meer dan 256 MB).");
        return true;
    }
    // The run's table is closed by the caller right after the run, so it is not kept beyond it.
    PipeLengths* const kept = m_pipeLengths;
    if (lengths != nullptr) {
        m_pipeLengths = lengths;
    }
    (this->*entry->reader)(sourcePath);
    m_pipeLengths = kept;
    return true;
}

std::string Conversion::documentPath() const
{
    return platform::joinPath(m_workFolder, "dtbs.xml");
}

std::string Conversion::orderkopPath() const
{
    return orderinfo::orderkopPath(m_workFolder);
}

namespace {

// Whole strings rather than literals: GCC 12 at -O3 warns falsely (-Wrestrict) on
// assigning short literals to a std::string.
const std::string kDomain = "billToAddressCode";
const std::string kDeploymentMode = "production";
const std::string kOrderType = "new";
const std::string kCurrency = "0";
const std::string kShippingMethod = "1";

// A hand-edited config.xml may hold a line break or another control character; in dtbs.xml it
// would change what the webshop reads (an attribute's line break becomes a blank, a credential
// no longer matches) or make the document invalid XML.
std::string withoutControls(const std::string& value)
{
    std::string kept;
    kept.reserve(value.size());
    for (const char c : value) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
            kept += c;
        }
    }
    return kept;
}

} // namespace

void Conversion::VERWERK_STRUC(const KOPLIJST& header, TextOrigin origin)
{
    // A short list is filled up with empty texts rather than read past its end.
    const auto entry = [&header](std::size_t position) {
        return position <= header.size() ? trimmed(header[position - 1]) : std::string();
    };

    m_order.from.domain = kDomain;
    m_order.from.Identity = withoutControls(m_settings.Identity);
    m_order.from.Secret = withoutControls(m_settings.Secret);

    m_order.request.DirectERP = withoutControls(m_settings.DirectERP);
    m_order.request.deploymentMode = kDeploymentMode;

    ORDER_HEADER& h = m_order.header;
    h.OrderDate = platform::formatDate(m_clock.today());
    h.type = kOrderType;
    h.currency = kCurrency;
    h.Shipping_method = kShippingMethod;
    h.Contract_number = entry(1);
    h.Order_reference_number = entry(2);
    h.Additional_reference_1 = entry(3);
    h.Additional_reference_2 = entry(4);
    h.Tel_number = entry(5);
    h.addressID = withoutControls(m_settings.addressID);
    h.lang = withoutControls(m_settings.lang);
    h.name = entry(7);
    h.DeliverTo = entry(8);
    h.Street = entry(9);
    h.City = entry(11);
    h.PostalCode = entry(10);
    h.isoCountryCode = entry(12);
    m_order.headerOrigin = origin;
}

void Conversion::VERWERK_MAG()
{
    // Written while it is made: a long order's document is several times its source.
    const platform::WriteResult written = platform::replaceFileWith(
        documentPath(), [this](platform::ByteSink& sink) { writeOrderDocument(m_order, sink); },
        platform::Access::OwnerOnly);
    if (!written) {
        m_messages.error("Fout bij aanmaken bestand " + documentPath() + " " + written.osError);
        return;
    }
    m_order.lines.clear();
}

KOPLIJST Conversion::VERWERK_KOP()
{
    KOPLIJST header;
    const std::string path = orderkopPath();
    if (platform::fileExists(path) && platform::fileSize(path) > 0) {
        std::string error;
        if (const auto bytes = platform::readFile(path, &error)) {
            for (const std::string& line : orderinfo::orderkopLines(*bytes)) {
                header.push_back(trimmed(line));
            }
        } else {
            m_messages.error("Fout bij openen bestand " + path + " " + error);
        }
    }
    // Set aside, not deleted: should the order not reach the webshop, the next try must carry the
    // same header (see restoreSetAsideOrderkop).
    if (platform::fileExists(path) && !platform::renameFile(path, orderinfo::orderkopAsidePath(m_workFolder))) {
        m_messages.error("Fout: orderkop.txt niet gewist na verwerking.");
    }
    return header;
}

Quantity Conversion::VERWERK_LENGTE(const std::string& key, const Quantity& quantity)
{
    if (m_pipeLengths == nullptr) {
        return quantity;
    }
    const std::optional<double> length = m_pipeLengths->pipeLength(key);
    // A length of zero or below cannot divide metres into pipes: such a row counts as absent.
    if (!length || !(*length > 0)) {
        return quantity;
    }
    // Decimal metres and lengths are not exact in binary: 6,9 m of 2,3 m pipes divides to
    // 3.0000000000000004, and a plain round-up would order a fourth pipe. A ratio that lies
    // within rounding noise of a whole number is that number. The noise of two parsed decimals
    // and one division stays below a few units in the last place, so a few more still let a
    // real excess count: 10,000000001 m of 5 m pipes needs a third pipe.
    constexpr double kNoise = 8 * std::numeric_limits<double>::epsilon();
    const double ratio = quantity.value / *length;
    const double nearest = std::round(ratio);
    const double pipes
        = std::fabs(ratio - nearest) <= kNoise * std::max(1.0, std::fabs(nearest)) ? nearest : std::ceil(ratio);
    if (!std::isfinite(pipes)) {
        return quantity;
    }
    return Quantity::whole(pipes);
}

std::string Conversion::defaultDeliveryDate() const
{
    return platform::formatDate(orderinfo::earliestDeliveryDate(m_clock.today()));
}

bool Conversion::sourceIsPresent(const std::string& sourcePath) const
{
    return !sourcePath.empty() && platform::fileExists(sourcePath) && platform::fileSize(sourcePath) > 0;
}

std::optional<std::string> Conversion::openSource(const std::string& sourcePath)
{
    auto bytes = platform::readFile(sourcePath);
    if (!bytes) {
        m_messages.error("Fout bij openen bronbestand " + sourcePath);
        return bytes;
    }
    // Every line end counts, a lone CR too (the readers split on it).
    std::size_t lines = 0;
    for (std::size_t at = 0; at < bytes->size(); ++at) {
        const char c = (*bytes)[at];
        lines += c == '\n' || (c == '\r' && (at + 1 == bytes->size() || (*bytes)[at + 1] != '\n')) ? 1 : 0;
    }
    if (lines > kMaxSourceLines) {
        m_messages.error("Bronbestand " + sourcePath + " heeft te veel regels (meer dan een miljoen).");
        return std::nullopt;
    }
    return bytes;
}

bool Conversion::takeHeaderData(KOPLIJST& header)
{
    KOPLIJST list = VERWERK_KOP();
    if (list.size() != orderinfo::kOrderkopLineCount) {
        m_deliveryDate.clear();
        return false;
    }
    // A cleared date mask is no date; left as it stands it would reach the webshop as "-  -".
    if (orderinfo::isClearedDate(list[5])) {
        list[5].clear();
    }
    m_deliveryDate = trimmed(list[5]);
    header = std::move(list);
    return true;
}

KOPLIJST Conversion::emptyHeader()
{
    return KOPLIJST(orderinfo::kOrderkopLineCount);
}

void Conversion::useDefaultDeliveryDateIfEmpty()
{
    if (isBlankText(m_deliveryDate)) {
        m_deliveryDate = defaultDeliveryDate();
    }
}

void Conversion::beginLines(TextOrigin origin)
{
    m_order.lines.clear();
    m_order.lineOrigin = origin;
    m_lineCount = 0;
}

void Conversion::reserveLines(std::size_t count, std::size_t sourceBytes)
{
    // Per line the date, a line number and a few bytes more than the source wrote.
    m_order.lines.reserve(count, sourceBytes + count * (m_deliveryDate.size() + 12));
}

void Conversion::addLine(const Quantity& quantity, std::string_view article)
{
    ++m_lineCount;
    char number[24];
    const auto written = std::to_chars(number, number + sizeof number, m_lineCount);
    m_order.lines.push_back({ quantity.text(m_decimalSeparator), m_deliveryDate,
        std::string_view(number, static_cast<std::size_t>(written.ptr - number)), trimBlanks(article) });
}

} // namespace convert
