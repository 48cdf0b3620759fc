#include "convert/Conversion.h"
#include "convert/TextList.h"
#include "convert/XmlSource.h"

#include <utility>

namespace convert {

namespace {

// Every printed text of the order form is one TEXT node; values are found by their number.
// clang-format off
constexpr std::size_t kContractNode   = 2;
constexpr std::size_t kNameNode       = 3;
constexpr std::size_t kStreetNode     = 4;
constexpr std::size_t kPlaceNode      = 6;  // postal code, two blanks, town
constexpr std::size_t kTelephoneNode  = 17;
constexpr std::size_t kReferenceNode  = 18;
constexpr std::size_t kReference1Node = 20;
constexpr std::size_t kDateNode       = 26;
constexpr std::size_t kFirstRecordNode = 33;
constexpr std::size_t kTrailingNodes   = 16; // the form's footer after the last record
constexpr std::size_t kRecordNodes     = 6;  // article, -, quantity, -, -, -
// clang-format on

bool isPlainElement(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && node->ns == nullptr
        && xmlStrEqual(node->name, reinterpret_cast<const xmlChar*>(name));
}

// The values of the nodes "//DOCUMENT/TEXT" selects, numbered in document order, without line
// breaks. A form holds hundreds of thousands of them, so they are kept back to back in one text.
class TextNodes
{
public:
    std::size_t count() const { return m_texts.count(); }

    std::string value(std::size_t number) const { return withoutLineBreaks(m_texts.at(number)); }

    // The value as a header entry: one blank when it is empty or absent. A form shorter than the
    // header needs leaves those fields empty rather than taking them from elsewhere.
    std::string entry(std::size_t number) const
    {
        std::string text = number < count() ? value(number) : std::string();
        return isBlankText(text) ? std::string(" ") : text;
    }

    void append(std::string_view text) { m_texts.append(text); }
    void endNode() { m_texts.endText(); }
    void clear() { m_texts.clear(); }

private:
    TextList m_texts;
};

// Gathers the form's texts while the document is read, without building its tree. A TEXT inside
// another selected TEXT belongs to both values; that rare form is left to the tree.
class FormReader final : public xml::XmlEvents
{
public:
    explicit FormReader(TextNodes& nodes)
        : m_nodes(nodes)
    {
    }

    bool startElement(std::string_view localName, std::string_view, bool inNamespace) override
    {
        const bool inDocument = !m_open.empty() && m_open.back() == Kind::Document;
        Kind kind = Kind::Other;
        if (!inNamespace && localName == "DOCUMENT") {
            kind = Kind::Document;
        } else if (!inNamespace && inDocument && localName == "TEXT") {
            if (m_textDepth > 0) {
                return false;
            }
            kind = Kind::Text;
            m_textDepth = m_open.size() + 1;
        }
        m_open.push_back(kind);
        return true;
    }

    void endElement() override
    {
        if (m_open.size() == m_textDepth) {
            m_nodes.endNode();
            m_textDepth = 0;
        }
        m_open.pop_back();
    }

    void text(std::string_view characters) override
    {
        if (m_textDepth > 0) {
            m_nodes.append(characters);
        }
    }

private:
    enum class Kind : unsigned char { Document, Text, Other };

    TextNodes& m_nodes;
    std::vector<Kind> m_open;
    std::size_t m_textDepth = 0; // depth of the TEXT being read, 0 outside one
};

// The same texts from the tree, for the documents that had to be loaded as one. Walks the tree
// once instead of letting the XPath engine gather every node of the document and sort them.
void collectFormTexts(const xml::XmlDocument& document, TextNodes& nodes)
{
    xmlNode* const root = xmlDocGetRootElement(document.raw());
    xmlNode* node = root;
    while (node != nullptr) {
        if (isPlainElement(node, "TEXT") && node->parent != nullptr && isPlainElement(node->parent, "DOCUMENT")) {
            nodes.append(xmlNodeValue(xml::XmlNode(node)));
            nodes.endNode();
        }
        // Entity references are not descended into, as the XPath axes do not either.
        xmlNode* next = xmlFirstElementChild(node);
        while (next == nullptr && node != root) {
            next = xmlNextElementSibling(node);
            if (next == nullptr) {
                node = node->parent;
            }
        }
        node = next;
    }
}

std::string withoutBlanks(std::string text)
{
    std::erase(text, ' ');
    return text;
}

KOPLIJST formHeader(const TextNodes& nodes)
{
    const std::string place = nodes.entry(kPlaceNode);
    return {
        nodes.entry(kContractNode),
        nodes.entry(kReferenceNode),
        nodes.entry(kReference1Node),
        " ",
        nodes.entry(kTelephoneNode),
        nodes.entry(kDateNode),
        nodes.entry(kNameNode),
        nodes.entry(kNameNode),
        nodes.entry(kStreetNode),
        utf8Characters(withoutBlanks(place), 0, 6),
        utf8Characters(place, 8, 30),
        utf8Characters(place, 0, 2),
    };
}

bool beginsWithDigit(const std::string& text)
{
    return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

// Hands the (article, quantity) values of the records between the form's head and footer to take,
// in order. A record starts at a node that begins with a digit; any other node is passed over as
// a start.
template <typename Take> void forEachRecord(const TextNodes& nodes, Take take)
{
    if (nodes.count() < kFirstRecordNode + kTrailingNodes + 1) {
        return;
    }
    const std::size_t last = nodes.count() - kTrailingNodes - 1;
    std::size_t position = 0;
    std::string article;
    for (std::size_t number = kFirstRecordNode; number <= last; ++number) {
        ++position;
        if (position == 1) {
            article = nodes.value(number);
            if (!beginsWithDigit(article)) {
                position = 0;
            }
        } else if (position == 3) {
            take(std::string_view(article), std::string_view(nodes.value(number)));
        } else if (position == kRecordNodes) {
            position = 0;
        }
    }
}

} // namespace

void Conversion::VERWERK_MER(const std::string& sourcePath)
{
    if (!sourceIsPresent(sourcePath)) {
        return;
    }
    xml::XmlDocument document;
    TextNodes nodes;
    FormReader reader(nodes);
    if (!streamXmlSource(document, sourcePath, reader, m_messages)) {
        return;
    }
    if (document.isLoaded()) {
        nodes.clear();
        collectFormTexts(document, nodes);
    }
    if (nodes.count() == 0) {
        return;
    }

    KOPLIJST header;
    TextOrigin headerOrigin = TextOrigin::Windows1252;
    if (!takeHeaderData(header)) {
        header = formHeader(nodes);
        // Taken as built: a missing date stays one blank, no default is computed.
        setDeliveryDate(header[5]);
        headerOrigin = TextOrigin::Utf8;
    }
    VERWERK_STRUC(header, headerOrigin);

    beginLines(TextOrigin::Utf8);
    forEachRecord(nodes, [this](std::string_view articleValue, std::string_view quantityValue) {
        const std::string_view article = trimBlanks(articleValue);
        Quantity quantity = parseQuantity(quantityValue, kCommaSeparator);
        convertMetres(quantity, [article] { return leftAligned(tableKey(article), 8); });
        addLine(quantity, article);
    });
    VERWERK_MAG();
}

} // namespace convert
