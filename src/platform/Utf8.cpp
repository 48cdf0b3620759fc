#include "platform/Utf8.h"

#include <cstdint>

namespace platform {

char32_t decodeUtf8(std::string_view text, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
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
        return kReplacementCharacter;
    }
    if (pos + length > text.size()) {
        ++pos;
        return kReplacementCharacter;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return kReplacementCharacter;
        }
        value = (value << 6) | (byte(pos + i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return kReplacementCharacter;
    }
    pos += length;
    return value;
}

void appendUtf8(std::string& out, char32_t character)
{
    const auto unit = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (character < 0x80) {
        unit(character);
    } else if (character < 0x800) {
        unit(0xC0 | (character >> 6));
        unit(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        unit(0xE0 | (character >> 12));
        unit(0x80 | ((character >> 6) & 0x3F));
        unit(0x80 | (character & 0x3F));
    } else {
        unit(0xF0 | (character >> 18));
        unit(0x80 | ((character >> 12) & 0x3F));
        unit(0x80 | ((character >> 6) & 0x3F));
        unit(0x80 | (character & 0x3F));
    }
}

} // namespace platform
