#include "convert/Conversion.h"
#include "convert/XmlSource.h"

#include <array>

namespace convert {

namespace {

constexpr int kHeaderExpressions = 15;
constexpr std::size_t kDeliveryDate = 5; // 0-based entries of the header list
constexpr std::size_t kDay = 12;
constexpr std::size_t kMonth = 13;
constexpr std::size_t kYear = 14;
constexpr int kArticleSetting = 16;
constexpr int kQuantitySetting = 17;

// The labels of the mapping page, so the user finds the field that holds the faulty expression.
// clang-format off
constexpr std::array<const char*, 17> kSettingLabels = {
    "Contract", "Order ref. num", "Orderreferentie 1", "Orderreferentie 2", "Telefoon", "Leverdatum",
    "Naam 1", "Naam 2", "Straat", "Postcode", "Woonplaats", "Land (ISO)", "Dag", "Maand", "Jaar",
    "Artikelnummer", "Aantal",
};
// clang-format on

void reportBadExpression(platform::Messages& messages, int number, const std::string& expression)
{
    messages.error("De XPath-expressie in instelling XML_" + std::to_string(number) + " ("
                   + kSettingLabels[static_cast<std::size_t>(number - 1)]
                   + ") is ongeldig of selecteert geen knooppunten: " + expression);
}

// A header entry is never empty: what has no value becomes one blank, which VERWERK_STRUC trims.
std::string headerEntry(const std::vector<config::XmlNode>& nodes)
{
    if (nodes.empty()) {
        return " ";
    }
    const std::string value = xmlNodeValue(nodes.front());
    return isBlankText(value) ? std::string(" ") : withoutLineBreaks(value);
}

// The 15 header entries of the mapping, or nothing after reporting an expression that selects no
// node set.
std::optional<KOPLIJST> mappedHeader(Conversion& conversion, const config::XmlDocument& document)
{
    KOPLIJST entries;
    entries.reserve(kHeaderExpressions);
    for (int number = 1; number <= kHeaderExpressions; ++number) {
        const std::string& setting = conversion.settings().xmlPath(number);
        const std::string expression = setting.empty() ? std::string("/") : setting;
        const std::optional<std::vector<config::XmlNode>> nodes = document.select(expression);
        if (!nodes) {
            reportBadExpression(conversion.messages(), number, expression);
            return std::nullopt;
        }
        entries.push_back(headerEntry(*nodes));
    }
    // Day, month and year in that order, unlike the year-first dates of the other sources.
    if (isBlankText(entries[kDeliveryDate]) && !isBlankText(entries[kDay]) && !isBlankText(entries[kMonth])
        && !isBlankText(entries[kYear])) {
        entries[kDeliveryDate] = entries[kDay] + "-" + entries[kMonth] + "-" + entries[kYear];
    }
    if (isBlankText(entries[kDeliveryDate])) {
        entries[kDeliveryDate] = conversion.defaultDeliveryDate();
    }
    return entries;
}

// The text after the last "/" of an expression, trimmed: the node name its selection is meant to
// give. An attribute step or a predicate there never equals a node name.
std::string lastStepName(const std::string& expression)
{
    const std::size_t slash = expression.rfind('/');
    return trimmed(slash == std::string::npos ? std::string_view(expression)
                                              : std::string_view(expression).substr(slash + 1));
}

// The article and quantity nodes in document order, or nothing after naming the setting whose
// expression selects no node set.
std::optional<std::vector<config::XmlNode>> lineNodes(Conversion& conversion, const config::XmlDocument& document)
{
    const config::Settings& settings = conversion.settings();
    std::optional<std::vector<config::XmlNode>> nodes = document.select(settings.XML_16 + "|" + settings.XML_17);
    if (nodes) {
        return nodes;
    }
    const int faulty = document.select(settings.XML_16) ? kQuantitySetting : kArticleSetting;
    reportBadExpression(conversion.messages(), faulty, settings.xmlPath(faulty));
    return std::nullopt;
}

} // namespace

void Conversion::VERWERK_XML(const std::string& sourcePath)
{
    if (!sourceIsPresent(sourcePath) || m_settings.XML_16.empty() || m_settings.XML_17.empty()) {
        return;
    }
    KOPLIJST header;
    const bool hasHeaderData = takeHeaderData(header);
    // Loaded once for header and lines: a failed load then shows its message once.
    config::XmlDocument document;
    if (!loadXmlSource(document, sourcePath, m_messages)) {
        return;
    }
    TextOrigin headerOrigin = TextOrigin::Bytes;
    if (!hasHeaderData) {
        std::optional<KOPLIJST> mapped = mappedHeader(*this, document);
        if (!mapped) {
            return;
        }
        header = std::move(*mapped);
        setDeliveryDate(trimmed(header[kDeliveryDate]));
        headerOrigin = TextOrigin::Utf8;
    }
    const std::optional<std::vector<config::XmlNode>> nodes = lineNodes(*this, document);
    if (!nodes) {
        return;
    }
    VERWERK_STRUC(header, headerOrigin);

    const std::string articleName = lastStepName(m_settings.XML_16);
    const std::string quantityName = lastStepName(m_settings.XML_17);
    beginLines(TextOrigin::Utf8);
    // Pairing is by count: every second matching node completes a line with whatever article and
    // quantity were seen since the last one, in either order.
    std::string article;
    Quantity quantity;
    int matches = 0;
    for (const config::XmlNode& node : *nodes) {
        const std::string name = trimmed(node.name());
        if (name == articleName) {
            article = xmlNodeValue(node);
            ++matches;
        } else if (name == quantityName) {
            quantity = parseQuantity(xmlNodeValue(node), kCommaSeparator);
            ++matches;
        }
        if (matches == 2) {
            quantity = convertMetres(tableKey(article), quantity);
            addLine(quantity, article);
            article.clear();
            quantity = Quantity();
            matches = 0;
        }
    }
    VERWERK_MAG();
}

KOPLIJST Conversion::VERWERK_XML_KOP(const std::string& sourcePath)
{
    config::XmlDocument document;
    if (!loadXmlSource(document, sourcePath, m_messages)) {
        return {};
    }
    return mappedHeader(*this, document).value_or(KOPLIJST());
}

} // namespace convert
