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

namespace {

using Reader = void (Conversion::*)(const std::string&);

Reader readerFor(const std::string& schema)
{
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
    return entry == std::end(readers) ? nullptr : entry->reader;
}

// A preview of a long order with a fault on every line would list them all; a few dozen tell the
// user as much.
constexpr std::size_t kMaxNotes = 100;

} // namespace

bool Conversion::convert(const std::string& schema, const std::string& sourcePath, PipeLengths* lengths)
{
    if (readerFor(schema) == nullptr) {
        return false;
    }
    // The send's own course, so what a preview shows is what is written.
    deliver(convertInMemory(schema, sourcePath, lengths));
    return true;
}

ConvertedOrder Conversion::convertInMemory(
    const std::string& schema, const std::string& sourcePath, PipeLengths* lengths)
{
    ConvertedOrder result;
    const Reader reader = readerFor(schema);
    if (reader == nullptr) {
        result.notes.push_back("Geen data in " + sourcePath);
        return result;
    }
    // Checked before anything is read: a source this large is no order, and reading it whole
    // (and the document it makes, several times its size) could exhaust the memory.
    if (!sourcePath.empty() && platform::fileSize(sourcePath) > kMaxSourceBytes) {
        m_messages.error("Bronbestand " + sourcePath + " is te groot (meer dan 256 MB).");
        result.notes.push_back("Geen data in " + sourcePath);
        return result;
    }
    // The run's table is closed by the caller right after the run, so it is not kept beyond it.
    PipeLengths* const kept = m_pipeLengths;
    if (lengths != nullptr) {
        m_pipeLengths = lengths;
    }
    if (m_settings.convertsMetres() && m_pipeLengths == nullptr) {
        result.notes.emplace_back("Geen buislengtetabel: aantallen in meter worden niet omgerekend.");
    }
    m_run = &result;
    m_droppedNotes = 0;
    m_pending = {};
    // However the reader ends, the next run starts without this one's result.
    struct Detach
    {
        Conversion& owner;
        PipeLengths* table;
        ~Detach()
        {
            owner.m_run = nullptr;
            owner.m_pipeLengths = table;
        }
    } detach { *this, kept };
    (this->*reader)(sourcePath);
    if (m_droppedNotes > 0) {
        result.notes.push_back("En nog " + std::to_string(m_droppedNotes) + " opmerkingen.");
    }
    if (!result.hasOrder) {
        // Whatever the run noticed on the way, there is nothing to send.
        result.notes.assign(1, "Geen data in " + sourcePath);
    } else if (result.order.lines.empty()) {
        result.notes.emplace_back("De order heeft geen regels.");
    }
    return result;
}

bool Conversion::deliver(const ConvertedOrder& converted)
{
    if (!converted.hasOrder) {
        return false;
    }
    // Set aside, not deleted: should the order not reach the webshop, the next try must carry the
    // same header (see restoreSetAsideOrderkop).
    const std::string orderkop = orderkopPath();
    if (converted.tookOrderkop && platform::fileExists(orderkop)
        && !platform::renameFile(orderkop, orderinfo::orderkopAsidePath(m_workFolder))) {
        m_messages.error("Fout: orderkop.txt niet gewist na verwerking.");
    }
    return writeDocument(converted.order);
}

bool Conversion::writeDocument(const ORDER& order)
{
    // Written while it is made: a long order's document is several times its source.
    const platform::WriteResult written = platform::replaceFileWith(
        documentPath(), [&order](platform::ByteSink& sink) { writeOrderDocument(order, sink); },
        platform::Access::OwnerOnly);
    if (!written) {
        m_messages.error("Fout bij aanmaken bestand " + documentPath() + " " + written.osError);
        return false;
    }
    return true;
}

void Conversion::note(std::string text)
{
    if (m_run == nullptr) {
        return;
    }
    if (m_run->notes.size() < kMaxNotes) {
        m_run->notes.push_back(std::move(text));
    } else {
        ++m_droppedNotes;
    }
}

void Conversion::noteSkipped(std::size_t sourceLine, const char* why)
{
    note("Bronregel " + std::to_string(sourceLine) + " overgeslagen: " + why + ".");
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
    if (m_run != nullptr) {
        // The lines move to the result; the header stays, as after a written document.
        ORDER_LINES lines = std::move(m_order.lines);
        m_order.lines.clear();
        m_run->order = m_order;
        m_run->order.lines = std::move(lines);
        m_run->deliveryDate = m_deliveryDate;
        m_run->hasOrder = true;
        return;
    }
    if (writeDocument(m_order)) {
        m_order.lines.clear();
    }
}

KOPLIJST Conversion::VERWERK_KOP()
{
    KOPLIJST header = readOrderkop();
    const std::string path = orderkopPath();
    if (m_run != nullptr) {
        // Left for deliver(): a preview takes nothing away.
        m_run->tookOrderkop = platform::fileExists(path);
        if (header.size() == orderinfo::kOrderkopLineCount) {
            note("De extra orderinformatie (orderkop.txt) vult de kop.");
        }
        return header;
    }
    // Set aside, not deleted: should the order not reach the webshop, the next try must carry the
    // same header (see restoreSetAsideOrderkop).
    if (platform::fileExists(path) && !platform::renameFile(path, orderinfo::orderkopAsidePath(m_workFolder))) {
        m_messages.error("Fout: orderkop.txt niet gewist na verwerking.");
    }
    return header;
}

KOPLIJST Conversion::readOrderkop()
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
    return header;
}

Quantity Conversion::VERWERK_LENGTE(const std::string& key, const Quantity& quantity)
{
    m_pending = {};
    if (m_pipeLengths == nullptr) {
        return quantity;
    }
    const std::optional<double> length = m_pipeLengths->pipeLength(key);
    // A length of zero or below cannot divide metres into pipes: such a row counts as absent.
    if (!length || !(*length > 0)) {
        m_pending.kind = Pending::Kind::NotFound;
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
    if (m_run != nullptr) {
        m_pending = { Pending::Kind::Converted, quantity.text(m_decimalSeparator), *length };
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
    if (m_run != nullptr && m_pending.kind != Pending::Kind::None) {
        if (m_pending.kind == Pending::Kind::Converted) {
            m_run->metreLines.push_back({ m_lineCount - 1, std::move(m_pending.metres), m_pending.length });
        } else {
            note("Regel " + std::to_string(m_lineCount) + " (" + displayText(trimBlanks(article), m_order.lineOrigin)
                + "): geen buislengte gevonden, het aantal blijft in meter.");
        }
        m_pending = {};
    }
}

} // namespace convert
