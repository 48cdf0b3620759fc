#include "convert/XmlSource.h"

#include "xml/XmlText.h"

namespace convert {

namespace {

bool isContinuationByte(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

template <typename Load> bool readXmlSource(xml::XmlDocument& document, platform::Messages& messages, Load load)
{
    if (!xml::XmlDocument::isParserAvailable()) {
        messages.error("Can't open XMLDOM");
        return false;
    }
    if (!load()) {
        messages.error("XMLDOM ERROR " + document.errorReason());
        return false;
    }
    return true;
}

} // namespace

bool loadXmlSource(xml::XmlDocument& document, const std::string& path, platform::Messages& messages)
{
    return readXmlSource(document, messages, [&] { return document.loadFile(path); });
}

bool streamXmlSource(
    xml::XmlDocument& document, const std::string& path, xml::XmlEvents& events, platform::Messages& messages)
{
    return readXmlSource(document, messages, [&] { return document.streamFile(path, events); });
}

std::string xmlNodeValue(const xml::XmlNode& node)
{
    if (node.kind() == xml::XmlNodeKind::Document) {
        return {};
    }
    return node.text();
}

std::string withoutLineBreaks(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (c != '\n' && c != '\v' && c != '\r') {
            result.push_back(c);
        }
    }
    return result;
}

std::string tableKey(std::string_view utf8)
{
    // A character beyond ISO-8859-1 becomes a character reference, which no article number holds.
    return xml::utf8ToLatin1WithReferences(utf8);
}

std::string utf8Characters(std::string_view utf8, std::size_t first, std::size_t count)
{
    std::size_t at = 0;
    const auto skipCharacter = [&] {
        ++at;
        while (at < utf8.size() && isContinuationByte(static_cast<unsigned char>(utf8[at]))) {
            ++at;
        }
    };
    for (std::size_t skipped = 0; skipped < first && at < utf8.size(); ++skipped) {
        skipCharacter();
    }
    const std::size_t begin = at;
    for (std::size_t taken = 0; taken < count && at < utf8.size(); ++taken) {
        skipCharacter();
    }
    return std::string(utf8.substr(begin, at - begin));
}

} // namespace convert
