#include "convert/Conversion.h"
#include "convert/XmlMapping.h"
#include "convert/XmlSource.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace convert {

namespace {

constexpr std::size_t kDeliveryDate = 5; // 0-based entries of the header list
constexpr std::size_t kDay = 12;
constexpr std::size_t kMonth = 13;
constexpr std::size_t kYear = 14;

// The labels of the mapping page, so the user finds the field that holds the faulty expression.
// clang-format off
constexpr std::array<const char*, 17> kSettingLabels = {
    "Contract", "Order ref. num", "Orderreferentie 1", "Orderreferentie 2", "Telefoon", "Leverdatum",
    "Naam 1", "Naam 2", "Straat", "Postcode", "Woonplaats", "Land (ISO)", "Dag", "Maand", "Jaar",
    "Artikelnummer", "Aantal",
};
// clang-format on

// The header values from the tree; an expression that selects no node set joins invalid.
HeaderValues treeHeaderValues(
    const config::Settings& settings, const xml::XmlDocument& document, std::vector<int>& invalid)
{
    HeaderValues values;
    for (int number = 1; number <= kHeaderExpressions; ++number) {
        const std::string& expression = settings.xmlPath(number);
        if (expression.empty()) {
            // Read as "/": the document node, which has no value. Known without the tree.
            continue;
        }
        const std::optional<std::vector<xml::XmlNode>> nodes = document.select(expression);
        if (!nodes) {
            invalid.push_back(number);
        } else if (!nodes->empty()) {
            values[static_cast<std::size_t>(number - 1)] = xmlNodeValue(nodes->front());
        }
    }
    return values;
}

// The text after the last "/" of an expression, trimmed: the node name its selection is meant to
// give. An attribute step or a predicate there never equals a node name.
std::string lastStepName(const std::string& expression)
{
    const std::size_t slash = expression.rfind('/');
    return trimmed(
        slash == std::string::npos ? std::string_view(expression) : std::string_view(expression).substr(slash + 1));
}

// The article and quantity nodes of the tree in document order; a node whose name is neither is
// left out. When the union selects no node set, the settings at fault join invalid.
void treeLineNodes(const config::Settings& settings, const xml::XmlDocument& document, const std::string& articleName,
    const std::string& quantityName, LineNodes& result, std::vector<int>& invalid)
{
    result.clear();
    const std::optional<std::vector<xml::XmlNode>> nodes = document.select(settings.XML_16 + "|" + settings.XML_17);
    if (!nodes) {
        const bool articleValid = document.select(settings.XML_16).has_value();
        if (!articleValid) {
            invalid.push_back(kArticleSetting);
        }
        if (articleValid || !document.select(settings.XML_17)) {
            invalid.push_back(kQuantitySetting);
        }
        return;
    }
    for (const xml::XmlNode& node : *nodes) {
        const std::string name = trimmed(node.name());
        if (name == articleName || name == quantityName) {
            result.add(name == articleName, xmlNodeValue(node));
        }
    }
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
    PathReader(std::vector<std::optional<ChildPath>> paths, LineNodes& nodes)
        : m_paths(std::move(paths))
        , m_nodes(nodes)
    {
        for (std::size_t p = 0; p < m_paths.size(); ++p) {
            if (m_paths[p]) {
                m_set.push_back(p);
            }
        }
    }

    const HeaderValues& header() const { return m_header; }

    bool startElement(std::string_view localName, std::string_view, bool inNamespace) override
    {
        Open open;
        // Called for every element of a long order: only the paths that are set are tried.
        for (const std::size_t p : m_set) {
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
            // Told apart by name as the tree's nodes are, the article's first.
            m_isArticle = localName == m_paths[0]->steps.back();
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
            m_nodes.add(m_isArticle, m_value);
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
    std::vector<std::size_t> m_set; // the indexes of the paths that are set
    LineNodes& m_nodes;
    bool m_isArticle = false; // of the line node being read
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

const char* xmlSettingLabel(int number)
{
    return kSettingLabels[static_cast<std::size_t>(number - 1)];
}

std::string badExpressionText(int number, const std::string& expression)
{
    return "De XPath-expressie in instelling XML_" + std::to_string(number) + " (" + xmlSettingLabel(number)
        + ") is ongeldig of selecteert geen knooppunten: " + expression;
}

std::optional<XmlSelection> selectXmlOrder(
    const config::Settings& settings, const std::string& path, bool withHeader, platform::Messages& messages)
{
    // Loaded once for header and lines: a failed load then shows its message once. When every
    // expression the run evaluates is a plain child path, the document is read without building
    // its tree, which for a long order costs more than everything else.
    xml::XmlDocument document;
    XmlSelection selection;
    if (std::optional<std::vector<std::optional<ChildPath>>> paths = plainPaths(settings, !withHeader)) {
        PathReader reader(std::move(*paths), selection.lineNodes);
        if (!streamXmlSource(document, path, reader, messages)) {
            return std::nullopt;
        }
        selection.header = reader.header();
    } else if (!loadXmlSource(document, path, messages)) {
        return std::nullopt;
    }
    if (document.isLoaded()) {
        if (withHeader) {
            selection.header = treeHeaderValues(settings, document, selection.invalid);
        }
        if (!settings.XML_16.empty() && !settings.XML_17.empty()) {
            treeLineNodes(settings, document, lastStepName(settings.XML_16), lastStepName(settings.XML_17),
                selection.lineNodes, selection.invalid);
        }
    }
    return selection;
}

KOPLIJST mappedHeader(const HeaderValues& values, const std::string& defaultDeliveryDate)
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
        entries[kDeliveryDate] = defaultDeliveryDate;
    }
    return entries;
}

void Conversion::VERWERK_XML(const std::string& sourcePath)
{
    if (!sourceIsPresent(sourcePath) || m_settings.XML_16.empty() || m_settings.XML_17.empty()) {
        return;
    }
    KOPLIJST header;
    const bool hasHeaderData = takeHeaderData(header);
    std::optional<XmlSelection> selection = selectXmlOrder(m_settings, sourcePath, !hasHeaderData, m_messages);
    if (!selection) {
        return;
    }
    if (!selection->invalid.empty()) {
        const int number = selection->invalid.front();
        m_messages.error(badExpressionText(number, m_settings.xmlPath(number)));
        return;
    }
    TextOrigin headerOrigin = TextOrigin::Windows1252;
    if (!hasHeaderData) {
        header = mappedHeader(selection->header, defaultDeliveryDate());
        setDeliveryDate(trimmed(header[kDeliveryDate]));
        headerOrigin = TextOrigin::Utf8;
    }
    VERWERK_STRUC(header, headerOrigin);

    beginLines(TextOrigin::Utf8);
    pairLineNodes(selection->lineNodes, [this](std::string_view article, Quantity quantity) {
        convertMetres(quantity, [article] { return tableKey(article); });
        addLine(quantity, article);
    });
    if (selection->lineNodes.size() % 2 != 0) {
        note("Het laatste artikel- of aantalknooppunt heeft geen tegenhanger en is overgeslagen.");
    }
    VERWERK_MAG();
}

KOPLIJST Conversion::VERWERK_XML_KOP(const std::string& sourcePath)
{
    xml::XmlDocument document;
    if (!loadXmlSource(document, sourcePath, m_messages)) {
        return {};
    }
    std::vector<int> invalid;
    const HeaderValues values = treeHeaderValues(m_settings, document, invalid);
    if (!invalid.empty()) {
        m_messages.error(badExpressionText(invalid.front(), m_settings.xmlPath(invalid.front())));
        return {};
    }
    return mappedHeader(values, defaultDeliveryDate());
}

} // namespace convert
