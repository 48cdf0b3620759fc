#include "xml/XmlDocument.h"

#include "platform/Files.h"
#include "xml/ErrorCapture.h"
#include "xml/Windows1252Encoding.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/valid.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <mutex>
#include <unordered_map>

// The safe-loading rules: what a document may make the parser do, and what makes it refused.

namespace xml {

namespace {

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

} // namespace

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

} // namespace xml
