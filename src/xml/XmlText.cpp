#include "xml/XmlText.h"

#include "platform/Utf8.h"

#include <cstdint>

namespace xml {

std::string escapeXml(std::string_view text, bool escapeQuotes)
{
    std::string result;
    result.reserve(text.size());
    // Runs without a character to escape are copied whole: order documents are mostly such runs.
    std::size_t from = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char* reference = nullptr;
        switch (text[at]) {
        case '&':
            reference = "&amp;";
            break;
        case '<':
            reference = "&lt;";
            break;
        case '>':
            reference = "&gt;";
            break;
        case '"':
            reference = escapeQuotes ? "&quot;" : nullptr;
            break;
        default:
            break;
        }
        if (reference != nullptr) {
            result.append(text.substr(from, at - from));
            result += reference;
            from = at + 1;
        }
    }
    result.append(text.substr(from));
    return result;
}

std::string utf8ToLatin1WithReferences(std::string_view utf8)
{
    std::string result;
    result.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        // ASCII is the same in both, and most text is nothing else.
        size_t plain = pos;
        while (plain < utf8.size() && static_cast<std::uint8_t>(utf8[plain]) < 0x80) {
            ++plain;
        }
        result.append(utf8.substr(pos, plain - pos));
        pos = plain;
        if (pos == utf8.size()) {
            break;
        }
        const char32_t c = platform::decodeUtf8(utf8, pos);
        if (c <= 0xFF) {
            result += static_cast<char>(c);
        } else {
            result += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
        }
    }
    return result;
}

} // namespace xml
