#include "xml/XmlText.h"

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

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one character at text[pos], advancing pos; rejects overlong forms, surrogates and
// values above U+10FFFF, consuming only the first byte of a bad sequence.
char32_t decodeUtf8(std::string_view text, size_t& pos)
{
    const auto byte = [&](size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + length > text.size()) {
        ++pos;
        return kReplacement;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        value = (value << 6) | (byte(pos + i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return value;
}

} // namespace

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
        const char32_t c = decodeUtf8(utf8, pos);
        if (c <= 0xFF) {
            result += static_cast<char>(c);
        } else {
            result += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
        }
    }
    return result;
}

} // namespace xml
