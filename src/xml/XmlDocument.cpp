#include "xml/XmlDocument.h"

#include "platform/Files.h"
#include "xml/Windows1252Encoding.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/valid.h>
#include <libxml/xmlerror.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace xml {

namespace {

std::string fromXml(const xmlChar* text)
{
    return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

std::string trimmed(std::string text)
{
    const char* blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// External DTDs, entities and schemas are never fetched, not from the network and not from
// disk: an order file must not be able to make the program read other files or phone out.
xmlParserInputPtr refuseExternalResource(const char*, const char*, xmlParserCtxtPtr)
{
    return nullptr;
}

bool initialise()
{
    static bool available = false;
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(refuseExternalResource);
        registerWindows1252Encoding();
        available = true;
    });
    return available;
}

void ignoreGenericError(void*, const char*, ...) { }

// Collects libxml2's errors for the current thread while it lives and puts back whatever
// handlers were installed before, so nothing reaches stderr and other users keep theirs.
class ErrorCapture
{
public:
    ErrorCapture()
        : m_structured(xmlStructuredError)
        , m_structuredContext(xmlStructuredErrorContext)
        , m_generic(xmlGenericError)
        , m_genericContext(xmlGenericErrorContext)
    {
        xmlSetStructuredErrorFunc(this, &ErrorCapture::record);
        xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
    }
    ~ErrorCapture()
    {
        xmlSetStructuredErrorFunc(m_structuredContext, m_structured);
        xmlSetGenericErrorFunc(m_genericContext, m_generic);
    }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    bool hasError() const { return m_hasError; }
    const std::string& firstError() const { return m_first; }

    static void record(void* self, xmlErrorPtr error)
    {
        auto* capture = static_cast<ErrorCapture*>(self);
        // Warnings (an unusual namespace name, say) do not make a document unusable.
        if (error == nullptr || error->level < XML_ERR_ERROR || capture->m_hasError) {
            return;
        }
        capture->m_hasError = true;
        capture->m_first = trimmed(error->message == nullptr ? std::string() : std::string(error->message));
        if (capture->m_first.empty()) {
            capture->m_first = "error " + std::to_string(error->code);
        }
    }

private:
    xmlStructuredErrorFunc m_structured;
    void* m_structuredContext;
    xmlGenericErrorFunc m_generic;
    void* m_genericContext;
    bool m_hasError = false;
    std::string m_first;
};

struct ValidContextFree
{
    void operator()(xmlValidCtxt* context) const { xmlFreeValidCtxt(context); }
};

// Whitespace stays (a separator of one TAB or blank is a value); no network; no entity
// substitution, so an external entity is never read; XML_PARSE_HUGE stays off so the
// entity-expansion limits hold. Validation runs separately, see validateOwnDtd. Short texts
// are kept inside their node: an order holds hundreds of thousands of them, and a separate
// allocation for each costs more than reading them.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_COMPACT;

// A document is validated when it brings its whole DTD along: an internal subset that
// declares elements and names no external part. A DOCTYPE that points at an outside DTD
// cannot be checked without fetching it, which we never do, so such a document only has to
// be well-formed; validating it against half a DTD would reject valid documents.
bool hasOwnDtd(const xmlDoc* doc)
{
    const xmlDtd* dtd = doc->intSubset;
    return dtd != nullptr && dtd->ExternalID == nullptr && dtd->SystemID == nullptr && dtd->elements != nullptr;
}

bool validateOwnDtd(xmlDoc* doc)
{
    std::unique_ptr<xmlValidCtxt, ValidContextFree> validation(xmlNewValidCtxt());
    if (!validation) {
        return false;
    }
    // No channels of its own: the errors go to the thread's structured handler.
    validation->error = nullptr;
    validation->warning = nullptr;
    return xmlValidateDocument(validation.get(), doc) == 1;
}

// libxml2 bounds entity expansion only where it substitutes entities itself. We keep
// references as nodes, and reading a value expands them, so a small file whose entity is
// referenced thousands of times would turn into gigabytes of text. This measures the text
// the references stand for and stops when it exceeds the limit.
class ExpansionMeter
{
public:
    ExpansionMeter(xmlDoc* doc, std::uint64_t limit)
        : m_doc(doc)
        , m_limit(limit)
    {
    }

    bool exceedsLimit() { return measure(m_doc->children, 0) > m_limit; }

private:
    static constexpr int kMaxEntityNesting = 64;

    std::uint64_t add(std::uint64_t a, std::uint64_t b) const { return std::min(a + b, m_limit + 1); }

    // The expanded text length of the sibling list starting at first and everything below it.
    std::uint64_t measure(xmlNode* first, int nesting)
    {
        std::uint64_t total = 0;
        xmlNode* node = first;
        while (node != nullptr && total <= m_limit) {
            if (node->type == XML_ENTITY_REF_NODE) {
                total = add(total, entitySize(xmlGetDocEntity(m_doc, node->name), nesting));
            } else if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
                total = add(total, node->content == nullptr ? 0 : xmlStrlen(node->content));
            } else if (node->type == XML_ELEMENT_NODE) {
                // Attribute values keep their references too, and a mapping may read them.
                for (xmlAttr* attribute = node->properties; attribute != nullptr && total <= m_limit;
                     attribute = attribute->next) {
                    total = add(total, measure(attribute->children, nesting));
                }
            }
            if (node->type != XML_ENTITY_REF_NODE && node->type != XML_ENTITY_DECL && node->type != XML_DTD_NODE
                && node->children != nullptr) {
                node = node->children;
                continue;
            }
            while (node != nullptr && node != first && node->next == nullptr) {
                node = node->parent;
                if (node == first->parent) {
                    node = nullptr;
                }
            }
            if (node == nullptr || node == first->parent) {
                break;
            }
            node = node->next;
        }
        return total;
    }

    std::uint64_t entitySize(xmlEntity* entity, int nesting)
    {
        if (entity == nullptr || entity->etype == XML_INTERNAL_PREDEFINED_ENTITY) {
            return 1;
        }
        if (nesting > kMaxEntityNesting) {
            return m_limit + 1;
        }
        const auto known = m_sizes.find(entity);
        if (known != m_sizes.end()) {
            return known->second;
        }
        m_sizes[entity] = m_limit + 1; // a reference to itself while measured counts as too much
        const std::uint64_t size = entity->children != nullptr
            ? measure(entity->children, nesting + 1)
            : static_cast<std::uint64_t>(std::max(entity->length, 0));
        m_sizes[entity] = size;
        return size;
    }

    xmlDoc* m_doc;
    std::uint64_t m_limit;
    std::unordered_map<const xmlEntity*, std::uint64_t> m_sizes;
};

// Ten times the document, as libxml2 allows for its own substitution, and never less
// than a megabyte so ordinary entity use always passes.
std::uint64_t expansionLimit(size_t inputSize)
{
    return std::max<std::uint64_t>(std::uint64_t(10) * inputSize, 1u << 20);
}

bool usesEntities(const xmlDoc* doc)
{
    return doc->intSubset != nullptr && doc->intSubset->entities != nullptr;
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

void collectElements(xmlNode* node, const std::string& tagName, std::vector<XmlNode>& found)
{
    // Iterative walk: a deeply nested document must not exhaust the stack.
    while (node != nullptr) {
        if (node->type == XML_ELEMENT_NODE && (tagName == "*" || qualifiedName(node) == tagName)) {
            found.emplace_back(node);
        }
        if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
            node = node->children;
            continue;
        }
        while (node != nullptr && node->next == nullptr) {
            node = node->parent;
            if (node != nullptr && node->type != XML_ELEMENT_NODE) {
                node = nullptr;
            }
        }
        if (node != nullptr) {
            node = node->next;
        }
    }
}

// The parse state of streamFile, reached through the parser's private pointer.
struct StreamState
{
    XmlEvents& events;
    xmlParserCtxt* parser;
    bool needsTree = false;
};

StreamState& streamState(void* parser)
{
    return *static_cast<StreamState*>(static_cast<xmlParserCtxt*>(parser)->_private);
}

void handOverToTree(StreamState& state)
{
    state.needsTree = true;
    xmlStopParser(state.parser);
}

bool isXmlId(const xmlChar* localName, const xmlChar* prefix)
{
    return prefix != nullptr && xmlStrEqual(prefix, reinterpret_cast<const xmlChar*>("xml"))
        && xmlStrEqual(localName, reinterpret_cast<const xmlChar*>("id"));
}

std::string_view viewOf(const xmlChar* text)
{
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

void streamStartElement(void* parser, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri, int,
    const xmlChar**, int attributeCount, int, const xmlChar** attributes)
{
    StreamState& state = streamState(parser);
    if (state.needsTree) {
        return;
    }
    // The tree load checks xml:id values and may refuse the document for them.
    for (int i = 0; i < attributeCount; ++i) {
        if (isXmlId(attributes[5 * i], attributes[5 * i + 1])) {
            handOverToTree(state);
            return;
        }
    }
    if (!state.events.startElement(viewOf(localName), viewOf(prefix), uri != nullptr)) {
        handOverToTree(state);
    }
}

void streamEndElement(void* parser, const xmlChar*, const xmlChar*, const xmlChar*)
{
    StreamState& state = streamState(parser);
    if (!state.needsTree) {
        state.events.endElement();
    }
}

void streamText(void* parser, const xmlChar* characters, int length)
{
    StreamState& state = streamState(parser);
    if (!state.needsTree && length > 0) {
        state.events.text(std::string_view(reinterpret_cast<const char*>(characters), static_cast<size_t>(length)));
    }
}

void streamCData(void* parser, const xmlChar* characters, int length)
{
    StreamState& state = streamState(parser);
    // Even an empty section is a node of the tree.
    if (!state.needsTree && length >= 0) {
        state.events.cdata(std::string_view(reinterpret_cast<const char*>(characters), static_cast<size_t>(length)));
    }
}

void streamComment(void* parser, const xmlChar*)
{
    StreamState& state = streamState(parser);
    if (!state.needsTree) {
        state.events.comment();
    }
}

void streamProcessingInstruction(void* parser, const xmlChar* target, const xmlChar*)
{
    StreamState& state = streamState(parser);
    if (!state.needsTree) {
        state.events.processingInstruction(viewOf(target));
    }
}

// A document type brings validation, entities and default attributes, which only the tree load
// handles; an entity reference left as such can only come with one.
void streamNeedsTree(void* parser, const xmlChar*, const xmlChar*, const xmlChar*)
{
    handOverToTree(streamState(parser));
}

void streamReference(void* parser, const xmlChar*)
{
    handOverToTree(streamState(parser));
}

xmlSAXHandler streamHandler()
{
    xmlSAXHandler handler {};
    handler.initialized = XML_SAX2_MAGIC;
    handler.internalSubset = streamNeedsTree;
    handler.externalSubset = streamNeedsTree;
    handler.reference = streamReference;
    handler.startElementNs = streamStartElement;
    handler.endElementNs = streamEndElement;
    handler.characters = streamText;
    // The same handler as characters keeps every blank, as the tree load does.
    handler.ignorableWhitespace = streamText;
    handler.cdataBlock = streamCData;
    handler.comment = streamComment;
    handler.processingInstruction = streamProcessingInstruction;
    return handler;
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

bool XmlDocument::isParserAvailable()
{
    return initialise();
}

bool XmlDocument::loadFile(const std::string& path)
{
    const std::optional<std::string> bytes = readSource(path);
    return bytes && loadMemory(*bytes, path);
}

std::optional<std::string> XmlDocument::readSource(const std::string& path)
{
    std::string error;
    std::optional<std::string> bytes = platform::readFile(path, &error);
    if (!bytes) {
        m_doc.reset();
        m_error = error.empty() ? "cannot read " + path : error;
    }
    return bytes;
}

bool XmlDocument::canParse(std::string_view bytes)
{
    m_doc.reset();
    m_error.clear();
    if (!initialise()) {
        m_error = "XML parser not available";
        return false;
    }
    if (bytes.size() > static_cast<size_t>(INT_MAX)) {
        m_error = "Document too large";
        return false;
    }
    return true;
}

XmlDocument::ParserOwner XmlDocument::newParser()
{
    ParserOwner parser(xmlNewParserCtxt());
    if (!parser) {
        m_error = "XML parser not available";
    }
    return parser;
}

XmlDocOwner XmlDocument::parse(xmlParserCtxt* parser, std::string_view bytes, const std::string& name)
{
    return XmlDocOwner(xmlCtxtReadMemory(parser, bytes.data(), static_cast<int>(bytes.size()),
        name.empty() ? nullptr : name.c_str(), nullptr, kParseOptions));
}

bool XmlDocument::streamFile(const std::string& path, XmlEvents& events)
{
    const std::optional<std::string> bytes = readSource(path);
    if (!bytes || !canParse(*bytes)) {
        return false;
    }
    {
        ErrorCapture capture;
        const ParserOwner parser = newParser();
        if (!parser) {
            return false;
        }
        StreamState state { events, parser.get() };
        *parser->sax = streamHandler();
        parser->_private = &state;
        // Without a startDocument handler no tree is built; whatever comes back is freed.
        const XmlDocOwner none = parse(parser.get(), *bytes, path);
        if (!state.needsTree) {
            if (parser->wellFormed != 0 && !capture.hasError()) {
                return true;
            }
            m_error = capture.hasError() ? capture.firstError() : std::string("Document is not well-formed");
            return false;
        }
    }
    return loadMemory(*bytes, path);
}

bool XmlDocument::loadMemory(std::string_view bytes, const std::string& name)
{
    if (!canParse(bytes)) {
        return false;
    }
    ErrorCapture capture;
    const ParserOwner parser = newParser();
    if (!parser) {
        return false;
    }
    XmlDocOwner doc = parse(parser.get(), bytes, name);
    bool ok = doc != nullptr && !capture.hasError();
    if (ok && hasOwnDtd(doc.get())) {
        ok = validateOwnDtd(doc.get()) && !capture.hasError();
    }
    if (ok && usesEntities(doc.get()) && ExpansionMeter(doc.get(), expansionLimit(bytes.size())).exceedsLimit()) {
        m_error = "Entity expansion exceeds the limit";
        return false;
    }
    if (!ok) {
        m_error = capture.hasError() ? capture.firstError() : std::string("Document is not well-formed");
        return false;
    }
    m_doc = std::move(doc);
    return true;
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

std::vector<XmlNode> XmlDocument::elementsByTagName(const std::string& tagName) const
{
    std::vector<XmlNode> found;
    if (m_doc) {
        collectElements(xmlDocGetRootElement(m_doc.get()), tagName, found);
    }
    return found;
}

} // namespace xml
