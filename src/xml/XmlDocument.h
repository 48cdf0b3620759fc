#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xml {

// Owners of the libxml2 handles, so every exit path frees them.
struct XmlDocFree
{
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct XmlParserContextFree
{
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};
struct XmlXPathContextFree
{
    void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
struct XmlXPathObjectFree
{
    void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};
using XmlDocOwner = std::unique_ptr<xmlDoc, XmlDocFree>;
using XmlXPathContextOwner = std::unique_ptr<xmlXPathContext, XmlXPathContextFree>;
using XmlXPathObjectOwner = std::unique_ptr<xmlXPathObject, XmlXPathObjectFree>;

enum class XmlNodeKind {
    Element,
    Attribute,
    Text,
    CData,
    EntityReference,
    ProcessingInstruction,
    Comment,
    Document,
    Namespace,
    Other,
};

// A node of a loaded document. A plain handle: valid as long as the XmlDocument it came from.
class XmlNode
{
public:
    XmlNode() = default;
    explicit XmlNode(xmlNode* node);

    bool isNull() const { return m_node == nullptr && m_kind != XmlNodeKind::Namespace; }
    XmlNodeKind kind() const { return m_kind; }
    bool isElement() const { return m_kind == XmlNodeKind::Element; }

    // The DOM node name: the qualified name of an element or attribute, the target of a
    // processing instruction, the entity's name for a reference, "#text", "#cdata-section",
    // "#comment", "#document"; a namespace node gives its prefix.
    std::string name() const;

    // The typed value as text: the text content (for an element all its descendants' text, for
    // the document node the text of the whole document).
    std::string text() const;

    // Every child in document order, of every kind (text and whitespace included); attributes
    // are not children. An entity reference gives no children.
    std::vector<XmlNode> children() const;

    xmlNode* raw() const { return m_node; }

private:
    xmlNode* m_node = nullptr;
    XmlNodeKind m_kind = XmlNodeKind::Other;
    // A namespace node from an XPath result is a copy that dies with the result, so its parts
    // are kept here.
    std::string m_nsPrefix;
    std::string m_nsHref;

    friend class XmlDocument;
};

// What a document read without its tree hands over, in document order. Elements come with their
// local name, their prefix (empty without one) and whether they belong to a namespace; text is
// character data as the tree would hold it in text nodes.
class XmlEvents
{
public:
    virtual ~XmlEvents() = default;
    // False gives up on reading without the tree; the document is then loaded as one.
    virtual bool startElement(std::string_view localName, std::string_view prefix, bool inNamespace) = 0;
    virtual void endElement() = 0;
    virtual void text(std::string_view characters) = 0;
    // A CDATA section, which the tree keeps as a node of its own even when empty; most readers
    // only want its text.
    virtual void cdata(std::string_view characters)
    {
        if (!characters.empty()) {
            text(characters);
        }
    }
    // Comments and processing instructions, also those outside the document element.
    virtual void comment() { }
    virtual void processingInstruction(std::string_view /*target*/) { }
};

// One parsed XML document: the program's only way into libxml2. Documents are parsed with
// whitespace kept, never touch the network or any other external resource, keep libxml2's
// limits on entity expansion, and are validated when they carry their own DTD. Nothing is
// printed: the first error becomes errorReason().
class XmlDocument
{
public:
    // False when the parser library cannot be initialised; then nothing can be loaded.
    static bool isParserAvailable();

    // Loads the file. False on a read or parse error, with the reason in errorReason().
    bool loadFile(const std::string& path);
    // Loads a document held in memory; name only labels it (its base address).
    bool loadMemory(std::string_view bytes, const std::string& name = {});

    // Reads the file as loadFile does, with the same checks and the same errors, but hands its
    // elements and text to events instead of building the tree, which for a large document costs
    // far more than reading it. A document with a document type declaration or an xml:id
    // attribute, or whose events give up, is loaded as a tree after all: isLoaded() then tells
    // the caller to forget the events and use the tree. False on a read or parse error, with the
    // reason in errorReason().
    bool streamFile(const std::string& path, XmlEvents& events);

    bool isLoaded() const { return m_doc != nullptr; }
    // The reason text of the first error of the last load, trimmed; empty after a success.
    const std::string& errorReason() const { return m_error; }

    XmlNode documentElement() const;

    // The nodes an XPath 1.0 expression selects with the document element as context node, in
    // document order. Nothing when the expression is invalid, fails, or gives no node set (a
    // number, string or truth value).
    std::optional<std::vector<XmlNode>> select(const std::string& expression) const;

    xmlDoc* raw() const { return m_doc.get(); }

private:
    // The file's bytes, or nothing with the reason in m_error.
    std::optional<std::string> readSource(const std::string& path);
    // Forgets the last document; false with the reason in m_error when bytes cannot be parsed.
    bool canParse(std::string_view bytes);
    using ParserOwner = std::unique_ptr<xmlParserCtxt, XmlParserContextFree>;
    // A parser context, or nothing with the reason in m_error.
    ParserOwner newParser();
    // The bytes parsed with the program's options; nothing when they are not well-formed.
    static XmlDocOwner parse(xmlParserCtxt* parser, std::string_view bytes, const std::string& name);

    XmlDocOwner m_doc;
    std::string m_error;
};

} // namespace xml
