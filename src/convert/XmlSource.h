#pragma once

#include "platform/Messages.h"
#include "xml/XmlDocument.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace convert {

// What the two XML readers share: loading the source and turning node values into the texts
// the order and the pipe-length lookup take.

// Loads the file as both XML readers do. False after "Can't open XMLDOM" (no parser) or
// "XMLDOM ERROR " + the parser's reason; nothing can be read from the document then.
bool loadXmlSource(xml::XmlDocument& document, const std::string& path, platform::Messages& messages);

// Reads the file as loadXmlSource does, handing its elements and text to events without building
// the tree; when the document needed the tree after all, document holds it (isLoaded()) and the
// events are to be forgotten. False after the same messages as loadXmlSource.
bool streamXmlSource(
    xml::XmlDocument& document, const std::string& path, xml::XmlEvents& events, platform::Messages& messages);

// A node's value as UTF-8 text. The document node has none: an unset header expression reads as
// "/", and the whole document's text would otherwise land in every such header field.
std::string xmlNodeValue(const xml::XmlNode& node);

// The text without line feeds, vertical tabs and carriage returns; other blanks stay.
std::string withoutLineBreaks(std::string_view text);

// A UTF-8 value as the single-byte key the pipe-length table holds (ISO-8859-1).
std::string tableKey(std::string_view utf8);

// At most count characters (not bytes) of well-formed UTF-8 text from the 0-based character
// position first; empty when the text ends before it.
std::string utf8Characters(std::string_view utf8, std::size_t first, std::size_t count);

} // namespace convert
