#include "convert/Conversion.h"
#include "convert/XmlSource.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

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

// The value of the first node each header expression selects; nothing where it selects none.
using HeaderValues = std::array<std::optional<std::string>, kHeaderExpressions>;

// The header values from the tree, or nothing after reporting an expression that selects no node
// set.
std::optional<HeaderValues> treeHeaderValues(Conversion& conversion, const xml::XmlDocument& document)
{
    HeaderValues values;
    for (int number = 1; number <= kHeaderExpressions; ++number) {
        const std::string& expression = conversion.settings().xmlPath(number);
        if (expression.empty()) {
            // Read as "/": the document node, which has no value. Known without the tree.
            continue;
        }
        const std::optional<std::vector<xml::XmlNode>> nodes = document.select(expression);
        if (!nodes) {
            reportBadExpression(conversion.messages(), number, expression);
            return std::nullopt;
        }
        if (!nodes->empty()) {
            values[static_cast<std::size_t>(number - 1)] = xmlNodeValue(nodes->front());
        }
    }
    return values;
}

// The 15 header entries. An entry is never empty: what has no value becomes one blank, which
// VERWERK_STRUC trims.
KOPLIJST mappedHeader(const Conversion& conversion, const HeaderValues& values)
{
    KOPLIJST entries;
    entries.reserve(kHeaderExpressions);
    for (const std::optional<std::string>& value : values) {
        entries.push_back(!value || isBlankText(*value) ? std::string(" ") : withoutLineBreaks(*value));
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
    return trimmed(
        slash == std::string::npos ? std::string_view(expression) : std::string_view(expression).substr(slash + 1));
}

// An article or quantity node of the lines, with its value.
struct LineNode
{
    bool isArticle = false;
    std::string value;
};

// The article and quantity nodes of the tree in document order, or nothing after naming the
// setting whose expression selects no node set. A node whose name is neither is left out.
std::optional<std::vector<LineNode>> treeLineNodes(Conversion& conversion, const xml::XmlDocument& document,
    const std::string& articleName, const std::string& quantityName)
{
    const config::Settings& settings = conversion.settings();
    const std::optional<std::vector<xml::XmlNode>> nodes = document.select(settings.XML_16 + "|" + settings.XML_17);
    if (!nodes) {
        const int faulty = document.select(settings.XML_16) ? kQuantitySetting : kArticleSetting;
        reportBadExpression(conversion.messages(), faulty, settings.xmlPath(faulty));
        return std::nullopt;
    }
    std::vector<LineNode> result;
    result.reserve(nodes->size());
    for (const xml::XmlNode& node : *nodes) {
        const std::string name = trimmed(node.name());
        if (name == articleName || name == quantityName) {
            result.push_back({ name == articleName, xmlNodeValue(node) });
        }
    }
    return result;
}

// An expression of plain child steps ("line/art", "/order/line/art"): what it selects is known
// from the element names alone, so the document can be read without its tree. Anything else
// (predicates, axes, wildcards, prefixes, unions, blanks) is left to the XPath engine.
struct ChildPath
{
    bool absolute = false;
    std::vector<std::string> steps;

    static std::optional<ChildPath> parse(std::string_view expression)
    {
        ChildPath path;
        if (!expression.empty() && expression.front() == '/') {
            path.absolute = true;
            expression.remove_prefix(1);
        }
        while (true) {
            const std::size_t slash = expression.find('/');
            const std::string_view step = expression.substr(0, slash);
            if (!isPlainName(step)) {
                return std::nullopt;
            }
            path.steps.emplace_back(step);
            if (slash == std::string_view::npos) {
                return path;
            }
            expression.remove_prefix(slash + 1);
        }
    }

private:
    static bool isPlainName(std::string_view name)
    {
        const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
        if (name.empty() || !isLetter(name.front())) {
            return false;
        }
        return std::all_of(name.begin(), name.end(),
            [&](char c) { return isLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; });
    }
};

// Gathers, while the document is read, the nodes the article and quantity paths select and the
// first node of each header path. A selected element inside another one belongs to both values;
// that rare document is left to the tree.
class PathReader final : public xml::XmlEvents
{
public:
    // The paths: article, quantity, then one per header expression (nothing for an unset one).
    PathReader(std::vector<std::optional<ChildPath>> paths, std::vector<LineNode>& nodes)
        : m_paths(std::move(paths))
        , m_nodes(nodes)
    {
    }

    const HeaderValues& header() const { return m_header; }

    bool startElement(std::string_view localName, bool inNamespace) override
    {
        Open open;
        for (std::size_t p = 0; p < m_paths.size(); ++p) {
            if (!m_paths[p]) {
                continue;
            }
            const ChildPath& path = *m_paths[p];
            // How many steps lead to this element: the context of a relative path is the
            // document element, that of an absolute one the document node.
            const std::size_t depth = m_open.size() + (path.absolute ? 1 : 0);
            const bool parentOnPath = m_open.empty() || (m_open.back().onPath & bit(p)) != 0;
            if (depth == 0) {
                open.onPath |= bit(p);
            } else if (parentOnPath && !inNamespace && depth <= path.steps.size()
                && localName == path.steps[depth - 1]) {
                open.onPath |= bit(p);
                if (depth == path.steps.size() && (p < kHeaderPaths || !m_header[p - kHeaderPaths])) {
                    open.selectedBy |= bit(p);
                }
            }
        }
        if (open.selectedBy != 0) {
            if (m_reading) {
                return false;
            }
            m_reading = true;
            m_value.clear();
            if ((open.selectedBy & (bit(0) | bit(1))) != 0) {
                // Told apart by name as the tree's nodes are, the article's first.
                m_nodes.push_back({ localName == m_paths[0]->steps.back(), std::string() });
            }
            for (std::size_t p = kHeaderPaths; p < m_paths.size(); ++p) {
                if ((open.selectedBy & bit(p)) != 0) {
                    m_header[p - kHeaderPaths].emplace();
                }
            }
        }
        m_open.push_back(open);
        return true;
    }

    void endElement() override
    {
        const Open open = m_open.back();
        m_open.pop_back();
        if (open.selectedBy == 0) {
            return;
        }
        m_reading = false;
        for (std::size_t p = kHeaderPaths; p < m_paths.size(); ++p) {
            if ((open.selectedBy & bit(p)) != 0) {
                *m_header[p - kHeaderPaths] = m_value;
            }
        }
        if ((open.selectedBy & (bit(0) | bit(1))) != 0) {
            m_nodes.back().value = std::move(m_value);
        }
    }

    void text(std::string_view characters) override
    {
        if (m_reading) {
            m_value.append(characters);
        }
    }

private:
    static constexpr std::size_t kHeaderPaths = 2; // the first header path's index

    struct Open
    {
        std::uint32_t onPath = 0;
        std::uint32_t selectedBy = 0;
    };

    static std::uint32_t bit(std::size_t p) { return std::uint32_t(1) << p; }

    std::vector<std::optional<ChildPath>> m_paths;
    std::vector<LineNode>& m_nodes;
    HeaderValues m_header;
    std::vector<Open> m_open;
    bool m_reading = false;
    std::string m_value;
};

// The paths of PathReader when every expression the run evaluates is a plain child path.
std::optional<std::vector<std::optional<ChildPath>>> plainPaths(const config::Settings& settings, bool hasHeaderData)
{
    std::vector<std::optional<ChildPath>> paths;
    for (const std::string* line : { &settings.XML_16, &settings.XML_17 }) {
        paths.push_back(ChildPath::parse(*line));
        if (!paths.back()) {
            return std::nullopt;
        }
    }
    for (int number = 1; number <= kHeaderExpressions; ++number) {
        const std::string& expression = settings.xmlPath(number);
        paths.emplace_back();
        if (hasHeaderData || expression.empty()) {
            continue;
        }
        paths.back() = ChildPath::parse(expression);
        if (!paths.back()) {
            return std::nullopt;
        }
    }
    return paths;
}

} // namespace

void Conversion::VERWERK_XML(const std::string& sourcePath)
{
    if (!sourceIsPresent(sourcePath) || m_settings.XML_16.empty() || m_settings.XML_17.empty()) {
        return;
    }
    KOPLIJST header;
    const bool hasHeaderData = takeHeaderData(header);
    const std::string articleName = lastStepName(m_settings.XML_16);
    const std::string quantityName = lastStepName(m_settings.XML_17);

    // Loaded once for header and lines: a failed load then shows its message once. When every
    // expression the run evaluates is a plain child path, the document is read without building
    // its tree, which for a long order costs more than everything else.
    xml::XmlDocument document;
    std::vector<LineNode> nodes;
    HeaderValues headerValues;
    if (std::optional<std::vector<std::optional<ChildPath>>> paths = plainPaths(m_settings, hasHeaderData)) {
        PathReader reader(std::move(*paths), nodes);
        if (!streamXmlSource(document, sourcePath, reader, m_messages)) {
            return;
        }
        headerValues = reader.header();
    } else if (!loadXmlSource(document, sourcePath, m_messages)) {
        return;
    }
    TextOrigin headerOrigin = TextOrigin::Windows1252;
    if (!hasHeaderData) {
        if (document.isLoaded()) {
            std::optional<HeaderValues> values = treeHeaderValues(*this, document);
            if (!values) {
                return;
            }
            headerValues = std::move(*values);
        }
        header = mappedHeader(*this, headerValues);
        setDeliveryDate(trimmed(header[kDeliveryDate]));
        headerOrigin = TextOrigin::Utf8;
    }
    if (document.isLoaded()) {
        std::optional<std::vector<LineNode>> selected = treeLineNodes(*this, document, articleName, quantityName);
        if (!selected) {
            return;
        }
        nodes = std::move(*selected);
    }
    VERWERK_STRUC(header, headerOrigin);

    beginLines(TextOrigin::Utf8);
    // Pairing is by count: every second matching node completes a line with whatever article and
    // quantity were seen since the last one, in either order.
    std::string article;
    Quantity quantity;
    int matches = 0;
    for (LineNode& node : nodes) {
        if (node.isArticle) {
            article = std::move(node.value);
        } else {
            quantity = parseQuantity(node.value, kCommaSeparator);
        }
        if (++matches == 2) {
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
    xml::XmlDocument document;
    if (!loadXmlSource(document, sourcePath, m_messages)) {
        return {};
    }
    const std::optional<HeaderValues> values = treeHeaderValues(*this, document);
    return values ? mappedHeader(*this, *values) : KOPLIJST();
}

} // namespace convert
