#include "xml/XmlDocument.h"

#include "xml/ErrorCapture.h"

#include <libxml/xpathInternals.h>

// The node API over a loaded document: nodes, their names and text, and XPath selection. Loading
// is in XmlDocumentLoading.cpp, streamed reading in XmlDocumentStreaming.cpp.

namespace xml {

namespace {

std::string fromXml(const xmlChar* text)
{
    return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

XmlNodeKind kindOf(xmlElementType type)
{
    switch (type) {
    case XML_ELEMENT_NODE:
        return XmlNodeKind::Element;
    case XML_ATTRIBUTE_NODE:
        return XmlNodeKind::Attribute;
    case XML_TEXT_NODE:
        return XmlNodeKind::Text;
    case XML_CDATA_SECTION_NODE:
        return XmlNodeKind::CData;
    case XML_ENTITY_REF_NODE:
        return XmlNodeKind::EntityReference;
    case XML_PI_NODE:
        return XmlNodeKind::ProcessingInstruction;
    case XML_COMMENT_NODE:
        return XmlNodeKind::Comment;
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
        return XmlNodeKind::Document;
    case XML_NAMESPACE_DECL:
        return XmlNodeKind::Namespace;
    default:
        return XmlNodeKind::Other;
    }
}

std::string qualifiedName(const xmlNode* node)
{
    std::string name = fromXml(node->name);
    if (node->ns != nullptr && node->ns->prefix != nullptr) {
        name = fromXml(node->ns->prefix) + ":" + name;
    }
    return name;
}

} // namespace

XmlNode::XmlNode(xmlNode* node)
{
    if (node == nullptr) {
        return;
    }
    m_kind = kindOf(node->type);
    if (m_kind == XmlNodeKind::Namespace) {
        const auto* ns = reinterpret_cast<const xmlNs*>(node);
        m_nsPrefix = fromXml(ns->prefix);
        m_nsHref = fromXml(ns->href);
        return;
    }
    m_node = node;
}

std::string XmlNode::name() const
{
    if (m_kind == XmlNodeKind::Namespace) {
        return m_nsPrefix;
    }
    if (m_node == nullptr) {
        return {};
    }
    switch (m_node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        return qualifiedName(m_node);
    case XML_TEXT_NODE:
        return "#text";
    case XML_CDATA_SECTION_NODE:
        return "#cdata-section";
    case XML_COMMENT_NODE:
        return "#comment";
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
        return "#document";
    case XML_DOCUMENT_FRAG_NODE:
        return "#document-fragment";
    default:
        return fromXml(m_node->name);
    }
}

std::string XmlNode::text() const
{
    if (m_kind == XmlNodeKind::Namespace) {
        return m_nsHref;
    }
    if (m_node == nullptr) {
        return {};
    }
    // The common cases read the text where it lies instead of gathering it into a buffer first.
    switch (m_node->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        return fromXml(m_node->content);
    case XML_ELEMENT_NODE:
        if (m_node->children == nullptr) {
            return {};
        }
        if (m_node->children->next == nullptr
            && (m_node->children->type == XML_TEXT_NODE || m_node->children->type == XML_CDATA_SECTION_NODE)) {
            return fromXml(m_node->children->content);
        }
        break;
    default:
        break;
    }
    xmlChar* content = xmlNodeGetContent(m_node);
    std::string result = fromXml(content);
    xmlFree(content);
    return result;
}

std::vector<XmlNode> XmlNode::children() const
{
    std::vector<XmlNode> result;
    // An entity reference's "children" is the entity declaration, not content of this tree.
    if (m_node == nullptr || m_node->type == XML_ENTITY_REF_NODE || m_node->type == XML_ATTRIBUTE_NODE) {
        return result;
    }
    for (xmlNode* child = m_node->children; child != nullptr; child = child->next) {
        result.emplace_back(child);
    }
    return result;
}

XmlNode XmlDocument::documentElement() const
{
    return XmlNode(m_doc ? xmlDocGetRootElement(m_doc.get()) : nullptr);
}

std::optional<std::vector<XmlNode>> XmlDocument::select(const std::string& expression) const
{
    if (!m_doc) {
        return std::nullopt;
    }
    ErrorCapture capture;
    XmlXPathContextOwner context(xmlXPathNewContext(m_doc.get()));
    if (!context) {
        return std::nullopt;
    }
    xmlNode* root = xmlDocGetRootElement(m_doc.get());
    context->node = root != nullptr ? root : reinterpret_cast<xmlNode*>(m_doc.get());
    XmlXPathObjectOwner result(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression.c_str()), context.get()));
    if (!result || result->type != XPATH_NODESET || capture.hasError()) {
        return std::nullopt;
    }
    std::vector<XmlNode> nodes;
    if (xmlNodeSet* set = result->nodesetval; set != nullptr) {
        xmlXPathNodeSetSort(set);
        nodes.reserve(static_cast<size_t>(set->nodeNr));
        for (int i = 0; i < set->nodeNr; ++i) {
            nodes.emplace_back(set->nodeTab[i]);
        }
    }
    return nodes;
}

} // namespace xml
