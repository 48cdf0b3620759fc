#include "xml/XmlDocument.h"

#include "xml/ErrorCapture.h"

#include <libxml/parser.h>

#include <optional>

// Reading a document without its tree: the parser's events handed to XmlEvents, with anything
// only the tree load handles (a document type, xml:id) handing the document over to it.

namespace xml {

namespace {

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

} // namespace xml
