#pragma once

// The evaluation of the seventeen XML_ expressions on an XML order, shared by VERWERK_XML and
// the check of a mapping on a sample: both see the same values, lines and faults.

#include "config/Settings.h"
#include "convert/Order.h"
#include "convert/TextList.h"
#include "convert/TextRules.h"
#include "platform/Messages.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace convert {

inline constexpr int kHeaderExpressions = 15;
inline constexpr int kArticleSetting = 16;
inline constexpr int kQuantitySetting = 17;

// The label of setting XML_<number> (1..17) on the mapping page.
const char* xmlSettingLabel(int number);

// The reader's words for an expression it cannot use, naming the setting and its label.
std::string badExpressionText(int number, const std::string& expression);

// The article and quantity nodes of the lines in document order, with their values.
class LineNodes
{
public:
    void add(bool isArticle, std::string_view value)
    {
        m_values.add(value);
        m_isArticle.push_back(isArticle);
    }

    void clear()
    {
        m_values.clear();
        m_isArticle.clear();
    }

    std::size_t size() const { return m_values.count(); }
    bool isArticle(std::size_t index) const { return m_isArticle[index]; }
    std::string_view value(std::size_t index) const { return m_values.at(index); }

    // Whether any node is an article (true) or a quantity (false).
    bool has(bool article) const
    {
        return std::find(m_isArticle.begin(), m_isArticle.end(), article) != m_isArticle.end();
    }

private:
    TextList m_values;
    std::vector<bool> m_isArticle;
};

// The value of the first node each header expression selects; nothing where it selects none.
using HeaderValues = std::array<std::optional<std::string>, kHeaderExpressions>;

// What the expressions select in one order.
struct XmlSelection
{
    HeaderValues header; // left empty when the header was not asked for
    LineNodes lineNodes;
    std::vector<int> invalid; // settings whose expression gives no node set, ascending
};

// Loads the order as VERWERK_XML does and evaluates the header expressions (when withHeader) and
// the line expressions XML_16 and XML_17 when both are set. Nothing after "Can't open
// XMLDOM" or "XMLDOM ERROR " + the reason, shown through messages.
std::optional<XmlSelection> selectXmlOrder(
    const config::Settings& settings, const std::string& path, bool withHeader, platform::Messages& messages);

// The 15 header entries as the order takes them. An entry is never empty: what has no value
// becomes one blank, which VERWERK_STRUC trims; an unset delivery date is day-month-year from
// entries 13 to 15, else defaultDeliveryDate.
KOPLIJST mappedHeader(const HeaderValues& values, const std::string& defaultDeliveryDate);

// Pairs the line nodes into order lines by count, as the reader does: every second node completes
// a line with the article and quantity seen since the last one, in either order. line is called
// as line(std::string_view article, Quantity quantity).
template <typename Line> void pairLineNodes(const LineNodes& nodes, Line line)
{
    std::string_view article;
    Quantity quantity;
    int matches = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (nodes.isArticle(i)) {
            article = nodes.value(i);
        } else {
            quantity = parseQuantity(nodes.value(i), kCommaSeparator);
        }
        if (++matches == 2) {
            line(article, std::move(quantity));
            article = {};
            quantity = Quantity();
            matches = 0;
        }
    }
}

} // namespace convert
